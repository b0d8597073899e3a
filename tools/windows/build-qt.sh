#!/usr/bin/env bash
# Builds the static Qt for Windows that the Windows program and its GUI tests
# link against: Debian's own qt6-base source, the same version as the host's
# Qt, cross-compiled with mingw-w64 and the host's Qt tools. Debian ships no Qt
# for mingw-w64, and nothing but Debian packages may be downloaded.
#
# The prefix lives outside the clone so that every clone and CI run reuses it;
# BREVALON_QT_WINDOWS names another. When the prefix holds a finished build of
# the same configuration (its stamp holds the configure line), this returns
# at once. Prints the prefix on its last line.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)

prefix=${BREVALON_QT_WINDOWS:-${XDG_CACHE_HOME:-$HOME/.cache}/brevalon-mini-setup/qt-6.4.2-mingw}
version=$(dpkg-query -W -f='${Version}' qt6-base-dev)

# The windows platform plugin's tablet support needs a header Debian's source
# leaves out; direct2d stays on because the plugin's font database needs it;
# the offscreen plugin, which the tests use, is built only with FreeType.
options=(
    -release -static -optimize-size
    -xplatform win32-g++ -qt-host-path /usr
    -nomake examples -nomake tests
    -no-opengl -no-dbus -no-icu
    -no-feature-sql -no-feature-printsupport -no-feature-network
    -no-feature-concurrent -no-feature-xml -no-feature-tabletevent
    -qt-zlib -qt-pcre -qt-libpng -qt-libjpeg -qt-harfbuzz
    -qt-doubleconversion -qt-freetype
)
# The stamp names the toolchain by its content, not by the path of the clone
# that built it, so that every clone shares one build.
toolchain="$repo/cmake/mingw-w64.cmake"
stamp="qt6-base $version: ${options[*]}; toolchain $(sha256sum "$toolchain" | cut -d' ' -f1)"

if [ -f "$prefix/brevalon-stamp" ] && [ "$(cat "$prefix/brevalon-stamp")" = "$stamp" ]; then
    echo "$prefix"
    exit 0
fi

work="$prefix.work"
rm -rf "$work" "$prefix"
mkdir -p "$work/apt/lists/partial" "$work/apt/sources.list.d" "$work/apt/archives/partial"
trap 'rm -rf "$work"' EXIT

# A deb-src list of our own beside the system's, which stays as it is.
for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && sed 's/^Types:.*/Types: deb-src/' "$f" >"$work/apt/sources.list.d/$(basename "$f")"
done
if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >"$work/apt/sources.list"
else
    : >"$work/apt/sources.list"
fi
apt_options=(
    -o APT::Sandbox::User=root
    -o Dir::Etc::sourcelist="$work/apt/sources.list"
    -o Dir::Etc::sourceparts="$work/apt/sources.list.d"
    -o Dir::State::Lists="$work/apt/lists"
    -o Dir::Cache::archives="$work/apt/archives"
)
echo "build-qt: fetching the source of qt6-base $version"
apt-get "${apt_options[@]}" update -qq
(cd "$work" && apt-get "${apt_options[@]}" source -qq "qt6-base=$version" >/dev/null)
source_dir=$(find "$work" -maxdepth 1 -type d -name 'qt6-base-*' | head -n1)

echo "build-qt: configuring and building into $prefix (about half an hour on two cores)"
mkdir -p "$work/build"
cd "$work/build"
"$source_dir/configure" -prefix "$prefix" "${options[@]}" -- \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >"$work/configure.log" 2>&1 ||
    { tail -n 60 "$work/configure.log"; exit 1; }
cmake --build . --parallel "$(nproc)" >"$work/build.log" 2>&1 || { grep -m 20 -B 5 -A 20 'error' "$work/build.log" | head -n 120; exit 1; }
cmake --install . >/dev/null
echo "$stamp" >"$prefix/brevalon-stamp"
echo "$prefix"
