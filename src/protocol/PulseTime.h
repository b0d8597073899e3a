#pragma once

// The relay's hold time in pulse mode, in ticks of 100 ms: read ("GO" and its
// reply) and write ("SO" "P", not answered).

#include <cstdint>

#include "protocol/CommandReport.h"
#include "protocol/Reply.h"

namespace protocol {

CommandReport requestPulseTime();
CommandReport writePulseTime(std::uint8_t ticks);
// Byte 4 of the reply.
std::uint8_t decodePulseTime(const Reply& reply);

}  // namespace protocol
