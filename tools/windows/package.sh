#!/usr/bin/env bash
# Makes the Windows packages, build/windows-qt/BrevalonMiniSetup-<version>-win64
# .zip (portable) and .exe (installer), and checks the installer under Wine in
# a fresh prefix: a silent install into Program Files with its Start-menu
# entry and its entry among the installed programs, a run of the installed
# program with a virtual unit until the unit's first status reply, and a
# silent uninstall that leaves none of it behind.
set -euo pipefail
cd "$(dirname "$0")/../.."

bash tools/windows/cross-build.sh --target BrevalonMiniSetup
build=build/windows-qt
rm -f "$build"/BrevalonMiniSetup-*-win64.*
(cd "$build" && cpack -G "ZIP;NSIS" >/dev/null)
zip=$(ls "$build"/BrevalonMiniSetup-*-win64.zip)
installer=$(ls "$build"/BrevalonMiniSetup-*-win64.exe)
echo "package-windows: $zip"
echo "package-windows: $installer"

unzip -Z1 "$zip" | sort >"$build/zip-contents.txt"
name=$(basename "$zip" .zip)
if ! diff -u <(printf '%s\n' "$name/" "$name/BrevalonMiniSetup.exe" "$name/README.txt") "$build/zip-contents.txt"; then
    echo "package-windows: FAIL: the .zip holds other files"
    exit 1
fi

unset DISPLAY WAYLAND_DISPLAY
source tools/windows/wine-prefix.sh "$build"
fail() {
    echo "package-windows: FAIL: $*"
    exit 1
}

# Install. Wine's helper processes are waited for with wineserver -w.
"$WINE" "$(wine_path "$installer")" /S </dev/null >/dev/null 2>&1
"$wine_dir/wineserver" -w
dir="$WINEPREFIX/drive_c/Program Files/Brevalon Mini Setup"
[ -f "$dir/BrevalonMiniSetup.exe" ] || fail "no BrevalonMiniSetup.exe in $dir"
[ -f "$dir/Uninstall.exe" ] || fail "no uninstaller in $dir"
menu=$(find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/Brevalon Mini Setup/Brevalon Mini Setup.lnk' | head -n1)
[ -n "$menu" ] || fail "no Start-menu entry"
"$WINE" uninstaller --list 2>/dev/null | tr -d '\r' | grep -q 'Brevalon Mini Setup' ||
    fail "not listed among the installed programs"
echo "package-windows: installed into C:\\Program Files\\Brevalon Mini Setup, with a Start-menu entry"

# Run the installed program without a display: the screenshot mechanism ends
# it once the unit's status is shown; the trace must hold a status reply.
shots="$build/installed-run"
rm -rf "$shots"
mkdir -p "$shots"
QT_QPA_PLATFORM=offscreen BREVALON_SCREENSHOTS=$(wine_path "$shots") timeout 60 \
    "$WINE" "$dir/BrevalonMiniSetup.exe" --simulate --trace "$(wine_path "$shots")\\trace.txt" \
    </dev/null >/dev/null 2>&1 || fail "the installed program did not end by itself"
grep -Eq '^[0-9]+\.[0-9]{3} < 00 47 53' "$shots/trace.txt" || fail "no status reply in the trace"
[ -f "$shots/TMainForm.png" ] || fail "the main window was not shown"
echo "package-windows: the installed program showed the virtual unit's status"

# Uninstall.
"$WINE" "$(wine_path "$dir/Uninstall.exe")" /S </dev/null >/dev/null 2>&1
"$wine_dir/wineserver" -w
[ ! -e "$dir" ] || fail "files left in $dir: $(ls -A "$dir")"
[ -z "$(find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/Brevalon Mini Setup*')" ] ||
    fail "the Start-menu entry is left"
if "$WINE" uninstaller --list 2>/dev/null | tr -d '\r' | grep -q 'Brevalon Mini Setup'; then
    fail "still listed among the installed programs"
fi
echo "package-windows: PASS (silent install, run, silent uninstall)"
