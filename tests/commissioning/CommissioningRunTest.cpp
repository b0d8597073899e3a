#include "commissioning/CommissioningRun.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace commissioning;

// A unit as the status replies show it, ten a second, that follows the
// relay requests when `relayFollows`, and the technician's hands on it.
struct Bench {
    CommissioningRun run;
    monitor::StatusSample unit;
    bool relayFollows = true;
    int relayToggles = 0;
    int smsRequests = 0;

    explicit Bench(Settings settings = {}) : run(settings) {
        unit.timeMs = 1'000'000;
        unit.signal = 4;
        unit.rssi = 20;
        unit.network = 1;
        unit.analogValue1 = 603900;
        run.start(unit.timeMs);
    }

    // `ms` of replies; `change` may alter the unit before each.
    void pass(std::int64_t ms, const std::function<void(std::int64_t)>& change = {}) {
        for (std::int64_t t = 0; t < ms; t += 100) {
            unit.timeMs += 100;
            if (change) {
                change(t);
            }
            run.sample(unit);
            run.tick(unit.timeMs);
            for (const Send send : run.takeSends()) {
                if (send == Send::ToggleRelay) {
                    ++relayToggles;
                    if (relayFollows) {
                        unit.states ^= 8U;
                    }
                } else {
                    ++smsRequests;
                    ++unit.smsSent;
                }
            }
        }
    }

    void setInput(int k, bool active) {
        unit.states =
            static_cast<std::uint8_t>(active ? unit.states | (1U << k) : unit.states & ~(1U << k));
    }

