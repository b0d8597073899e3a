// Lists the HID interfaces the system reports, with what can be read of each
// through a query-only channel.

#include <cstdio>
#include <string>
#include <vector>

#include "hid/platform/SystemHidPlatform.h"

namespace {

// Enough for a console: characters outside ASCII show as '?'.
std::string printable(const char16_t* text) {
    std::string out;
    for (; *text != u'\0'; ++text) {
        out += *text < 0x80 ? static_cast<char>(*text) : '?';
    }
    return out;
}

void describe(HidPlatform& platform, const HidInterfaceRecord& record) {
    std::printf("%08X %s\n", static_cast<unsigned>(record.DeviceID), record.DevicePath.c_str());
    const auto classText = record.TextProperties.find(HidPropClass);
    if (classText != record.TextProperties.end()) {
        std::printf("  class %s\n", classText->second.c_str());
    }
    const HidHandle handle = platform.open(record.DevicePath, HidAccess::QueryOnly);
    if (handle == InvalidHandle) {
        std::printf("  cannot be opened: %s", platform.errorMessage(platform.lastError()).c_str());
        return;
    }
    HidAttributes attributes;
    if (platform.getAttributes(handle, attributes)) {
        std::printf("  VID %04X PID %04X version %04X\n", attributes.VendorID, attributes.ProductID,
                    attributes.VersionNumber);
    }
    char16_t product[127] = {};
    if (platform.getProductString(handle, product, sizeof(product) - sizeof(char16_t))) {
        std::printf("  product %s\n", printable(product).c_str());
    }
    platform.close(handle);
}

}  // namespace

int main() {
    const auto platform = createSystemHidPlatform();
    std::printf("HID library version: %s\n", platform->hidVersion().c_str());
    std::vector<HidInterfaceRecord> interfaces;
    if (!platform->listInterfaces(interfaces)) {
        std::printf("The HID interfaces cannot be listed: %s",
                    platform->errorMessage(platform->lastError()).c_str());
        return 1;
    }
    std::printf("%zu HID interfaces\n", interfaces.size());
    for (const HidInterfaceRecord& record : interfaces) {
        describe(*platform, record);
    }
    return 0;
}
