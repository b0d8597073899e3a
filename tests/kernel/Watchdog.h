#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

// Ends the process with a failure line when a step of the test takes longer
// than its limit, so that a hang is reported as the step that hung instead of
// as a guest that never finished.
class Watchdog {
public:
    Watchdog();
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    // From now on `step` has `limit` to finish; replaces the step before.
    void arm(const std::string& step, std::chrono::seconds limit);

private:
    void run();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::string step_;
    std::optional<std::chrono::steady_clock::time_point> deadline_;
    bool stopping_ = false;
    std::thread thread_;
};
