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

# Debian's Wine leaves its own fonts (Tahoma, the face behind Windows' dialog
# font "MS Shell Dlg") out of a new prefix; without them Qt takes any host font
# for the dialog font, and a math font there pushes line-edit text out of view.
# They are put in place before the prefix's first start, which reads them.
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"

# Wine's helper processes outlive the programs that start them. Started here,
# with their output going nowhere, they hold none of the caller's pipes open.
"$wine_dir/wineserver" -p </dev/null >/dev/null 2>&1
"$WINE" wineboot </dev/null >/dev/null 2>&1

# Starts a Windows program in the background and waits, up to $1 seconds, for
# the file $2 to appear; the program is then ended with every other program of
# the prefix. A Windows program started from here is not always ended by its
# own quit under Wine, so the scripts end it once it has done its work.
run_until_file() {
    local seconds=$1 file=$2
    shift 2
    "$@" </dev/null >/dev/null 2>&1 &
    local deadline=$((SECONDS + seconds))
    while [ ! -s "$file" ] && [ $SECONDS -lt $deadline ]; do
        sleep 1
    done
    # Time to finish writing the file.
    sleep 1
    "$wine_dir/wineserver" -k 2>/dev/null || true
    wait 2>/dev/null || true
    [ -s "$file" ]
}

# The Windows path of a file or folder of this machine.
wine_path() {
    "$WINE" winepath -w "$1" 2>/dev/null | tr -d '\r'
}
