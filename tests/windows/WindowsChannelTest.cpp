// Asynchronous reads of the Windows backend on Wine's keyboard, which sends
// no input while the tests run, so every read stays outstanding until it is
// cancelled or its channel is closed.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <future>
#include <memory>
#include <thread>
#include <tuple>

#include "WineHid.h"
#include "hid/platform/SystemHidPlatform.h"

namespace {

constexpr std::uint32_t errorInvalidHandle = 6;
constexpr std::uint32_t errorBusy = 170;
constexpr std::uint32_t errorOperationAborted = 995;
// Long enough that a wait that should end early never ends by running out.
constexpr std::uint32_t longWait = 10000;

class WindowsChannelTest : public WineHidTest {
protected:
    void SetUp() override {
        WineHidTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        handle = platform->open(wineKeyboard.path, HidAccess::OverlappedRead);
        ASSERT_NE(handle, InvalidHandle);
    }
    void TearDown() override {
        if (handle != InvalidHandle) {
            platform->cancel(handle);
            platform->close(handle);
        }
    }

    bool startRead() { return platform->startRead(handle, report, wineKeyboard.inputReportLength); }

    std::unique_ptr<HidPlatform> platform = createSystemHidPlatform();
    HidHandle handle = InvalidHandle;
    std::uint8_t report[64] = {};
};

TEST_F(WindowsChannelTest, OneReadAtATimeAndAWaitThatRunsOutLeavesItOutstanding) {
    ASSERT_TRUE(startRead());
    EXPECT_FALSE(startRead());
    EXPECT_EQ(platform->lastError(), errorBusy);
    EXPECT_EQ(platform->wait(handle, 20), HidWaitResult::Timeout);
    EXPECT_EQ(platform->transferResult(handle), 0u);
    EXPECT_FALSE(startRead());
}

TEST_F(WindowsChannelTest, CancellingEndsTheReadWithoutDataAndAllowsTheNext) {
    std::fill(std::begin(report), std::end(report), 0xAA);
    ASSERT_TRUE(startRead());
    EXPECT_TRUE(platform->cancel(handle));
    EXPECT_EQ(platform->wait(handle, longWait), HidWaitResult::IoCompletion);
    EXPECT_EQ(platform->transferResult(handle), 0u);
    EXPECT_EQ(platform->lastError(), errorOperationAborted);
    EXPECT_EQ(report[0], 0xAA);
    EXPECT_TRUE(startRead());
}

TEST_F(WindowsChannelTest, AnotherThreadInterruptsACurrentOrTheNextWait) {
    ASSERT_TRUE(startRead());
    // Before the wait: the next wait returns at once.
    platform->interruptWait(handle);
    EXPECT_EQ(platform->wait(handle, longWait), HidWaitResult::Interrupted);

    std::promise<void> waiting;
    std::thread interrupter([&, started = waiting.get_future()]() mutable {
        started.wait();
        Sleep(50);
        platform->interruptWait(handle);
    });
    waiting.set_value();
    EXPECT_EQ(platform->wait(handle, longWait), HidWaitResult::Interrupted);
    interrupter.join();
    // The read itself is still outstanding.
    EXPECT_EQ(platform->wait(handle, 0), HidWaitResult::Timeout);
}

TEST_F(WindowsChannelTest, ClosingUnderAWaitingReaderEndsItsReadAndTheNextStartFails) {
    std::promise<void> started;
    auto reader = std::async(std::launch::async, [&] {
        const bool first = startRead();
        started.set_value();
        const HidWaitResult waited = platform->wait(handle, longWait);
        const std::uint32_t bytes = platform->transferResult(handle);
        const bool next = startRead();
        const std::uint32_t error = platform->lastError();
        return std::make_tuple(first, waited, bytes, next, error);
    });
    started.get_future().wait();
    Sleep(50);
    platform->close(handle);
    const auto [first, waited, bytes, next, error] = reader.get();
    EXPECT_TRUE(first);
    EXPECT_EQ(waited, HidWaitResult::IoCompletion);
    EXPECT_EQ(bytes, 0u);
    EXPECT_FALSE(next);
    EXPECT_EQ(error, errorInvalidHandle);
    EXPECT_FALSE(platform->cancel(handle));
    handle = InvalidHandle;
}

}  // namespace
