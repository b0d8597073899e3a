#pragma once

// Trigger enables, detection delays and the all-enabled flag of the three
// digital inputs: read ("GA" "D" and its reply), write ("SA" "D", not
// answered). The reply carries the enables as a bit mask in byte 5, the write
// as three bytes 4 to 6, so the other fields sit one byte apart.

#include <array>
#include <cstdint>

#include "protocol/CommandReport.h"
#include "protocol/Reply.h"

namespace protocol {

struct DigitalTriggers {
    std::array<bool, 3> enabled{};
    std::array<std::uint8_t, 3> delays{};  // ticks of 100 ms
    bool allEnabled = false;
};

CommandReport requestDigitalTriggers();
CommandReport writeDigitalTriggers(const DigitalTriggers& triggers);
// For a reply of kind ReplyKind::DigitalTriggers. Bits 3 to 7 of the mask
// are ignored; the all-enabled flag is set only by exactly 1.
DigitalTriggers decodeDigitalTriggers(const Reply& reply);

}  // namespace protocol
