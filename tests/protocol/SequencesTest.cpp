// The read chain, the acknowledged write and the zero/full-scale capture:
// the sequences the windows (and the profile operations) share.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "protocol/AcknowledgedWrite.h"
#include "protocol/Calibration.h"
#include "protocol/ReadChain.h"

using namespace protocol;

namespace {

TEST(ReadChainTest, RequestsEachIndexOnTheReplyBeforeItAndEndsAfterTheLast) {
    struct Case {
        std::uint16_t first, last;
        std::vector<std::uint16_t> requests;
    };
    const std::vector<Case> cases{
        {0, 5, {0, 1, 2, 3, 4, 5}},  // six GSM numbers
        {7, 9, {7, 8, 9}},           // SMS texts from slot 7
        {42, 42, {42}},              // one phonebook record read back
    };
    for (const Case& c : cases) {
        std::uint16_t position = 0;
        std::vector<std::uint16_t> requested;
        ReadChain<std::uint16_t> chain(position,
                                       [&](std::uint16_t index) { requested.push_back(index); });
        chain.start(c.first, c.last);
        std::size_t replies = 0;
        while (chain.replyArrived()) {
            ++replies;
        }
        EXPECT_EQ(requested, c.requests) << c.first;
        EXPECT_EQ(replies + 1, c.requests.size()) << c.first;
        EXPECT_EQ(position, c.last + 1);
        EXPECT_EQ(chain.watchdog(), 0);
        // A late copy of a reply asks for nothing more.
        EXPECT_FALSE(chain.replyArrived());
        EXPECT_EQ(requested.size(), c.requests.size());
    }
}

TEST(ReadChainTest, TheWatchdogEndsAWaitAfterFiftyTicksOnceAndEachReplyRearmsIt) {
    std::uint8_t position = 0;
    ReadChain<std::uint8_t> chain(position, [](std::uint8_t) {});
    EXPECT_FALSE(chain.tick());
    chain.start(0, 9);
    for (int tick = 0; tick < 30; ++tick) {
        EXPECT_FALSE(chain.tick());
    }
    ASSERT_TRUE(chain.replyArrived());
    EXPECT_EQ(chain.watchdog(), 50);
    for (int tick = 0; tick < 49; ++tick) {
        EXPECT_FALSE(chain.tick());
    }
    EXPECT_TRUE(chain.tick());
    EXPECT_FALSE(chain.tick());
    // A reply after the wait was given up still moves the chain on.
    EXPECT_TRUE(chain.replyArrived());
    EXPECT_EQ(position, 2);
}

TEST(AcknowledgedWriteTest, SetsTheFlagSendsShowsAndWaitsForEachRecordInOrder) {
    std::vector<std::string> events;
    bool waitForOk = false;
    std::size_t sent = 0;
    AcknowledgedWrite write;
    write.send = [&](std::size_t i) {
        sent = i;
        events.push_back("send " + std::to_string(i) + (waitForOk ? " flagged" : ""));
    };
    write.skip = [](std::size_t i) { return i == 1; };
    write.progress = [&](std::size_t i) { events.push_back("progress " + std::to_string(i)); };
    // Record 2 is never acknowledged; the write goes on after it.
    write.wait = [&](const bool& flag) {
        events.push_back(std::string("wait") + (flag ? " flagged" : ""));
        const bool acknowledged = sent != 2;
        if (acknowledged) {
            waitForOk = false;
        }
        return acknowledged;
    };
    EXPECT_EQ(write.run(4, waitForOk), 2u);
    EXPECT_EQ(events,
              (std::vector<std::string>{
                  "send 0 flagged", "progress 0", "wait flagged", "progress 1", "send 2 flagged",
                  "progress 2", "wait flagged", "send 3 flagged", "progress 3", "wait flagged"}));
}

TEST(CaptureTest, KIsTheValueOverTheSpanAndTheOffsetTakesTheZeroAway) {
    struct Case {
        double zero, fullScale, value;
        CapturedK::Fault fault;
        double k;
    };
    const std::vector<Case> cases{
        {100, 1100, 50, CapturedK::Fault::None, 0.05},
        {1100, 100, 50, CapturedK::Fault::None, -0.05},
        {7, 7, 0, CapturedK::Fault::ZeroOverZero, 0},
        {7, 7, 3, CapturedK::Fault::DivisionByZero, 0},
        {0, 1e-300, 1e300, CapturedK::Fault::Overflow, 0},
    };
    for (const Case& c : cases) {
        const CapturedK captured = captureK(c.zero, c.fullScale, c.value);
        EXPECT_EQ(captured.fault, c.fault) << c.zero << " " << c.fullScale << " " << c.value;
        EXPECT_DOUBLE_EQ(captured.k, c.k);
    }
    EXPECT_EQ(captureOffset(512), -512);
    EXPECT_EQ(captureOffset(-3), 3);
}

}  // namespace
