#pragma once

// The ten SMS text slots, 0 to 9: read one ("GP" and its reply), write one
// ("SP" in block form, acknowledged by an "SP" reply). The block is a 32-byte
// record: the slot, up to 30 text bytes, and a zero that always ends it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "protocol/CommandReport.h"
#include "protocol/Reply.h"
#include "protocol/WireText.h"

namespace protocol {

inline constexpr std::size_t SmsSlotCount = 10;
// Characters written; a reply may carry up to 32.
inline constexpr std::size_t SmsTextMaxLength = 30;

using SmsTextRecord = std::array<std::uint8_t, 32>;

struct SmsTextReply {
    std::uint8_t slot = 0;  // byte 4
    std::u16string text;    // bytes 5 to 36
};

CommandReport requestSmsText(std::uint8_t slot);
// A text longer than SmsTextMaxLength is cut.
SmsTextRecord smsTextRecord(std::uint8_t slot, const WireText& text);
// The record as the block of "SP".
CommandReport writeSmsText(std::uint8_t slot, const WireText& text);
SmsTextReply decodeSmsText(const Reply& reply);

}  // namespace protocol
