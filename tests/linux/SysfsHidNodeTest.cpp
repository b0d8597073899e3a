#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "TempDir.h"
#include "hid/platform/linux/SysfsHidNode.h"

namespace fs = std::filesystem;

namespace {

const char* const usbDevice = "devices/pci0000:00/0000:00:14.0/usb1/1-2";
const char* const usbHid = "devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/0003:1FC9:8A01.0004";
const char* const uhidHid = "devices/virtual/misc/uhid/0003:1FC9:8A01.0007";

// The USB device descriptor: bLength 18, bDescriptorType 1, ..., and its
// string indexes iManufacturer 4, iProduct 5, iSerialNumber 6.
const std::string deviceDescriptor(
    "\x12\x01\x00\x02\x00\x00\x00\x40\xC9\x1F\x01\x8A\x02\x01"
    "\x04\x05\x06\x01",
    18);

// A sysfs-like tree with the nodes 245:0 (a USB device) and 245:3 (uhid).
class SysfsTree : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(tree.path().empty());
        // The root hub is a usb_device too; the nearest one is the device.
        tree.write("devices/pci0000:00/0000:00:14.0/usb1/uevent", "DEVTYPE=usb_device\n");
        tree.write("devices/pci0000:00/0000:00:14.0/usb1/product", "xHCI Host Controller\n");
        tree.write(fs::path(usbDevice) / "uevent", "MAJOR=189\nMINOR=3\nDEVTYPE=usb_device\n");
        tree.write(fs::path(usbDevice) / "manufacturer", "Brevalon d.o.o.\n");
        tree.write(fs::path(usbDevice) / "product", "Brevalon 8 GSM\n");
        tree.write(fs::path(usbDevice) / "serial", "BR-0042\n");
        tree.write(fs::path(usbDevice) / "bcdDevice", "0213\n");
        tree.write(fs::path(usbDevice) / "descriptors", deviceDescriptor + "\x09\x02\x29\x00");
        tree.write(fs::path(usbDevice) / "1-2:1.0/uevent",
                   "DEVTYPE=usb_interface\nDRIVER=usbhid\n");
        tree.write(fs::path(usbHid) / "uevent",
                   "DRIVER=hid-generic\nHID_ID=0003:00001FC9:00008A01\n"
                   "HID_NAME=Brevalon d.o.o. Brevalon 8 GSM\nHID_PHYS=usb-0000:00:14.0-2/input0\n"
                   "HID_UNIQ=\n");
        tree.write(fs::path(usbHid) / "report_descriptor", std::string("\x06\x00\xFF\x09\x01", 5));
        tree.write(fs::path(usbHid) / "hidraw/hidraw0/uevent",
                   "MAJOR=245\nMINOR=0\nDEVNAME=hidraw0\n");

        tree.write(fs::path(uhidHid) / "uevent",
                   "DRIVER=hid-generic\nHID_ID=0005:00001FC9:00008A01\n"
                   "HID_NAME=Virtual Brevalon 8 \xC4\x8C\nHID_UNIQ=sn-7\n");
        tree.write(fs::path(uhidHid) / "hidraw/hidraw3/uevent",
                   "MAJOR=245\nMINOR=3\nDEVNAME=hidraw3\n");

        fs::create_directories(tree.path() / "dev/char");
        fs::create_directory_symlink(fs::path("../..") / usbHid / "hidraw/hidraw0",
                                     tree.path() / "dev/char/245:0");
        fs::create_directory_symlink(fs::path("../..") / uhidHid / "hidraw/hidraw3",
                                     tree.path() / "dev/char/245:3");
    }

    SysfsHidNode node(unsigned minor) const {
        return SysfsHidNode::read(tree.path().string(), 245, minor);
    }

    TempDir tree;
};

using IndexedStrings = std::vector<std::pair<std::uint32_t, const char*>>;

void expectIndexedStrings(const SysfsHidNode& node, const IndexedStrings& strings) {
    for (const auto& [index, text] : strings) {
        EXPECT_EQ(node.indexedString(index), text) << "index " << index;
    }
}

}  // namespace

