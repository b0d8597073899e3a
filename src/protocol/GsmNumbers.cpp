#include "protocol/GsmNumbers.h"

namespace protocol {

CommandReport requestGsmNumber(std::uint8_t index) {
    return CommandReport::withParams('G', 'N', {index});
}

CommandReport writeGsmNumber(std::uint8_t index, const WireText& number) {
    CommandReport::Params params{index};
    number.writeTo(std::span(params).subspan(1, GsmNumberMaxLength));  // bytes 4 to 18
    return CommandReport::withParams('S', 'N', params);
}

GsmNumberReply decodeGsmNumber(const Reply& reply) {
    return {reply.byte(3), reply.text(5, 16)};
}

}  // namespace protocol
