#!/usr/bin/env bash
# Cross-compiles the whole tool for Windows into build/windows-qt: the program,
# statically linked against the Qt that build-qt.sh makes (built first when
# missing), and every test. Arguments go to `cmake --build`, e.g. `--target X`.
set -euo pipefail
cd "$(dirname "$0")/../.."

qt=$(bash tools/windows/build-qt.sh | tail -n1)
build=build/windows-qt
# Qt's toolchain file finds the static Qt and chain-loads ours for the
# compilers, also when the Qt was built from another clone.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
    -DBREVALON_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" "$@"
