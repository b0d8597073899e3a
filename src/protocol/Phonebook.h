#pragma once

// The call phonebook of 100 records and the call function: read one record
// ("GC" and its reply), write one ("SC" in block form, acknowledged by an "SC"
// reply), switch the call function on or off ("SD" "E", not answered).

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "protocol/CommandReport.h"
#include "protocol/Reply.h"
#include "protocol/WireText.h"

namespace protocol {

inline constexpr std::size_t PhonebookRecordCount = 100;
// Characters written; a reply may carry a number of up to 16.
inline constexpr std::size_t PhonebookNumberMaxLength = 15;
inline constexpr std::size_t PhonebookNoteMaxLength = 6;

using PhonebookRecord = std::array<std::uint8_t, 32>;

struct PhonebookReply {
    // Byte 4 alone; the high byte of the index in byte 3 is not used.
    std::uint8_t row = 0;
    std::u16string number;  // bytes 5 to 20
    std::u16string note;    // bytes 21 to 26
    bool active = false;    // byte 28 is exactly 1
};

CommandReport requestPhonebookRecord(std::uint16_t index);
// A number or note longer than its maximum is cut.
PhonebookRecord phonebookRecord(std::uint16_t index, const WireText& number, const WireText& note,
                                bool active);
// The record as the block of "SC".
CommandReport writePhonebookRecord(std::uint16_t index, const WireText& number,
                                   const WireText& note, bool active);
PhonebookReply decodePhonebookRecord(const Reply& reply);
CommandReport switchCallFunction(bool on);

}  // namespace protocol
