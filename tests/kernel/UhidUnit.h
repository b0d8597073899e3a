#pragma once

// The virtual unit behind a uhid adapter: the unit's side of the protocol
// answering the reports the kernel passes on, and presenting itself with the
// unit's identity and a report descriptor of one 64-byte input and one 64-byte
// output report without report IDs (65/65/0 with the ID byte counted).
//
// The unit keeps its settings while it is destroyed and created again, as a
// unit that is unplugged and plugged in again does.

#include <chrono>
#include <string>

#include "UhidDevice.h"
#include "sim/VirtualUnit.h"

class UhidUnit {
public:
    explicit UhidUnit(std::string serial);

    VirtualUnit& unit() { return unit_; }
    UhidDevice& device() { return device_; }
    // Each reply leaves this long after its request arrived, as a real unit's
    // does; 0 answers at once.
    void setAnswerDelay(std::chrono::microseconds delay) { delay_ = delay; }

private:
    void answer(const std::uint8_t* report, std::size_t size);

    VirtualUnit unit_;
    UhidDevice device_;
    std::chrono::microseconds delay_{0};
};
