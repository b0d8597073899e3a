#!/usr/bin/env bash
# Makes the Windows packages, build/windows-qt/BrevalonMiniSetup-<version>-win64
# .zip (portable) and .exe (installer), and checks the installer under Wine in
# a fresh prefix: a silent install into Program Files with its Start-menu
# entry and its entry among the installed programs, a run of the installed
# program with a virtual unit until the unit's first status reply, a run of
# the installed brevalon-cli.exe with a virtual unit, and a
# silent uninstall that leaves none of it behind.
set -euo pipefail
cd "$(dirname "$0")/../.."

bash tools/windows/cross-build.sh --target BrevalonMiniSetup brevalon-cli
build=build/windows-qt
rm -f "$build"/BrevalonMiniSetup-*-win64.*
(cd "$build" && cpack -G "ZIP;NSIS" >/dev/null)
zip=$(ls "$build"/BrevalonMiniSetup-*-win64.zip)
installer=$(ls "$build"/BrevalonMiniSetup-*-win64.exe)
echo "package-windows: $zip"
echo "package-windows: $installer"

unzip -Z1 "$zip" | sort >"$build/zip-contents.txt"
name=$(basename "$zip" .zip)
if ! diff -u <(printf '%s\n' "$name/BrevalonMiniSetup.exe" "$name/README.txt" "$name/brevalon-cli.exe" | sort) \
    "$build/zip-contents.txt"; then
    echo "package-windows: FAIL: the .zip holds other files"
    exit 1
fi

unset DISPLAY WAYLAND_DISPLAY
source tools/windows/wine-prefix.sh "$build"
fail() {
    echo "package-windows: FAIL: $*"
    exit 1
}

# Install; the installer ends when it is done.
"$WINE" "$(wine_path "$installer")" /S </dev/null >/dev/null 2>&1
dir="$WINEPREFIX/drive_c/Program Files/Brevalon Mini Setup"
[ -f "$dir/BrevalonMiniSetup.exe" ] || fail "no BrevalonMiniSetup.exe in $dir"
[ -f "$dir/brevalon-cli.exe" ] || fail "no brevalon-cli.exe in $dir"
[ -f "$dir/Uninstall.exe" ] || fail "no uninstaller in $dir"
menu=$(find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/Brevalon Mini Setup/Brevalon Mini Setup.lnk' | head -n1)
[ -n "$menu" ] || fail "no Start-menu entry"
"$WINE" uninstaller --list 2>/dev/null | tr -d '\r' | grep -q 'Brevalon Mini Setup' ||
    fail "not listed among the installed programs"
echo "package-windows: installed into C:\\Program Files\\Brevalon Mini Setup, with a Start-menu entry"

# Run the installed program as a user would, on an X server with Windows'
# platform plugin, with the screenshot mechanism: its last picture is taken
# after the unit's status was shown; the trace must hold a status reply.
shots="$build/installed-run"
rm -rf "$shots"
mkdir -p "$shots"
run_until_file 120 "$shots/TInfoForm.png" env BREVALON_SCREENSHOTS="$(wine_path "$shots")" \
    xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$WINE" "$dir/BrevalonMiniSetup.exe" --simulate --trace "$(wine_path "$shots")\\trace.txt" ||
    fail "the installed program showed no window"
grep -Eq '^[0-9]+\.[0-9]{3} < 00 47 53' "$shots/trace.txt" || fail "no status reply in the trace"
"$wine_dir/wineserver" -p </dev/null >/dev/null 2>&1
"$WINE" wineboot </dev/null >/dev/null 2>&1
echo "package-windows: the installed program showed the virtual unit's status"

# The installed command-line program, with a virtual unit and no display.
info=$("$WINE" "$dir/brevalon-cli.exe" --simulate info </dev/null 2>/dev/null | tr -d '\r') ||
    fail "the installed brevalon-cli.exe failed"
[ "$info" = "$(printf 'firmware: BRV8 FW 3.02 02.12.2016\nserial: BRV8-000001')" ] ||
    fail "unexpected brevalon-cli.exe info: $info"
echo "package-windows: the installed brevalon-cli.exe read the virtual unit"

# Uninstall.
# The uninstaller runs a copy of itself and returns at once: give that copy
# up to a minute to remove the folder.
"$WINE" "$(wine_path "$dir/Uninstall.exe")" /S </dev/null >/dev/null 2>&1
deadline=$((SECONDS + 60))
while [ -e "$dir" ] && [ $SECONDS -lt $deadline ]; do
    sleep 1
done
[ ! -e "$dir" ] || fail "files left in $dir: $(ls -A "$dir")"
[ -z "$(find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/Brevalon Mini Setup*')" ] ||
    fail "the Start-menu entry is left"
if "$WINE" uninstaller --list 2>/dev/null | tr -d '\r' | grep -q 'Brevalon Mini Setup'; then
    fail "still listed among the installed programs"
fi
echo "package-windows: PASS (silent install, run, silent uninstall)"
