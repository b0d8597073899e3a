#!/usr/bin/env bash
# Builds the kernel test guest's initramfs: busybox, the init script, the three
# HID modules, the two test programs, Debian's udev daemon with the package's
# rule and the test's own, and the shared libraries of the programs with their
# loader, as ldd names them.
#   make-initramfs.sh OUTPUT MODULE_DIR KERNEL_HOST KERNEL_UNIT
set -euo pipefail

if [ $# -ne 4 ]; then
    echo "usage: $0 OUTPUT MODULE_DIR KERNEL_HOST KERNEL_UNIT" >&2
    exit 2
fi
output=$1
modules=$2
host=$3
unit=$4
here=$(cd "$(dirname "$0")" && pwd)
udevd=/lib/systemd/systemd-udevd
if [ ! -x "$udevd" ]; then
    echo "make-initramfs: no $udevd (install udev)" >&2
    exit 1
fi

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
# mktemp's 0700 would keep the desktop scenarios' user out of the whole tree.
chmod 755 "$root"
mkdir -p "$root"/{bin,dev,proc,sys,run,modules,etc/udev/rules.d,lib/systemd,usr/lib/udev/rules.d}

cp /bin/busybox "$root/bin/busybox"
if ldd "$root/bin/busybox" >/dev/null 2>&1; then
    echo "make-initramfs: /bin/busybox is not static (install busybox-static)" >&2
    exit 1
fi
install -m 755 "$here/init" "$root/init"
for m in hid uhid hid-generic; do
    cp "$modules/$m.ko" "$root/modules/"
done
strip -o "$root/bin/kernel_host" "$host"
strip -o "$root/bin/kernel_unit" "$unit"
cp "$udevd" "$root$udevd"
cp "$here/../../packaging/70-brevalon-mini-setup.rules" "$root/usr/lib/udev/rules.d/"
cp "$here/60-brevalon-kernel-test.rules" "$root/etc/udev/rules.d/"
cp "$here/tsan-libudev.supp" "$root/etc/"
# The group the test's rule names; the desktop scenarios' user is in it.
printf 'root:x:0:\nbrevalon:x:1234:\n' >"$root/etc/group"

# Each library at the path ldd found it at, so the loader finds it there too.
# A static program has none.
for program in "$host" "$unit" "$udevd"; do
    { ldd "$program" 2>/dev/null || true; } | awk '/=> \// { print $3 } /^\t\// { print $1 }'
done | sort -u | while read -r lib; do
    mkdir -p "$root$(dirname "$lib")"
    cp -L "$lib" "$root$lib"
done

(cd "$root" && find . -print0 | cpio --null -o -H newc --quiet) >"$output"
