#!/usr/bin/env bash
# make test-kernel: boots Debian's stock kernel in a qemu guest whose
# initramfs runs the kernel test's two programs (the unit behind /dev/uhid and
# the tool's HID layer with its Linux backend), and reads the result from the
# guest's console. qemu itself exits 0 whatever the guest did, so only a
# "KERNEL-TEST: PASS" line from the guest counts as a pass.
#   run-kernel-test.sh BUILD_DIR
set -euo pipefail

build=${1:?usage: run-kernel-test.sh BUILD_DIR}
limit=120
out=build/kernel-test
mkdir -p "$out"

kernel=$(bash tools/kernel/fetch-kernel.sh build/kernel-cache)
bash tests/kernel/make-initramfs.sh "$out/initramfs.cpio" "$kernel" \
    "$build/tests/kernel/kernel_host" "$build/tests/kernel/kernel_unit"

image="$kernel/vmlinuz"
if [ -f "$kernel/vmlinux" ]; then
    image="$kernel/vmlinux"
fi
# Always the emulator: CI's KVM has refused qemu's CPU model ("failed to set
# MSR 0x10a") and, on another run, stopped the guest on an instruction it could
# not emulate, leaving qemu waiting until the time limit. Under the emulator
# the guest takes about 9 s.
console="$out/console.log"
# -no-reboot with panic=-1: a panicking guest ends at once instead of rebooting.
# A console left by an earlier run must not count as this one's.
rm -f "$console"
status=0
start=$(date +%s%N)
timeout "$limit" qemu-system-x86_64 -machine pc -accel tcg -cpu max -smp 2 -m 1024M \
    -nodefaults -display none -monitor none -serial "file:$console" -no-reboot \
    -kernel "$image" -initrd "$out/initramfs.cpio" \
    -append "console=ttyS0 quiet panic=-1" </dev/null || status=$?
seconds=$((($(date +%s%N) - start) / 1000000))

tr -d '\r' <"$console" | grep -a -E '^(kernel-test|KERNEL-TEST):' || true
printf 'test-kernel: the guest (tcg, kernel %s) ran %d.%03d s\n' "$(basename "$kernel")" \
    $((seconds / 1000)) $((seconds % 1000))
if [ "$status" -eq 124 ]; then
    echo "test-kernel: FAIL: the guest did not finish within $limit s"
    exit 1
fi
if ! tr -d '\r' <"$console" | grep -a -q -x 'KERNEL-TEST: PASS'; then
    echo "test-kernel: FAIL: the guest did not report a pass; the end of its console:"
    tail -n 30 "$console"
    exit 1
fi
tr -d '\r' <"$console" | sed -n 's/^kernel-test: figure /test-kernel: /p'
echo "test-kernel: PASS"
