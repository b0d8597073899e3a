#pragma once

// Calibration of both analog channels: coefficients K and N (fixed point, the
// value times 10000), the raw offset and the voltage-output flag; read ("GK"
// "A" and its reply) and write ("SK" "A", not answered). The reply has the
// layout of the write moved one byte further on.

#include <array>
#include <cstdint>

#include "CommandReport.h"
#include "Reply.h"

namespace protocol {

struct ChannelCalibration {
    std::int32_t k = 0;
    std::int32_t n = 0;
    std::int16_t offset = 0;
    bool voltageOut = false;
};

struct Calibration {
    std::array<ChannelCalibration, 2> channels{};
};

CommandReport requestCalibration();
CommandReport writeCalibration(const Calibration& calibration);
// For a reply of kind ReplyKind::Calibration. Any non-zero voltage-output
// byte means yes.
Calibration decodeCalibration(const Reply& reply);

}  // namespace protocol
