#include "protocol/PulseTime.h"

namespace protocol {

CommandReport requestPulseTime() {
    return CommandReport::withParams('G', 'O');
}

CommandReport writePulseTime(std::uint8_t ticks) {
    return CommandReport::withParams('S', 'O', {'P', ticks});
}

std::uint8_t decodePulseTime(const Reply& reply) {
    return reply.byte(4);
}

}  // namespace protocol
