#!/usr/bin/env bash
# A picture of every window as the Windows platform plugin draws it: the
# program runs under Wine on a virtual X server with one virtual unit and the
# screenshot mechanism of `make screenshots` (BREVALON_SCREENSHOTS), which
# reads every group of settings and grabs each window.
set -euo pipefail
cd "$(dirname "$0")/../.."

bash tools/windows/cross-build.sh --target BrevalonMiniSetup
build=build/windows-qt
out=$PWD/build/screenshots-windows
rm -rf "$out"
mkdir -p "$out"

unset WAYLAND_DISPLAY
source tools/windows/wine-prefix.sh "$build"
# The information dialog is the last picture.
run_until_file 120 "$out/TInfoForm.png" env BREVALON_SCREENSHOTS="$(wine_path "$out")" \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$WINE" "$build/src/app/BrevalonMiniSetup.exe" --simulate
ls "$out"
