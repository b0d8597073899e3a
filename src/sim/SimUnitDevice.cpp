#include "sim/SimUnitDevice.h"

#include <chrono>
#include <cstdio>
#include <utility>

#include "sim/SimDevices.h"

namespace {

std::string hex4(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value);
    return text;
}

SimDeviceDescription unitDescription(const std::string& serial, const std::string& port) {
    SimDeviceDescription desc;
    desc.path = "\\\\?\\hid#vid_" + hex4(UnitVendorId) + "&pid_" + hex4(UnitProductId) + "#" +
                serial + (port.empty() ? "" : "&" + port) +
                "#{4d1e55b2-f16f-11cf-88cb-001111000030}";
    desc.attributes = {sizeof(HidAttributes), UnitVendorId, UnitProductId, UnitVersion};
    // One vendor-defined collection with a 64-byte input and output report
    // without report ID, and no feature report.
    desc.caps.Usage = 0x0001;
    desc.caps.UsagePage = 0xFF00;
    desc.caps.InputReportByteLength = UnitReportLength;
    desc.caps.OutputReportByteLength = UnitReportLength;
    desc.caps.NumberLinkCollectionNodes = 1;
    desc.caps.NumberInputValueCaps = 1;
    desc.caps.NumberInputDataIndices = 1;
    desc.caps.NumberOutputValueCaps = 1;
    desc.caps.NumberOutputDataIndices = 1;
    desc.manufacturer = simText("Kelmarion");
    desc.product = simText("Brevalon 8");
    desc.serial = simText(serial);
    desc.indexedStrings = {{1, *desc.manufacturer}, {2, *desc.product}, {3, *desc.serial}};
    desc.languageIds = {0x0409};
    desc.textProperties[HidPropDeviceDesc] = "HID-compliant vendor-defined device";
    desc.multiTextProperties[HidPropHardwareID] = {"HID\\VID_" + hex4(UnitVendorId) + "&PID_" +
                                                   hex4(UnitProductId) + "&REV_" +
                                                   hex4(UnitVersion)};
    return desc;
}

}  // namespace

SimUnitDevice::SimUnitDevice(SimHidPlatform& platform, std::string serial, std::uint64_t seed,
                             const std::string& port)
    : platform_(platform),
      serial_(std::move(serial)),
      unit_(std::make_shared<VirtualUnit>(seed)),
      description_(unitDescription(serial_, port)) {
    description_.responder = [unit = unit_, &platform,
                              path = description_.path](const UnitReport& report) {
        const UnitResponse response = unit->handle(report);
        std::vector<SimInputReport> out;
        switch (response.bus) {
            case UnitResponse::Bus::Leave:
                platform.unplug(path);
                break;
            case UnitResponse::Bus::LeaveAndReturn:
                platform.replugAfter(path, std::chrono::milliseconds(response.offBusMs));
                break;
            case UnitResponse::Bus::Stay:
                for (const UnitReport& reply : response.replies) {
                    out.push_back({reply, std::chrono::milliseconds(response.delayMs)});
                }
                break;
        }
        return out;
    };
    platform_.plug(description_);
}

bool SimUnitDevice::plugged() const {
    return platform_.isPlugged(description_.path);
}

void SimUnitDevice::plug() {
    if (!plugged()) {
        platform_.plug(description_);
    }
}

void SimUnitDevice::unplug() {
    platform_.unplug(description_.path);
}
