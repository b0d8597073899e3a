# Sourced by the scripts that run Windows programs under Wine: makes a fresh
# Wine prefix in the folder named by $1 and removes it when the script exits,
# also when it fails (a prefix takes about 700 MB). Sets WINE to wine64.
wine_dir=/usr/lib/wine
WINE="$wine_dir/wine64"
mkdir -p "$1"
WINEPREFIX=$(mktemp -d "$(cd "$1" && pwd)/wineprefix.XXXXXX")
export WINEPREFIX
export WINEDEBUG=-all
# No .NET or Gecko installer on the first start.
export WINEDLLOVERRIDES="mscoree,mshtml="

wine_cleanup() {
    "$wine_dir/wineserver" -k 2>/dev/null || true
    "$wine_dir/wineserver" -w 2>/dev/null || true
    rm -rf "$WINEPREFIX"
}
trap wine_cleanup EXIT
trap 'exit 130' INT TERM

# Wine's helper processes outlive the programs that start them. Started here,
# with their output going nowhere, they hold none of the caller's pipes open.
"$wine_dir/wineserver" -p </dev/null >/dev/null 2>&1
"$WINE" wineboot </dev/null >/dev/null 2>&1
# Debian's Wine leaves its own fonts (Tahoma, the face behind Windows' dialog
# font "MS Shell Dlg") out of a new prefix; without them Qt takes any host font
# for the dialog font, and a math font there pushes line-edit text out of view.
cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"

# The Windows path of a file or folder of this machine.
wine_path() {
    "$WINE" winepath -w "$1" 2>/dev/null | tr -d '\r'
}
