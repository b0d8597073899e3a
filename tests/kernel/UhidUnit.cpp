#include "UhidUnit.h"

#include <linux/input.h>
#include <time.h>

#include <cerrno>

#include "sim/SimUnitDevice.h"

namespace {

// Vendor-defined page 0xFF00, usage 1: 64 bytes in, 64 bytes out, no IDs.
const std::vector<std::uint8_t> unitReportDescriptor = {
    0x06, 0x00, 0xFF,  // Usage Page (0xFF00)
    0x09, 0x01,        // Usage (1)
    0xA1, 0x01,        // Collection (Application)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x00,  //   Logical Maximum (255)
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x40,        //   Report Count (64)
    0x09, 0x01,        //   Usage (1)
    0x81, 0x02,        //   Input (Data, Variable, Absolute)
    0x95, 0x40,        //   Report Count (64)
    0x09, 0x01,        //   Usage (1)
    0x91, 0x02,        //   Output (Data, Variable, Absolute)
    0xC0,              // End Collection
};

}  // namespace

UhidUnit::UhidUnit(std::string serial)
    : device_({"Kelmarion Brevalon 8", std::move(serial), unitReportDescriptor, BUS_USB,
               UnitVendorId, UnitProductId, UnitVersion},
              [this](const std::uint8_t* report, std::size_t size) { answer(report, size); }) {}

void UhidUnit::answer(const std::uint8_t* report, std::size_t size) {
    timespec due{};
    clock_gettime(CLOCK_MONOTONIC, &due);
    // The unit's process serves one request at a time, as the unit does: the
    // reply is due a fixed time after its request arrived.
    const auto nanos = static_cast<long>(due.tv_nsec) +
                       static_cast<long>(std::chrono::nanoseconds(delay_).count());
    due.tv_sec += nanos / 1'000'000'000;
    due.tv_nsec = nanos % 1'000'000'000;
    while (delay_.count() > 0 &&
           clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr) == EINTR) {
    }
    // Formatting and the boot mode, which take the unit off the bus, are not
    // asked for here; their replies are none.
    for (const UnitReport& reply : unit_.handle(report, size).replies) {
        // Replies are made report ID first; on the wire the unit sends the
        // bytes after it.
        if (!reply.empty()) {
            device_.sendInput(reply.data() + 1, reply.size() - 1);
        }
    }
}
