#include "protocol/DigitalTriggers.h"

namespace protocol {

CommandReport requestDigitalTriggers() {
    return CommandReport::withParams('G', 'A', {'D'});
}

CommandReport writeDigitalTriggers(const DigitalTriggers& t) {
    return CommandReport::withParams('S', 'A',
                                     {'D', t.enabled[0], t.enabled[1], t.enabled[2], t.delays[0],
                                      t.delays[1], t.delays[2], t.allEnabled});
}

DigitalTriggers decodeDigitalTriggers(const Reply& reply) {
    DigitalTriggers t;
    const std::uint8_t mask = reply.byte(5);
    for (std::size_t i = 0; i < t.enabled.size(); ++i) {
        t.enabled[i] = (mask >> i & 1) != 0;
        t.delays[i] = reply.byte(6 + i);
    }
    t.allEnabled = reply.byte(9) == 1;
    return t;
}

}  // namespace protocol
