#!/usr/bin/env bash
# Fetches Debian's stock amd64 kernel and the three HID modules the kernel
# test loads, into CACHE_DIR (default build/kernel-cache). The package is the
# one linux-image-amd64 depends on now; its name changes with every update,
# so a new one is fetched when the old one is gone from the archive.
# Prints the directory holding vmlinuz and the .ko files.
set -euo pipefail

cache=${1:-build/kernel-cache}
mkdir -p "$cache"
cache=$(cd "$cache" && pwd)

package=$(apt-cache depends linux-image-amd64 2>/dev/null |
    sed -n 's/^ *Depends: \(linux-image-[^ <>]*\)$/\1/p' | head -n 1)
if [ -z "$package" ]; then
    # The package lists may be missing on a fresh machine.
    apt-get update -qq >&2
    package=$(apt-cache depends linux-image-amd64 |
        sed -n 's/^ *Depends: \(linux-image-[^ <>]*\)$/\1/p' | head -n 1)
fi
if [ -z "$package" ]; then
    echo "fetch-kernel: cannot tell which package linux-image-amd64 depends on" >&2
    exit 1
fi

dir="$cache/$package"
modules=(hid uhid hid-generic)
if [ -f "$dir/vmlinuz" ] && [ -f "$dir/hid-generic.ko" ]; then
    echo "$dir"
    exit 0
fi

work=$(mktemp -d "$cache/fetch.XXXXXX")
trap 'rm -rf "$work"' EXIT
(cd "$work" && apt-get download "$package") >&2
deb=$(ls "$work"/*.deb)

# Only the kernel image and the three modules, not the whole package.
mkdir -p "$work/root"
dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$work/root" --wildcards \
    './boot/vmlinuz-*' '*/kernel/drivers/hid/hid.ko*' '*/kernel/drivers/hid/uhid.ko*' \
    '*/kernel/drivers/hid/hid-generic.ko*'

mkdir -p "$work/out"
cp "$work"/root/boot/vmlinuz-* "$work/out/vmlinuz"
for m in "${modules[@]}"; do
    file=$(find "$work/root" -name "$m.ko*" | head -n 1)
    case "$file" in
        # busybox insmod reads plain modules only.
        *.ko.xz) xz -dc "$file" >"$work/out/$m.ko" ;;
        *.ko.zst) zstd -qdc "$file" >"$work/out/$m.ko" ;;
        *.ko.gz) gzip -dc "$file" >"$work/out/$m.ko" ;;
        *.ko) cp "$file" "$work/out/$m.ko" ;;
        *) echo "fetch-kernel: $m.ko is not in $package" >&2; exit 1 ;;
    esac
done
# The kernel inside the image, uncompressed: qemu boots it directly through its
# PVH entry, which spares the emulated decompressor several seconds. The
# compressed image stays the fallback when no payload decompresses to ELF.
for format in 'xz:\xfd7zXZ\x00:xz -dc' 'gzip:\x1f\x8b\x08:gzip -dc' 'zstd:\x28\xb5\x2f\xfd:zstd -qdc'; do
    IFS=: read -r name magic command <<<"$format"
    command -v "${command%% *}" >/dev/null || continue
    for offset in $(LC_ALL=C grep -obUaP "$magic" "$work/out/vmlinuz" | cut -d: -f1); do
        tail -c +$((offset + 1)) "$work/out/vmlinuz" | $command >"$work/out/vmlinux" 2>/dev/null || true
        if [ "$(head -c 4 "$work/out/vmlinux" | od -An -tx1 | tr -d ' ')" = 7f454c46 ]; then
            break 2
        fi
    done
done
if [ "$(head -c 4 "$work/out/vmlinux" 2>/dev/null | od -An -tx1 | tr -d ' ')" != 7f454c46 ]; then
    rm -f "$work/out/vmlinux"
fi

rm -rf "$dir"
mv "$work/out" "$dir"
echo "$dir"
