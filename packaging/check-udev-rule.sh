#!/usr/bin/env bash
# Runs a udev rule file against a made-up sysfs tree and checks which device
# nodes it hands to the logged-in user (tag "uaccess"): the hidraw node of a
# Brevalon 8 unit, and nothing else. Everything happens in a private mount
# namespace, so neither /sys, /run nor the machine's own rules are touched.
# Usage (as root, with udevadm and unshare): check-udev-rule.sh RULE_FILE
set -euo pipefail

rule=$(realpath "$1")

if [ "${BREVALON_RULE_NAMESPACE:-}" != 1 ]; then
    exec unshare --mount --propagation private env BREVALON_RULE_NAMESPACE=1 bash "$0" "$rule"
fi

if grep -Eq '^[^#]*(MODE|GROUP|OWNER)' "$rule"; then
    echo "udev rule: $rule sets MODE, GROUP or OWNER; access goes through uaccess alone" >&2
    exit 1
fi

# Only this rule is read: udevadm test reads every rules directory. Its
# database goes to the scratch /run.
mount -t tmpfs none /run
for dir in /etc/udev/rules.d /usr/lib/udev/rules.d /lib/udev/rules.d /usr/local/lib/udev/rules.d; do
    if [ -d "$dir" ]; then
        mount -t tmpfs none "$dir"
    fi
done
mkdir -p /etc/udev/rules.d
cp "$rule" /etc/udev/rules.d/
rule_in_etc=/etc/udev/rules.d/$(basename "$rule")

mount -t tmpfs none /sys
mkdir -p /sys/bus/usb /sys/bus/hid /sys/class/hidraw

# device PATH SUBSYSTEM [UEVENT_LINE...]: a device under /sys/devices.
device() {
    local dir=/sys/devices/$1 subsystem=$2
    shift 2
    mkdir -p "$dir"
    ln -s "/sys/$subsystem" "$dir/subsystem"
    printf '%s\n' "$@" >"$dir/uevent"
}

hub=pci0000:00/0000:00:14.0/usb1
device "$hub" bus/usb DEVTYPE=usb_device
echo "xHCI Host Controller" >"/sys/devices/$hub/product"

# usb_hid PORT PRODUCT: a USB HID device on the root hub, with its interface,
# its HID device and its node hidrawPORT, laid out as the kernel does.
usb_hid() {
    local port=$1 product=$2
    local usb=$hub/1-$port
    local hid=$usb/1-$port:1.0/0003:1234:5678.000$port
    device "$usb" bus/usb DEVTYPE=usb_device
    echo "$product" >"/sys/devices/$usb/product"
    device "$usb/1-$port:1.0" bus/usb DEVTYPE=usb_interface
    device "$hid" bus/hid "HID_NAME=$product"
    # No device number: udev would otherwise link it under the real /dev.
    device "$hid/hidraw/hidraw$port" class/hidraw
}

usb_hid 1 "Brevalon 8"
usb_hid 2 "GSM Brevalon 8 Rev 2"
usb_hid 3 "USB Keyboard"
usb_hid 4 "BREVALON 8"

# devpath, whether the rule must tag it, what it is
cases=(
    "$hub/1-1/1-1:1.0/0003:1234:5678.0001/hidraw/hidraw1|yes|the unit's hidraw node"
    "$hub/1-2/1-2:1.0/0003:1234:5678.0002/hidraw/hidraw2|yes|a unit with more text around \"Brevalon 8\""
    "$hub/1-3/1-3:1.0/0003:1234:5678.0003/hidraw/hidraw3|no|a keyboard's hidraw node"
    "$hub/1-4/1-4:1.0/0003:1234:5678.0004/hidraw/hidraw4|no|\"BREVALON 8\", other letter case"
    "$hub/1-1|no|the unit's USB device"
)

failed=0
log=$(mktemp)
for entry in "${cases[@]}"; do
    IFS='|' read -r devpath want what <<<"$entry"
    # sd-device accepts a sysfs that is not the kernel's only with this.
    if ! properties=$(SYSTEMD_DEVICE_VERIFY_SYSFS=0 udevadm test --action=add "/sys/devices/$devpath" 2>"$log"); then
        cat "$log" >&2
        echo "udev rule: udevadm test failed on $what" >&2
        exit 1
    fi
    if grep -F "$rule_in_etc:" "$log" >&2; then
        echo "udev rule: udevadm does not accept the rule file" >&2
        exit 1
    fi
    got=no
    if grep -q '^TAGS=.*:uaccess:' <<<"$properties"; then
        got=yes
    fi
    if [ "$got" != "$want" ]; then
        echo "udev rule: $what: tagged uaccess: $got, expected $want" >&2
        failed=1
    fi
done
rm -f "$log"

if [ "$failed" -ne 0 ]; then
    exit 1
fi
echo "udev rule: ${#cases[@]} of ${#cases[@]} devices handled as expected"
