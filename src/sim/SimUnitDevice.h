#pragma once

// Presents a VirtualUnit as a HID device of a SimHidPlatform: the unit's USB
// strings and report lengths, its replies as input reports after its latency,
// and its leaving and coming back (format, boot mode, unplug fault) as the
// platform's unplug and timed replug.
//
// The unit answers on the thread that writes to it; a test reads its settings
// on that same thread, between writes.

#include <cstdint>
#include <memory>
#include <string>

#include "sim/SimHidPlatform.h"
#include "sim/VirtualUnit.h"

inline constexpr std::uint16_t UnitVendorId = 0xB8E0;
inline constexpr std::uint16_t UnitProductId = 0x0008;
inline constexpr std::uint16_t UnitVersion = 0x0302;

class SimUnitDevice {
public:
    // Attaches a new unit with this serial number. `seed` drives the noise of
    // its readings. Units beside each other need distinct serial numbers, or
    // distinct `port`s: two units with one serial number on two ports have
    // two paths, as on a hub.
    SimUnitDevice(SimHidPlatform& platform, std::string serial, std::uint64_t seed = 1,
                  const std::string& port = {});

    // The device stays attached: the platform keeps the unit alive while it
    // lists it or has it scheduled to come back.
    ~SimUnitDevice() = default;
    SimUnitDevice(const SimUnitDevice&) = delete;
    SimUnitDevice& operator=(const SimUnitDevice&) = delete;

    VirtualUnit& unit() { return *unit_; }
    const std::string& serial() const { return serial_; }
    const std::string& path() const { return description_.path; }
    const SimDeviceDescription& description() const { return description_; }

    bool plugged() const;
    // Attaches the unit again, e.g. after it left for good; nothing when attached.
    void plug();
    void unplug();

private:
    SimHidPlatform& platform_;
    std::string serial_;
    std::shared_ptr<VirtualUnit> unit_;
    SimDeviceDescription description_;
};
