#pragma once

// Calibration of both analog channels: coefficients K and N (fixed point, the
// value times 10000), the raw offset and the voltage-output flag; read ("GK"
// "A" and its reply) and write ("SK" "A", not answered). The reply has the
// layout of the write moved one byte further on.

#include <array>
#include <cstdint>

#include "protocol/CommandReport.h"
#include "protocol/Reply.h"

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

// K of a channel from a zero and a full-scale capture of its raw reading and
// the value the full scale stands for: value / (fullScale - zero).
struct CapturedK {
    enum class Fault {
        None,
        ZeroOverZero,    // no span and a value of 0
        DivisionByZero,  // no span
        Overflow,        // a K beyond what a double holds
    };
    Fault fault = Fault::None;
    double k = 0;
};
CapturedK captureK(double zero, double fullScale, double valueAtFullScale);
// The raw offset that brings the zero capture to 0.
std::int64_t captureOffset(std::int64_t zero);

}  // namespace protocol
