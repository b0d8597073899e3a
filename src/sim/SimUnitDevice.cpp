#include "SimUnitDevice.h"

#include <chrono>
#include <cstdio>
#include <utility>

#include "SimDevices.h"

namespace {

std::string hex4(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value);
    return text;
}

SimDeviceSpec unitSpec(const std::string& serial) {
    SimDeviceSpec spec;
    spec.path = "\\\\?\\hid#vid_" + hex4(UnitVendorId) + "&pid_" + hex4(UnitProductId) + "#" +
                serial + "#{4d1e55b2-f16f-11cf-88cb-001111000030}";
    spec.attributes = {sizeof(HidAttributes), UnitVendorId, UnitProductId, UnitVersion};
    // One vendor-defined collection with a 64-byte input and output report
    // without report ID, and no feature report.
    spec.caps.Usage = 0x0001;
    spec.caps.UsagePage = 0xFF00;
    spec.caps.InputReportByteLength = UnitReportLength;
    spec.caps.OutputReportByteLength = UnitReportLength;
    spec.caps.NumberLinkCollectionNodes = 1;
    spec.caps.NumberInputValueCaps = 1;
    spec.caps.NumberInputDataIndices = 1;
    spec.caps.NumberOutputValueCaps = 1;
    spec.caps.NumberOutputDataIndices = 1;
    spec.manufacturer = simText("Kelmarion");
    spec.product = simText("Brevalon 8");
    spec.serial = simText(serial);
    spec.indexedStrings = {{1, *spec.manufacturer}, {2, *spec.product}, {3, *spec.serial}};
    spec.languageIds = {0x0409};
    spec.textProperties[HidPropDeviceDesc] = "HID-compliant vendor-defined device";
    spec.multiTextProperties[HidPropHardwareID] = {"HID\\VID_" + hex4(UnitVendorId) + "&PID_" +
                                                   hex4(UnitProductId) + "&REV_" +
                                                   hex4(UnitVersion)};
    return spec;
}

}  // namespace

SimUnitDevice::SimUnitDevice(SimHidPlatform& platform, std::string serial, std::uint64_t seed)
    : platform_(platform),
      serial_(std::move(serial)),
      unit_(std::make_shared<VirtualUnit>(seed)),
      spec_(unitSpec(serial_)) {
    spec_.responder = [unit = unit_, &platform, path = spec_.path](const UnitReport& report) {
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
    platform_.plug(spec_);
}

bool SimUnitDevice::plugged() const {
    return platform_.isPlugged(spec_.path);
}

void SimUnitDevice::plug() {
    if (!plugged()) {
        platform_.plug(spec_);
    }
}

void SimUnitDevice::unplug() {
    platform_.unplug(spec_.path);
}