    // Through the unit and GSM steps, registered and at RSSI 20.
    void toRelay() {
        run.unitRead(true, std::nullopt, unit.timeMs);
        pass(10'100);
    }

    void inputs() {
        for (int k = 0; k < 3; ++k) {
            pass(500, [&](std::int64_t t) { setInput(k, t >= 100 && t < 300); });
        }
    }

    State state(Step step) const { return run.result(step).state; }
};

Settings tenSeconds() {
    Settings settings;
    settings.signalMs = 10'000;
    return settings;
}

TEST(CommissioningRun, AWorkingUnitPassesEveryStepAndIsLeftAsFound) {
    Bench bench(tenSeconds());
    bench.unit.states = 8U;  // the relay on, as found
    EXPECT_EQ(bench.run.need(), Need::UnitRead);
    bench.toRelay();
    EXPECT_EQ(bench.state(Step::Gsm), State::Passed);
    EXPECT_EQ(bench.run.gsm().rssiMin, 20);
    // From the first reply on.
    EXPECT_EQ(bench.run.gsm().msInState[1], 9'900);
    bench.pass(500);
    EXPECT_EQ(bench.state(Step::Relay), State::Passed);
    EXPECT_EQ(bench.relayToggles, 2);
    EXPECT_TRUE(bench.unit.relay());
    EXPECT_EQ(bench.run.need(), Need::ActivateInput);
    EXPECT_EQ(bench.run.input(), 1);
    bench.inputs();
    EXPECT_EQ(bench.run.need(), Need::ExpectedAnalog);
    bench.run.analogExpected(600000, 5000, bench.unit.timeMs);
    bench.pass(5'100);
    EXPECT_EQ(bench.run.analogMean(), 603900);
    EXPECT_EQ(bench.run.need(), Need::SmsConsent);
    bench.run.smsConsent(true, bench.unit.timeMs);
    bench.pass(300);
    EXPECT_EQ(bench.smsRequests, 1);
    for (std::size_t k = 0; k < StepCount; ++k) {
        EXPECT_EQ(bench.state(static_cast<Step>(k)), State::Passed) << k;
    }
    EXPECT_EQ(bench.run.need(), Need::Done);
    EXPECT_TRUE(bench.run.verdict());
}

// Each fault ends its own step as failed (or the run as not run), at the
// edge of its rule.
TEST(CommissioningRun, EachFaultFailsItsStep) {
    struct Case {
        const char* name;
        std::function<void(Bench&)> drive;
        Step step;
        State state;
    };
    const auto gsmWith = [](std::function<void(Bench&, std::int64_t)> change) {
        return [change](Bench& b) {
            b.run.unitRead(true, std::nullopt, b.unit.timeMs);
            b.pass(10'100, [&](std::int64_t t) { change(b, t); });
        };
    };
    // Through the inputs to the analog step, expecting `value` within 0.5.
    const auto analogExpecting = [](std::int32_t value) {
        return [value](Bench& b) {
            b.toRelay();
            b.pass(500);
            b.inputs();
            b.run.analogExpected(value, 5000, b.unit.timeMs);
            b.pass(5'100);
        };
    };
    const std::vector<Case> cases{
        {"the unit differs from the profile",
         [](Bench& b) { b.run.unitRead(true, false, b.unit.timeMs); }, Step::Unit, State::Failed},
        {"RSSI at the minimum",
         gsmWith([](Bench& b, std::int64_t t) { b.unit.rssi = t == 5'000 ? 10 : 20; }), Step::Gsm,
         State::Passed},
        {"RSSI one below the minimum for a moment",
         gsmWith([](Bench& b, std::int64_t t) { b.unit.rssi = t == 5'000 ? 9 : 20; }), Step::Gsm,
         State::Failed},
        {"roaming", gsmWith([](Bench& b, std::int64_t t) { b.unit.network = t < 5'000 ? 1 : 2; }),
         Step::Gsm, State::Passed},
        {"searching in the middle", gsmWith([](Bench& b, std::int64_t t) {
             b.unit.network = t >= 4'000 && t < 4'300 ? 3 : 1;
         }),
         Step::Gsm, State::Failed},
        {"a relay that does not follow",
         [](Bench& b) {
             b.relayFollows = false;
             b.toRelay();
             b.pass(2'500);
         },
         Step::Relay, State::Failed},
        {"an input never activated",
         [](Bench& b) {
             b.toRelay();
             b.pass(500);
             b.pass(60'200);
         },
         Step::Input1, State::Failed},
        {"an input activated but never released",
         [](Bench& b) {
             b.toRelay();
             b.pass(500);
             b.setInput(0, true);
             b.pass(60'200);
         },
         Step::Input1, State::Failed},
        {"an analog value one step outside", analogExpecting(603900 - 5001), Step::Analog,
         State::Failed},
        {"an analog value at the edge", analogExpecting(603900 - 5000), Step::Analog,
         State::Passed},
        {"an SMS counter that does not rise",
         [](Bench& b) {
             b.toRelay();
             b.pass(500);
             b.inputs();
             b.run.skip(b.unit.timeMs);
             b.run.smsConsent(true, b.unit.timeMs);
             b.pass(120'200, [&](std::int64_t) { b.unit.smsSent = 0; });
         },
         Step::Sms, State::Failed},
        {"the unit leaving during the relay step",
         [](Bench& b) {
             b.toRelay();
             b.run.stop(b.unit.timeMs);
         },
         Step::Relay, State::NotRun},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bench bench(tenSeconds());
        c.drive(bench);
        EXPECT_EQ(bench.state(c.step), c.state);
        EXPECT_FALSE(bench.run.verdict());
        EXPECT_FALSE(bench.unit.relay());
    }
}

TEST(CommissioningRun, SkippedStepsKeepTheVerdictAndStoppedOnesDoNot) {
    Bench skipped(tenSeconds());
    skipped.toRelay();
    skipped.pass(500);
    for (int k = 0; k < 3; ++k) {
        skipped.run.skip(skipped.unit.timeMs);
    }
    skipped.run.skip(skipped.unit.timeMs);
    skipped.run.smsConsent(false, skipped.unit.timeMs);
    EXPECT_EQ(skipped.state(Step::Input2), State::Skipped);
    EXPECT_EQ(skipped.state(Step::Sms), State::Skipped);
    EXPECT_EQ(skipped.smsRequests, 0);
    EXPECT_TRUE(skipped.run.verdict());

    Bench stopped(tenSeconds());
    stopped.run.unitRead(true, std::nullopt, stopped.unit.timeMs);
    stopped.pass(3'000);
    stopped.run.stop(stopped.unit.timeMs);
    EXPECT_EQ(stopped.state(Step::Unit), State::Passed);
    EXPECT_EQ(stopped.state(Step::Gsm), State::NotRun);
    EXPECT_EQ(stopped.state(Step::Sms), State::NotRun);
    EXPECT_EQ(stopped.run.need(), Need::Done);
    EXPECT_FALSE(stopped.run.verdict());
}

}  // namespace
