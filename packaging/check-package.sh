#!/usr/bin/env bash
# Checks the Debian package that `make package` made: its fields and exact
# contents, then, unpacked into a scratch root with dpkg -x, the desktop entry,
# the udev rule (against a made-up sysfs) and the installed programs' --help.
# Usage: packaging/check-package.sh [PACKAGE.deb]
set -euo pipefail
if [ $# -ge 1 ]; then
    deb=$(realpath "$1")
fi
cd "$(dirname "$0")/.."

fail() {
    echo "package check: $*" >&2
    exit 1
}

if [ -z "${deb:-}" ]; then
    debs=(build/default/brevalon-mini-setup_*.deb)
    if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
        fail "expected one package in build/default, found: ${debs[*]}"
    fi
    deb=${debs[0]}
fi

[ "$(dpkg-deb --field "$deb" Package)" = brevalon-mini-setup ] || fail "wrong package name"
depends=$(dpkg-deb --field "$deb" Depends)
for dependency in libqt6widgets6 libudev1 qt6-qpa-plugins; do
    grep -Eq "(^|, )$dependency( |,|$)" <<<"$depends" || fail "Depends lacks $dependency: $depends"
done

expected_files="./usr/bin/BrevalonMiniSetup
./usr/bin/brevalon-cli
./usr/lib/udev/rules.d/70-brevalon-mini-setup.rules
./usr/share/applications/brevalon-mini-setup.desktop
./usr/share/icons/hicolor/scalable/apps/brevalon-mini-setup.svg"
contents=$(dpkg-deb --contents "$deb")
files=$(awk '$1 !~ /^d/ { print $6 }' <<<"$contents" | sort)
[ "$files" = "$expected_files" ] || fail "unexpected contents:
$files"
if awk '$2 != "root/root"' <<<"$contents" | grep -q .; then
    fail "files not owned by root"
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg-deb --control "$deb" "$scratch/control"
[ -x "$scratch/control/postinst" ] || fail "postinst missing or not executable"
sh -n "$scratch/control/postinst" || fail "postinst is not valid sh"
grep -q 'udevadm trigger --subsystem-match=hidraw' "$scratch/control/postinst" ||
    fail "postinst does not trigger udev"

root=$scratch/root
dpkg-deb --extract "$deb" "$root"

desktop=$root/usr/share/applications/brevalon-mini-setup.desktop
report=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $report"
[ -z "$report" ] || fail "desktop-file-validate: $report"
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
icon_name=$(sed -n 's/^Icon=//p' "$desktop")
[ -x "$root/usr/bin/$exec_name" ] || fail "desktop entry starts $exec_name, which is not installed"
[ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon_name.svg" ] ||
    fail "desktop entry names icon $icon_name, which is not installed"

program=$root/usr/bin/BrevalonMiniSetup
cli=$root/usr/bin/brevalon-cli
# A search path into the build tree would let this check pass while the
# installed program fails elsewhere.
for installed in "$program" "$cli"; do
    if readelf --dynamic "$installed" | grep -Eq '\((RPATH|RUNPATH)\)'; then
        fail "the installed $(basename "$installed") keeps a library search path"
    fi
done
# No display: --help must not need one.
usage=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --help) ||
    fail "$program --help exited with $?"
[[ "$(head -n 1 <<<"$usage")" == "Usage: BrevalonMiniSetup "* ]] ||
    fail "unexpected --help output: $usage"
# The command-line program runs on Qt Core alone: no display, no platform plugin.
usage=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$cli" --help) ||
    fail "$cli --help exited with $?"
[[ "$(head -n 1 <<<"$usage")" == "Usage: brevalon-cli "* ]] ||
    fail "unexpected brevalon-cli --help output: $usage"
if readelf --dynamic "$cli" | grep -Eq 'NEEDED.*libQt6(Gui|Widgets)'; then
    fail "brevalon-cli needs the Qt GUI libraries"
fi

rule=$root/usr/lib/udev/rules.d/70-brevalon-mini-setup.rules
if [ "$(id -u)" -eq 0 ]; then
    bash packaging/check-udev-rule.sh "$rule"
else
    echo "package check: the udev rule check needs root (a private mount namespace); skipped"
fi

echo "package check: $(basename "$deb") is complete, and its programs answer --help"