TEST_F(SysfsTree, UsbDeviceTakesItsStringsAndVersionFromTheUsbDevice) {
    const SysfsHidNode usb = node(0);
    ASSERT_TRUE(usb.found());
    EXPECT_TRUE(usb.hasHidId());
    EXPECT_EQ(usb.bus(), 0x0003u);
    EXPECT_EQ(usb.vendorId(), 0x1FC9);
    EXPECT_EQ(usb.productId(), 0x8A01);
    EXPECT_EQ(usb.version(), 0x0213);
    EXPECT_EQ(usb.manufacturer(), "Brevalon d.o.o.");
    EXPECT_EQ(usb.product(), "Brevalon 8 GSM");
    EXPECT_EQ(usb.serialNumber(), "BR-0042");
    EXPECT_TRUE(usb.hasAnyString());
    EXPECT_EQ(usb.reportDescriptor(), (std::vector<std::uint8_t>{0x06, 0x00, 0xFF, 0x09, 0x01}));

    // String indexes as the device descriptor gives them.
    expectIndexedStrings(usb, {{0, ""},
                               {1, ""},
                               {3, ""},
                               {4, "Brevalon d.o.o."},
                               {5, "Brevalon 8 GSM"},
                               {6, "BR-0042"},
                               {7, ""},
                               {255, ""}});
}

TEST_F(SysfsTree, UsbDeviceWithoutDescriptorsNumbersItsStringsOneToThree) {
    fs::remove(tree.path() / usbDevice / "descriptors");
    fs::remove(tree.path() / usbDevice / "serial");
    const SysfsHidNode usb = node(0);
    expectIndexedStrings(usb, {{1, "Brevalon d.o.o."}, {2, "Brevalon 8 GSM"}, {3, ""}, {4, ""}});
    EXPECT_EQ(usb.serialNumber(), "");
}

TEST_F(SysfsTree, DeviceThatIsNotUsbTakesItsStringsFromTheHidDevice) {
    const SysfsHidNode uhid = node(3);
    ASSERT_TRUE(uhid.found());
    EXPECT_EQ(uhid.bus(), 0x0005u);
    EXPECT_EQ(uhid.version(), 0);
    EXPECT_EQ(uhid.manufacturer(), "");
    EXPECT_EQ(uhid.product(), "Virtual Brevalon 8 \xC4\x8C");
    EXPECT_EQ(uhid.serialNumber(), "sn-7");
    expectIndexedStrings(uhid, {{1, ""}, {2, "Virtual Brevalon 8 \xC4\x8C"}, {3, "sn-7"}, {4, ""}});
}

TEST_F(SysfsTree, DeviceWithoutNameOrSerialHasNoString) {
    tree.write(fs::path(uhidHid) / "uevent", "HID_ID=0006:00001FC9:00008A01\nHID_NAME=\n");
    const SysfsHidNode bare = node(3);
    ASSERT_TRUE(bare.found());
    EXPECT_FALSE(bare.hasAnyString());
    EXPECT_EQ(bare.indexedString(2), "");
}

TEST_F(SysfsTree, UnknownNodesAndBrokenEntriesAreNotFound) {
    EXPECT_FALSE(node(9).found());
    EXPECT_FALSE(SysfsHidNode::read((tree.path() / "missing").string(), 245, 0).found());

    // An unreadable HID_ID leaves the identity unknown but the strings usable.
    tree.write(fs::path(uhidHid) / "uevent", "HID_ID=zz:1FC9\nHID_NAME=Odd\n");
    const SysfsHidNode odd = node(3);
    EXPECT_TRUE(odd.found());
    EXPECT_FALSE(odd.hasHidId());
    EXPECT_EQ(odd.product(), "Odd");

    // A link that leads out of the tree is not followed.
    fs::remove(tree.path() / "dev/char/245:3");
    fs::create_directory_symlink(fs::absolute(tree.path() / uhidHid / "hidraw/hidraw3"),
                                 tree.path() / "dev/char/245:4");
    TempDir other;
    ASSERT_FALSE(other.path().empty());
    fs::create_directories(other.path() / "dev/char");
    fs::create_directory_symlink(tree.path() / uhidHid / "hidraw/hidraw3",
                                 other.path() / "dev/char/245:3");
    EXPECT_TRUE(node(4).found());
    EXPECT_FALSE(SysfsHidNode::read(other.path().string(), 245, 3).found());
}
