#!/usr/bin/env bash
# Cross-compiles the whole tool and its tests for Windows (tools/windows/
# cross-build.sh, which builds the static Qt first when it is missing) and runs
# every test under Wine in a fresh prefix without a display: the GUI tests on
# Qt's offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/../.."

bash tools/windows/cross-build.sh
build=build/windows-qt

unset DISPLAY WAYLAND_DISPLAY
source tools/windows/wine-prefix.sh "$build"

# As on Linux, a failing test runs once more before it counts: the end-to-end
# tests run real timers and reader threads, which Wine makes slower.
ctest --test-dir "$build" --output-on-failure --timeout 300 -j2 --repeat until-pass:2
