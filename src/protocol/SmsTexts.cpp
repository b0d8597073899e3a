#include "protocol/SmsTexts.h"

namespace protocol {

CommandReport requestSmsText(std::uint8_t slot) {
    return CommandReport::withParams('G', 'P', {slot});
}

SmsTextRecord smsTextRecord(std::uint8_t slot, const WireText& text) {
    SmsTextRecord record{slot};
    text.writeTo(std::span(record).subspan(1, SmsTextMaxLength));
    return record;
}

CommandReport writeSmsText(std::uint8_t slot, const WireText& text) {
    return CommandReport::withBlock('S', 'P', smsTextRecord(slot, text));
}

SmsTextReply decodeSmsText(const Reply& reply) {
    return {reply.byte(4), reply.text(5, 32)};
}

}  // namespace protocol
