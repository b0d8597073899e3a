#pragma once

// One status reply as the chart, the recording and `brevalon-cli monitor`
// keep it: the values they show, small enough that a day of them at ten
// replies a second fits in a few tens of megabytes.

#include <cstdint>
#include <string>
#include <string_view>

namespace protocol {
struct StatusReply;
}

namespace monitor {

struct StatusSample {
    // The reply's arrival, milliseconds since 1970-01-01 UTC.
    std::int64_t timeMs = 0;
    std::int32_t analogValue1 = 0;  // fixed point, the value times 10000
    std::uint16_t analogRaw1 = 0;
    std::uint16_t smsSent = 0;
    std::uint16_t smsReceived = 0;
    std::uint8_t signal = 0;
    std::uint8_t rssi = 0;
    std::uint8_t network = 0;
    // Bit 0 to 2: digital inputs 1 to 3 active; bit 3: the relay on.
    std::uint8_t states = 0;

    bool input(int index) const { return (states >> index & 1U) != 0; }
    bool relay() const { return (states & 8U) != 0; }
};

StatusSample sampleOf(const protocol::StatusReply& status, std::int64_t timeMs);

// The CSV file's first line and one line per sample, each ending in CR LF.
// `time` is the arrival as the file shows it; nothing here depends on a
// locale.
std::string csvHeader();
std::string csvLine(const StatusSample& sample, std::string_view time);

}  // namespace monitor
