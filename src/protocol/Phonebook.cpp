#include "protocol/Phonebook.h"

#include "protocol/BigEndian.h"

namespace protocol {

CommandReport requestPhonebookRecord(std::uint16_t index) {
    return CommandReport::withParams(
        'G', 'C', {static_cast<std::uint8_t>(index >> 8), static_cast<std::uint8_t>(index)});
}

PhonebookRecord phonebookRecord(std::uint16_t index, const WireText& number, const WireText& note,
                                bool active) {
    // Record byte r is report byte r + 3. Bytes 17 and 24 stay 0 and end the
    // number and the note.
    PhonebookRecord record{};
    writeU16(record, 0, index);
    number.writeTo(std::span(record).subspan(2, PhonebookNumberMaxLength));
    note.writeTo(std::span(record).subspan(18, PhonebookNoteMaxLength));
    record[25] = active;
    return record;
}

CommandReport writePhonebookRecord(std::uint16_t index, const WireText& number,
                                   const WireText& note, bool active) {
    return CommandReport::withBlock('S', 'C', phonebookRecord(index, number, note, active));
}

PhonebookReply decodePhonebookRecord(const Reply& reply) {
    return {reply.byte(4), reply.text(5, 16), reply.text(21, 6), reply.byte(28) == 1};
}

CommandReport switchCallFunction(bool on) {
    return CommandReport::withParams('S', 'D', {'E', on});
}

}  // namespace protocol
