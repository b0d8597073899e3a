#include "sim/SimDevices.h"

#include <algorithm>
#include <cstdio>
#include <utility>

std::u16string simText(std::string_view text) {
    std::u16string out;
    for (char c : text) {
        out.push_back(static_cast<unsigned char>(c));
    }
    return out;
}

SimDeviceDescription keyboardDevice(std::string path, std::optional<std::string> product,
                                    std::uint16_t vendorId, std::uint16_t productId) {
    SimDeviceDescription desc;
    desc.path = std::move(path);
    desc.attributes = {sizeof(HidAttributes), vendorId, productId, 0x0110};
    // A boot keyboard: modifier byte, reserved byte and six key codes in, the
    // LED byte out, each after the report ID byte.
    desc.caps.Usage = 0x0006;
    desc.caps.UsagePage = 0x0001;
    desc.caps.InputReportByteLength = 9;
    desc.caps.OutputReportByteLength = 2;
    desc.caps.NumberLinkCollectionNodes = 1;
    desc.manufacturer = simText("Generic");
    desc.indexedStrings = {{1, *desc.manufacturer}};
    if (product) {
        desc.product = simText(*product);
        desc.indexedStrings[2] = *desc.product;
    }
    desc.languageIds = {0x0409};
    desc.textProperties[HidPropDeviceDesc] = "HID Keyboard Device";
    return desc;
}

namespace {

void fillDemoSettings(VirtualUnit& unit) {
    unit.setGsmNumber(0, "+381641234567");
    unit.setGsmNumber(1, "+381631112223");
    unit.setSmsText(0, "Ulaz 1 aktiviran");
    unit.setSmsText(3, "Ulaz 1 deaktiviran");
    unit.setSmsText(6, "Analogni ulaz");
    unit.setSmsText(7, "Vrednost iznad maksimuma");
    unit.setSmsText(8, "Vrednost ispod minimuma");
    unit.setSmsText(9, "Vrednost normalizovana");
    unit.setDigitalTriggers({{1, 1, 0}, {5, 5, 10}, 1});
    unit.setAnalogAlarm({800000, 200000, 30, 3, 1, 1});
    // 0 to 4095 raw shows as 0 to about 100.
    unit.setCalibration({{244, 10000}, {0, 0}, {0, 0}, {0, 0}});
    unit.setPhonebookRecord(0, {"+381641234567", "Servis", 1});
    unit.setPhonebookRecord(1, {"+381601112233", "Dom", 0});
    unit.setCallFunction(1);
    unit.live().phoneNumber = "+381641234567";
}

}  // namespace

std::optional<int> demoUnitCount(std::string_view text) {
    // Two digits at most, so that no long number can overflow.
    if (text.empty() || text.size() > 2 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    int count = 0;
    for (const char c : text) {
        count = count * 10 + (c - '0');
    }
    return count <= MaxDemoUnits ? std::optional(count) : std::nullopt;
}

std::vector<std::unique_ptr<SimUnitDevice>> attachDemoUnits(SimHidPlatform& platform, int count) {
    std::vector<std::unique_ptr<SimUnitDevice>> units;
    for (int i = 1; i <= count; ++i) {
        char serial[16];
        std::snprintf(serial, sizeof serial, "BRV8-%06d", i);
        auto device = std::make_unique<SimUnitDevice>(platform, serial, i);
        VirtualUnit& unit = device->unit();
        UnitBehaviour& b = unit.behaviour();
        b.latencyMs = 2;
        b.formatTimeMs = 8000;
        b.bootTimeMs = 3000;
        fillDemoSettings(unit);
        units.push_back(std::move(device));
    }
    return units;
}

void startWandering(const std::vector<std::unique_ptr<SimUnitDevice>>& units) {
    for (std::size_t i = 0; i < units.size(); ++i) {
        units[i]->unit().setWandering(i + 1);
    }
}
