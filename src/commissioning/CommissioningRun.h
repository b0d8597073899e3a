#pragma once

// The steps of commissioning an installed unit, as a run driven by what the
// window sees: the status replies (as samples), the time, and the
// technician's answers. The run decides; the window sends what the run asks
// for, through the send operations every window uses, and shows the states.
// No step changes a setting of the unit: the relay is toggled and toggled
// back, and a relay left otherwise by a failed step is toggled back too.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "monitor/StatusSample.h"

namespace commissioning {

enum class Step { Unit, Gsm, Relay, Input1, Input2, Input3, Analog, Sms };
inline constexpr std::size_t StepCount = 8;

enum class State {
    Waiting,  // not reached yet
    Running,
    Passed,
    Failed,
    Skipped,  // by the technician
    NotRun,   // the run ended before it (stopped, or the unit left)
};

// What the run needs from the window now.
enum class Need {
    Nothing,         // it waits for replies or the time
    UnitRead,        // the unit's whole profile read now, then unitRead()
    ActivateInput,   // ask the technician to activate, then release, input N
    ExpectedAnalog,  // ask for the expected value and tolerance, then analogExpected()
    SmsConsent,      // ask whether to send the test SMS, then smsConsent()
    Done,            // every step has an end; the report may be made
};

// The time the relay and the SMS counter have to follow a request, and the
// time an input has to be activated and released.
inline constexpr std::int64_t RelayTimeoutMs = 2'000;
inline constexpr std::int64_t InputTimeoutMs = 60'000;
inline constexpr std::int64_t AnalogMeanMs = 5'000;
inline constexpr std::int64_t SmsTimeoutMs = 120'000;

struct Settings {
    std::int64_t signalMs = 60'000;
    int rssiMin = 10;
};

// The network states the status reply reports (byte 62).
inline constexpr std::size_t NetworkStateCount = 5;  // 0 to 3, and any other
inline std::size_t networkIndex(std::uint8_t network) {
    return network < NetworkStateCount - 1 ? network : NetworkStateCount - 1;
}
inline bool isRegistered(std::uint8_t network) {
    return network == 1 || network == 2;
}

struct GsmFigures {
    std::size_t samples = 0;
    int rssiMin = 0;
    int rssiMax = 0;
    double rssiMean = 0;
    int levelMin = 0;
    int levelMax = 0;
    // Milliseconds spent in each network state, each sample counting until
    // the next.
    std::array<std::int64_t, NetworkStateCount> msInState{};
    bool registeredThroughout = true;
    bool rssiHeld = true;
};

struct StepResult {
    State state = State::Waiting;
    std::int64_t startMs = 0;
    std::int64_t endMs = 0;
};

// What the run asks to be sent; the window sends it at once.
enum class Send { ToggleRelay, TestSms };

class CommissioningRun {
public:
    explicit CommissioningRun(const Settings& settings);

    // Starts with the unit step; the window reads the unit.
    void start(std::int64_t nowMs);
    // The unit's profile was read (`read`) and, with a profile chosen,
    // whether the unit holds every value of it (`matches`; none without one).
    void unitRead(bool read, std::optional<bool> matches, std::int64_t nowMs);
    // Every status reply while the run is on.
    void sample(const monitor::StatusSample& sample);
    // The time, at least every few hundred milliseconds: time-outs end steps.
    void tick(std::int64_t nowMs);
    // The technician's answers.
    void analogExpected(std::int32_t expected, std::int32_t tolerance, std::int64_t nowMs);
    void smsConsent(bool send, std::int64_t nowMs);
    // The technician skips the step that runs.
    void skip(std::int64_t nowMs);
    // The technician stops, or the unit left: every step without an end is
    // not run.
    void stop(std::int64_t nowMs);

    Need need() const;
    // Started and not yet ended.
    bool running() const { return running_; }
    Step current() const { return current_; }
    // The input the technician is asked for, 1 to 3.
    int input() const;
    const StepResult& result(Step step) const { return results_[index(step)]; }
    // What to send; taken once.
    std::vector<Send> takeSends();

    const GsmFigures& gsm() const { return gsm_; }
    // The signal over the GSM step, for the report's chart.
    const std::vector<monitor::StatusSample>& signal() const { return signal_; }
    // The analog value's mean over its 5 s, fixed point; none until measured.
    std::optional<std::int32_t> analogMean() const { return analogMean_; }
    std::int32_t analogExpected() const { return expected_; }
    std::int32_t analogTolerance() const { return tolerance_; }
    std::optional<bool> profileMatches() const { return profileMatches_; }
    // The latest status reply, for what the window shows now.
    const std::optional<monitor::StatusSample>& latest() const { return latest_; }
    // Only when every step that was not skipped passed.
    bool verdict() const;

private:
    static std::size_t index(Step step) { return static_cast<std::size_t>(step); }
    void begin(Step step, std::int64_t nowMs);
    void end(State state, std::int64_t nowMs);
    void gsmSample(const monitor::StatusSample& s);
    void relaySample(const monitor::StatusSample& s);
    void inputSample(const monitor::StatusSample& s);

    Settings settings_;
    std::array<StepResult, StepCount> results_{};
    Step current_ = Step::Unit;
    bool running_ = false;
    bool finished_ = false;
    std::optional<monitor::StatusSample> latest_;
    std::vector<Send> sends_;

    GsmFigures gsm_;
    std::int64_t rssiSum_ = 0;
    std::vector<monitor::StatusSample> signal_;

    // Relay: as found, and whether the first toggle was seen.
    std::optional<bool> relayFound_;
    bool relayChanged_ = false;
    std::int64_t relayDeadlineMs_ = 0;

    bool inputWasActive_ = false;

    bool analogAsked_ = false;
    std::int64_t analogFromMs_ = 0;
    std::int32_t expected_ = 0;
    std::int32_t tolerance_ = 0;
    std::int64_t analogSum_ = 0;
    std::int64_t analogCount_ = 0;
    std::optional<std::int32_t> analogMean_;

    bool smsAsked_ = false;
    std::int64_t smsFromMs_ = 0;
    std::optional<std::uint16_t> smsSentAtStart_;

    std::optional<bool> profileMatches_;
};

}  // namespace commissioning
