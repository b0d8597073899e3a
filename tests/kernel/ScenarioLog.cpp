#include "ScenarioLog.h"

#include <cstdio>

bool ScenarioLog::scenario(const char* name, std::chrono::seconds limit,
                           const std::function<bool()>& run) {
    watchdog_.arm(std::string("scenario ") + name, limit);
    const int before = failures_;
    const auto start = std::chrono::steady_clock::now();
    const bool completed = run();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    const bool passed = completed && failures_ == before;
    passedScenarios_ += passed ? 1 : 0;
    std::printf("kernel-test: scenario %s: %s (%.1f s)\n", name, passed ? "ok" : "FAIL",
                took.count());
    std::fflush(stdout);
    return passed;
}

void ScenarioLog::expect(bool holds, const std::string& what) {
    if (!holds) {
        ++failures_;
        std::printf("kernel-test:   not so: %s\n", what.c_str());
        std::fflush(stdout);
    }
}

void ScenarioLog::summary(const char* kind) const {
    std::printf("kernel-test: %d %s passed, %d expectations failed\n", passedScenarios_, kind,
                failures_);
    std::fflush(stdout);
}
