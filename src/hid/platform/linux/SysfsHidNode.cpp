#include "hid/platform/linux/SysfsHidNode.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string_view>

namespace fs = std::filesystem;

namespace {

// sysfs attributes fit in a page; uevent files and report descriptors are
// bounded by the kernel too, but a fixture or an odd file must not make us
// read without end.
constexpr std::size_t MaxAttributeBytes = 4096;
constexpr std::size_t MaxUeventBytes = 16384;
constexpr std::size_t MaxDescriptorBytes = 16384;
constexpr int MaxAncestors = 64;
constexpr std::size_t UsbDeviceDescriptorLength = 18;

std::string readBounded(const fs::path& path, std::size_t maxBytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {};
    }
    std::string data(maxBytes, '\0');
    in.read(data.data(), static_cast<std::streamsize>(maxBytes));
    data.resize(static_cast<std::size_t>(in.gcount()));
    return data;
}

std::string readAttribute(const fs::path& path) {
    std::string value = readBounded(path, MaxAttributeBytes);
    if (!value.empty() && value.back() == '\n') {
        value.pop_back();
    }
    return value;
}

std::map<std::string, std::string> readUevent(const fs::path& dir) {
    std::map<std::string, std::string> values;
    const std::string text = readBounded(dir / "uevent", MaxUeventBytes);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string_view line(text.data() + start, end - start);
        const std::size_t eq = line.find('=');
        if (eq != std::string_view::npos) {
            values.emplace(std::string(line.substr(0, eq)), std::string(line.substr(eq + 1)));
        }
        start = end + 1;
    }
    return values;
}

bool parseHex(std::string_view text, std::uint32_t& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

}  // namespace

SysfsHidNode SysfsHidNode::read(const std::string& sysfsRoot, unsigned major, unsigned minor) {
    SysfsHidNode node;
    std::error_code ec;
    const fs::path root = fs::canonical(sysfsRoot, ec);
    if (ec) {
        return node;
    }
    char name[32];
    std::snprintf(name, sizeof name, "%u:%u", major, minor);
    const fs::path nodeDir = fs::canonical(root / "dev" / "char" / name, ec);
    if (ec || std::mismatch(root.begin(), root.end(), nodeDir.begin(), nodeDir.end()).first !=
                  root.end()) {
        return node;
    }

    bool haveHid = false;
    fs::path dir = nodeDir.parent_path();
    for (int i = 0; i < MaxAncestors && dir != root && dir.has_relative_path(); ++i) {
        const auto uevent = readUevent(dir);
        if (!haveHid) {
            if (const auto id = uevent.find("HID_ID"); id != uevent.end()) {
                haveHid = true;
                node.hidDirectory_ = dir.string();
                if (const auto v = uevent.find("HID_NAME"); v != uevent.end()) {
                    node.hidName_ = v->second;
                }
                if (const auto v = uevent.find("HID_UNIQ"); v != uevent.end()) {
                    node.hidUniq_ = v->second;
                }
                // bus:vendor:product in hexadecimal, e.g. 0003:00001234:00005678.
                const std::string& text = id->second;
                const std::size_t first = text.find(':');
                const std::size_t second =
                    first == std::string::npos ? first : text.find(':', first + 1);
                std::uint32_t bus = 0;
                std::uint32_t vendor = 0;
                std::uint32_t product = 0;
                if (second != std::string::npos &&
                    parseHex(std::string_view(text).substr(0, first), bus) &&
                    parseHex(std::string_view(text).substr(first + 1, second - first - 1),
                             vendor) &&
                    parseHex(std::string_view(text).substr(second + 1), product)) {
                    node.hasHidId_ = true;
                    node.bus_ = bus;
                    node.vendorId_ = static_cast<std::uint16_t>(vendor);
                    node.productId_ = static_cast<std::uint16_t>(product);
                }
            }
        } else if (const auto type = uevent.find("DEVTYPE");
                   type != uevent.end() && type->second == "usb_device") {
            node.usb_ = true;
            node.usbManufacturer_ = readAttribute(dir / "manufacturer");
            node.usbProduct_ = readAttribute(dir / "product");
            node.usbSerial_ = readAttribute(dir / "serial");
            std::uint32_t bcd = 0;
            if (parseHex(readAttribute(dir / "bcdDevice"), bcd)) {
                node.version_ = static_cast<std::uint16_t>(bcd);
            }
            // The device descriptor leads the descriptors attribute; its
            // iManufacturer, iProduct and iSerialNumber are bytes 14 to 16.
            const std::string descriptor =
                readBounded(dir / "descriptors", UsbDeviceDescriptorLength);
            if (descriptor.size() == UsbDeviceDescriptorLength &&
                static_cast<unsigned char>(descriptor[0]) == UsbDeviceDescriptorLength &&
                descriptor[1] == 1) {
                for (int k = 0; k < 3; ++k) {
                    node.stringIndexes_[k] = static_cast<std::uint8_t>(descriptor[14 + k]);
                }
            }
            break;
        }
        dir = dir.parent_path();
    }
    node.found_ = haveHid;
    return node;
}

std::string SysfsHidNode::manufacturer() const {
    return usb_ ? usbManufacturer_ : std::string();
}

std::string SysfsHidNode::product() const {
    return usb_ ? usbProduct_ : hidName_;
}

std::string SysfsHidNode::serialNumber() const {
    return usb_ ? usbSerial_ : hidUniq_;
}

std::string SysfsHidNode::indexedString(std::uint32_t index) const {
    if (index == 0) {
        return {};
    }
    const std::string strings[3] = {manufacturer(), product(), serialNumber()};
    for (int k = 0; k < 3; ++k) {
        if (stringIndexes_[k] == index && !strings[k].empty()) {
            return strings[k];
        }
    }
    return {};
}

bool SysfsHidNode::hasAnyString() const {
    return !manufacturer().empty() || !product().empty() || !serialNumber().empty();
}

std::vector<std::uint8_t> SysfsHidNode::reportDescriptor() const {
    if (hidDirectory_.empty()) {
        return {};
    }
    const std::string bytes =
        readBounded(fs::path(hidDirectory_) / "report_descriptor", MaxDescriptorBytes);
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}
