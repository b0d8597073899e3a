#pragma once

// brevalon-cli monitor: the unit's status on a steady schedule, one CSV line
// per reply, through the unit's leaving and coming back, until a number of
// samples, a duration or the user's stop.

#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

class CsvRecorder;
class UnitConnection;

namespace cli {

struct MonitorSettings {
    std::chrono::milliseconds interval{100};
    std::optional<std::int64_t> samples;
    std::optional<std::chrono::seconds> duration;
};

// How the run talks to the user.
struct MonitorVoice {
    std::function<void(const QString&)> message;
    // The progress line; empty when there is no terminal for it.
    std::function<void(const QString&)> progress;
    // Takes the progress line away before a line goes to the same terminal.
    std::function<void()> beforeLine;
};

// Runs on the unit with serial number `serial`, open on `connection`, and
// records onto `recorder`, which holds the header already. Done when it ends
// as asked; UsageError when a line could not be written.
int monitor(UnitConnection& connection, const QString& serial, CsvRecorder& recorder,
            const MonitorSettings& settings, const MonitorVoice& voice);

}  // namespace cli
