#include "protocol/Calibration.h"

#include "protocol/BigEndian.h"

#include <cmath>

namespace protocol {

CommandReport requestCalibration() {
    return CommandReport::withParams('G', 'K', {'A'});
}

CommandReport writeCalibration(const Calibration& c) {
    // Indexes are report bytes minus 3: K, N of channel 1 at bytes 4 and 8, of
    // channel 2 at 12 and 16; offsets at 20 and 22; flags at 24 and 25.
    CommandReport::Params params{'A'};
    for (std::size_t ch = 0; ch < 2; ++ch) {
        const ChannelCalibration& channel = c.channels[ch];
        writeU32(params, 1 + 8 * ch, static_cast<std::uint32_t>(channel.k));
        writeU32(params, 5 + 8 * ch, static_cast<std::uint32_t>(channel.n));
        writeU16(params, 17 + 2 * ch, static_cast<std::uint16_t>(channel.offset));
        params[21 + ch] = channel.voltageOut;
    }
    return CommandReport::withParams('S', 'K', params);
}

Calibration decodeCalibration(const Reply& reply) {
    Calibration c;
    for (std::size_t ch = 0; ch < 2; ++ch) {
        ChannelCalibration& channel = c.channels[ch];
        channel.k = reply.s32(5 + 8 * ch);
        channel.n = reply.s32(9 + 8 * ch);
        channel.offset = reply.s16(21 + 2 * ch);
        channel.voltageOut = reply.byte(25 + ch) != 0;
    }
    return c;
}

CapturedK captureK(double zero, double fullScale, double valueAtFullScale) {
    const double span = fullScale - zero;
    if (span == 0) {
        return {valueAtFullScale == 0 ? CapturedK::Fault::ZeroOverZero
                                      : CapturedK::Fault::DivisionByZero};
    }
    const double k = valueAtFullScale / span;
    if (!std::isfinite(k)) {
        return {CapturedK::Fault::Overflow};
    }
    return {CapturedK::Fault::None, k};
}

std::int64_t captureOffset(std::int64_t zero) {
    return -zero;
}

}  // namespace protocol
