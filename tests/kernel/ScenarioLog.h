#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "Watchdog.h"

// The kernel test's scenarios, run one at a time under a watchdog: a line for
// each scenario and for each expectation that does not hold.
class ScenarioLog {
public:
    // Runs `run` with `limit` to finish and prints its line; true when it
    // completed and every expectation meanwhile held.
    bool scenario(const char* name, std::chrono::seconds limit, const std::function<bool()>& run);
    void expect(bool holds, const std::string& what);
    // From now on `step`, which is no scenario, has `limit` to finish.
    void arm(const std::string& step, std::chrono::seconds limit) { watchdog_.arm(step, limit); }
    // Prints how many scenarios of `kind` passed and how many expectations failed.
    void summary(const char* kind) const;

private:
    Watchdog watchdog_;
    int failures_ = 0;
    int passedScenarios_ = 0;
};
