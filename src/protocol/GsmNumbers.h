#pragma once

// The six GSM numbers, 0 to 5: read one ("GN" and its reply), write one ("SN",
// acknowledged by an "SN" reply). The written number starts at byte 4, the
// number in a reply at byte 5.

#include <cstddef>
#include <cstdint>
#include <string>

#include "protocol/CommandReport.h"
#include "protocol/Reply.h"
#include "protocol/WireText.h"

namespace protocol {

inline constexpr std::size_t GsmNumberCount = 6;
// Characters written; a reply may carry up to 16.
inline constexpr std::size_t GsmNumberMaxLength = 15;

struct GsmNumberReply {
    std::uint8_t index = 0;  // byte 3
    std::u16string number;   // bytes 5 to 20
};

CommandReport requestGsmNumber(std::uint8_t index);
// A number longer than GsmNumberMaxLength is cut.
CommandReport writeGsmNumber(std::uint8_t index, const WireText& number);
GsmNumberReply decodeGsmNumber(const Reply& reply);

}  // namespace protocol
