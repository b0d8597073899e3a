#include "protocol/Memory.h"

#include <algorithm>

namespace protocol {

CommandReport requestMemoryPacket(std::uint16_t index) {
    return CommandReport::withParams(
        'G', 'M', {static_cast<std::uint8_t>(index >> 8), static_cast<std::uint8_t>(index)});
}

MemoryPacket decodeMemoryPacket(const Reply& reply) {
    MemoryPacket packet;
    packet.index = reply.u16(3);
    const auto data = reply.bytes(5, MemoryPacketSize);
    std::copy(data.begin(), data.end(), packet.data.begin());
    return packet;
}

CommandReport formatMemory() {
    return CommandReport::withParams('S', 'F');
}

}  // namespace protocol
