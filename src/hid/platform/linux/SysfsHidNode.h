#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What sysfs tells about one hidraw node: the HID device above it and, for a
// USB device, the usb_device above that. Strings are UTF-8 as sysfs gives them.
// A device that is not USB (uhid, Bluetooth, I2C) takes its product and serial
// from the HID device's uevent (HID_NAME, HID_UNIQ) and has no manufacturer.
class SysfsHidNode {
public:
    // Looks the node up by its character device number below `sysfsRoot`
    // (normally "/sys"). found() is false when sysfs does not know it.
    static SysfsHidNode read(const std::string& sysfsRoot, unsigned major, unsigned minor);

    bool found() const { return found_; }

    // From the HID device's HID_ID; false when it has none.
    bool hasHidId() const { return hasHidId_; }
    std::uint32_t bus() const { return bus_; }
    std::uint16_t vendorId() const { return vendorId_; }
    std::uint16_t productId() const { return productId_; }
    // bcdDevice of the USB device, 0 for other devices.
    std::uint16_t version() const { return version_; }

    std::string manufacturer() const;
    std::string product() const;
    std::string serialNumber() const;
    // The string with a USB string index (1 to 255); empty when there is none.
    // The indexes come from the USB device descriptor when sysfs has it, else
    // they are 1, 2 and 3 for manufacturer, product and serial number.
    std::string indexedString(std::uint32_t index) const;
    bool hasAnyString() const;

    // The report descriptor as sysfs gives it; empty when it cannot be read.
    std::vector<std::uint8_t> reportDescriptor() const;

private:
    bool found_ = false;
    bool usb_ = false;
    bool hasHidId_ = false;
    std::uint32_t bus_ = 0;
    std::uint16_t vendorId_ = 0;
    std::uint16_t productId_ = 0;
    std::uint16_t version_ = 0;
    std::string hidDirectory_;
    std::string hidName_;
    std::string hidUniq_;
    std::string usbManufacturer_;
    std::string usbProduct_;
    std::string usbSerial_;
    // String indexes of manufacturer, product and serial number.
    std::uint8_t stringIndexes_[3] = {1, 2, 3};
};
