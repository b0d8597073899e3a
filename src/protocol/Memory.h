#pragma once

// The settings memory: 4096 bytes read as 128 packets of 32 bytes ("GM" and
// its reply), and the format order "SF", which the unit does not answer.

#include <array>
#include <cstddef>
#include <cstdint>

#include "protocol/CommandReport.h"
#include "protocol/Reply.h"

namespace protocol {

inline constexpr std::size_t MemoryPacketSize = 32;
inline constexpr std::size_t MemoryPacketCount = 128;
inline constexpr std::size_t MemorySize = MemoryPacketSize * MemoryPacketCount;

struct MemoryPacket {
    std::uint16_t index = 0;                            // bytes 3-4
    std::array<std::uint8_t, MemoryPacketSize> data{};  // bytes 5 to 36
};

CommandReport requestMemoryPacket(std::uint16_t index);
// The index as the unit sent it; one of MemoryPacketCount or more lies outside
// the memory.
MemoryPacket decodeMemoryPacket(const Reply& reply);
CommandReport formatMemory();

}  // namespace protocol
