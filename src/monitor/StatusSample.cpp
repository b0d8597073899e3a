#include "monitor/StatusSample.h"

#include <charconv>

#include "protocol/Status.h"

namespace monitor {

StatusSample sampleOf(const protocol::StatusReply& status, std::int64_t timeMs) {
    StatusSample sample;
    sample.timeMs = timeMs;
    sample.analogValue1 = status.adValue[0];
    sample.analogRaw1 = status.adRaw[0];
    sample.smsSent = status.smsSent;
    sample.smsReceived = status.smsReceived;
    sample.signal = status.gsmSignal;
    sample.rssi = status.rssi;
    sample.network = status.networkState;
    // Any state byte that is not zero is active.
    for (int index = 0; index < 3; ++index) {
        if (status.digitalInputs[static_cast<std::size_t>(index)] != 0) {
            sample.states |= static_cast<std::uint8_t>(1U << index);
        }
    }
    if (status.relay != 0) {
        sample.states |= 8U;
    }
    return sample;
}

std::string csvHeader() {
    return "time,signal,rssi,network,input1,input2,input3,relay,analogRaw1,analogValue1,smsSent,"
           "smsReceived\r\n";
}

namespace {

void appendNumber(std::string& line, std::int64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    line.append(digits, end);
}

// Four decimals with a full stop, whatever the locale.
void appendFixedPoint(std::string& line, std::int32_t value) {
    const std::int64_t wide = value;
    const std::int64_t magnitude = wide < 0 ? -wide : wide;
    if (wide < 0) {
        line += '-';
    }
    appendNumber(line, magnitude / 10000);
    line += '.';
    const std::string fraction = std::to_string(magnitude % 10000);
    line.append(4 - fraction.size(), '0');
    line += fraction;
}

}  // namespace

std::string csvLine(const StatusSample& sample, std::string_view time) {
    std::string line(time);
    for (const std::int64_t value :
         {std::int64_t{sample.signal}, std::int64_t{sample.rssi}, std::int64_t{sample.network},
          std::int64_t{sample.input(0)}, std::int64_t{sample.input(1)},
          std::int64_t{sample.input(2)}, std::int64_t{sample.relay()},
          std::int64_t{sample.analogRaw1}}) {
        line += ',';
        appendNumber(line, value);
    }
    line += ',';
    appendFixedPoint(line, sample.analogValue1);
    line += ',';
    appendNumber(line, sample.smsSent);
    line += ',';
    appendNumber(line, sample.smsReceived);
    line += "\r\n";
    return line;
}

}  // namespace monitor
