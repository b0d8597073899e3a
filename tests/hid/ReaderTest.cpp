#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <mutex>
#include <set>
#include <thread>

#include "HidFixture.h"

namespace {

using Events = std::vector<std::string>;

class ReaderTest : public HidTest {
protected:
    // Lists the devices and checks out the first with the data handler installed.
    THidDevice* holdReading(std::vector<SimDeviceDescription> descriptions) {
        for (auto& desc : descriptions) {
            sim.plug(desc);
        }
        start();
        log.take();
        THidDevice* dev = nullptr;
        EXPECT_TRUE(ctl->CheckOutByIndex(dev, 0));
        dev->setOnData(THidDataEvent::bind(&log, &EventLog::onData));
        EXPECT_TRUE(dev->HasReader());
        return dev;
    }

    bool waitForEvents(std::size_t count) {
        return ui.pumpUntil([&] { return log.events.size() >= count; });
    }
};

TEST_F(ReaderTest, DeliversReportIdAndTheBytesAfterIt) {
    auto numbered = testDevice("/a");
    numbered.caps.InputReportByteLength = 9;
    struct Case {
        SimDeviceDescription desc;
        std::vector<std::vector<std::uint8_t>> sent;
        Events expected;
    } cases[] = {
        {testDevice("/a"), {reportOf("00 47 53 01")}, {"data /a " + reportHex("00 47 53 01")}},
        // A read that completes with no bytes delivers nothing.
        {testDevice("/a"), {{}, reportOf("00 47 46")}, {"data /a " + reportHex("00 47 46")}},
        {numbered, {reportOf("05 FF", 9)}, {"data /a " + hexOf(reportOf("05 FF", 9))}},
    };
    for (const auto& c : cases) {
        SimHidPlatform platform;
        platform.plug(c.desc);
        THidDeviceController controller(platform, ui);
        controller.setOnDeviceData(THidDataEvent::bind(&log, &EventLog::onData));
        controller.setOnDeviceChange(THidNotifyEvent::bind(&log, &EventLog::onDeviceChange));
        ui.pump();
        log.take();
        THidDevice* dev = nullptr;
        ASSERT_TRUE(controller.CheckOut(dev));
        for (const auto& bytes : c.sent) {
            platform.sendInput("/a", bytes);
        }
        ASSERT_TRUE(waitForEvents(1));
        controller.CheckIn(dev);
        ui.pump();
        EXPECT_EQ(log.take(), c.expected);
    }
}

TEST_F(ReaderTest, ReaderStartsOnlyWhenCheckedOutWithAHandlerAndReadWriteAccess) {
    auto queryOnly = testDevice("/q");
    queryOnly.queryOnly = true;
    sim.plug(testDevice("/a"));
    sim.plug(queryOnly);
    start();
    log.take();
    THidDevice* a = ctl->Devices()[0];
    THidDevice* q = ctl->Devices()[1];
    const auto data = THidDataEvent::bind(&log, &EventLog::onData);
    a->setOnData(data);
    q->setOnData(data);
    EXPECT_FALSE(a->HasReader());
    THidDevice* held = nullptr;
    ASSERT_TRUE(ctl->CheckOutByIndex(held, 0));
    EXPECT_TRUE(a->HasReader());
    THidDevice* heldQ = nullptr;
    ASSERT_TRUE(ctl->CheckOutByIndex(heldQ, 1));
    EXPECT_FALSE(q->HasReader());

    // Replacing the handler keeps the reader; the next delivery uses the new one.
    EventLog other;
    a->setOnData(THidDataEvent::bind(&other, &EventLog::onData));
    EXPECT_TRUE(a->HasReader());
    sim.sendInput("/a", reportOf("00 01"));
    ASSERT_TRUE(ui.pumpUntil([&] { return !other.events.empty(); }));
    EXPECT_EQ(log.events, Events{});

    ctl->CheckIn(held);
    EXPECT_FALSE(a->HasReader());
    ASSERT_TRUE(ctl->CheckOutByIndex(held, 0));  // the handler stays: the reader starts again
    EXPECT_TRUE(a->HasReader());
    ctl->CheckIn(held);
    ctl->CheckIn(heldQ);
}

TEST_F(ReaderTest, EmptyOnDataReturnsAfterTheReaderEndedAndMakesThePendingDelivery) {
    THidDevice* dev = holdReading({testDevice("/a")});
    sim.sendInput("/a", reportOf("00 47 53"));
    ASSERT_TRUE(ui.waitUntilQueued());  // the reader waits for its delivery
    dev->setOnData({});
    EXPECT_FALSE(dev->HasReader());
    EXPECT_EQ(log.take(), Events{"data /a " + reportHex("00 47 53")});
    ui.pump();  // the posted delivery finds nothing left to do
    EXPECT_EQ(log.take(), Events{});
    ctl->CheckIn(dev);
}

TEST_F(ReaderTest, HandlerMayCheckItsOwnDeviceIn) {
    THidDevice* dev = holdReading({testDevice("/a")});
    struct Releaser {
        THidDeviceController* ctl;
        THidDevice* held;
        int calls = 0;
        void onData(THidDevice*, std::uint8_t, const std::uint8_t* data, std::uint16_t size) {
            ++calls;
            ctl->CheckIn(held);
            EXPECT_EQ(data[0], 'G');  // the bytes stay valid until the handler returns
            EXPECT_EQ(size, 64);
        }
    } releaser{ctl.get(), dev};
    dev->setOnData(THidDataEvent::bind(&releaser, &Releaser::onData));
    sim.sendInput("/a", reportOf("00 47"));
    ASSERT_TRUE(ui.pumpUntil([&] { return releaser.calls == 1; }));
    EXPECT_EQ(releaser.held, nullptr);
    EXPECT_FALSE(dev->HasReader());
    EXPECT_EQ(counts(), (std::vector<int>{1, 0, 0}));
}

TEST_F(ReaderTest, FailedReadStartIsReportedOncePerSlice) {
    THidDevice* dev = holdReading({testDevice("/a")});
    dev->setThreadSleepTime(10000);
    dev->setOnDataError(THidDataErrorEvent::bind(&log, &EventLog::onError));
    sim.unplug("/a");
    ASSERT_TRUE(waitForEvents(3));
    // The read start fails before or after the pass has closed the channel.
    const std::set<std::string> events(log.events.begin(), log.events.end());
    log.take();
    EXPECT_TRUE(events == (std::set<std::string>{"removal /a gone", "change", "error /a 1167"}) ||
                events == (std::set<std::string>{"removal /a gone", "change", "error /a 6"}))
        << ::testing::PrintToString(events);
    // The reader waits a whole slice before it tries again.
    EXPECT_FALSE(ui.pumpUntil([&] { return !log.events.empty(); }, std::chrono::milliseconds(300)));
    ctl->CheckIn(dev);  // a stop ends the pause at once
    EXPECT_EQ(counts(), (std::vector<int>{0, 0, 0}));
}

TEST_F(ReaderTest, DestroyedControllerStopsTheReadersOfHeldDevices) {
    THidDevice* dev = holdReading({testDevice("/a")});
    dev->setOnUnplug(THidPlugEvent::bind(&log, &EventLog::onUnplug));
    sim.sendInput("/a", reportOf("00 01"));
    ASSERT_TRUE(ui.waitUntilQueued());
    ctl.reset();
    EXPECT_FALSE(dev->HasReader());
    EXPECT_EQ(log.take(), (Events{"data /a " + reportHex("00 01"), "unplug /a"}));
    dev->setOnData(THidDataEvent::bind(&log, &EventLog::onData));
    EXPECT_FALSE(dev->HasReader());  // an unplugged device never reads again
    delete dev;
    EXPECT_EQ(sim.openChannels("/a"), 0);
}

TEST_F(ReaderTest, ReaderSurvivesUnplugHandlingUntilCheckIn) {
    THidDevice* dev = holdReading({testDevice("/a"), testDevice("/b")});
    dev->setThreadSleepTime(10);
    sim.unplug("/a");
    ASSERT_TRUE(ui.pumpUntil([&] { return !log.events.empty(); }));
    EXPECT_TRUE(dev->HasReader());
    EXPECT_EQ(dev->HidOverlappedRead(), InvalidHandle);
    ctl->CheckIn(dev);
    EXPECT_EQ(paths(), std::vector<std::string>{"/b"});
}

TEST_F(ReaderTest, DestroyingACheckedOutDeviceRenewsItsPosition) {
    sim.plug(testDevice("/a"));
    sim.plug(testDevice("/b"));
    start();
    THidDevice* dev = nullptr;
    ASSERT_TRUE(ctl->CheckOutByIndex(dev, 1));
    const auto data = THidDataEvent::bind(&log, &EventLog::onData);
    dev->setOnDataError(THidDataErrorEvent::bind(&log, &EventLog::onError));
    dev->setThreadSleepTime(50);
    dev->setTag(7);
    dev->setOnData(data);
    EXPECT_TRUE(dev->HasReader());
    delete dev;
    THidDevice* fresh = ctl->Devices()[1];
    EXPECT_EQ(EventLog::path(fresh), "/b");
    EXPECT_FALSE(fresh->IsCheckedOut());
    EXPECT_FALSE(fresh->HasReader());
    EXPECT_TRUE(fresh->OnData() == data);
    EXPECT_FALSE(fresh->OnDataError());
    EXPECT_EQ(fresh->ThreadSleepTime(), 50);
    EXPECT_EQ(fresh->Tag(), 0);
    EXPECT_EQ(counts(), (std::vector<int>{2, 0, 0}));
    EXPECT_EQ(sim.openChannels("/b"), 0);
}

// Holds the reader between a completed read and its delivery until a stop of
// the reader has begun, and lets it go a moment later, once the stopping
// thread waits for the reader to end.
class StopRacingPlatform : public SimHidPlatform {
public:
    std::uint32_t transferResult(HidHandle handle) override {
        {
            std::unique_lock lock(mutex_);
            readerHeld_ = true;
            changed_.notify_all();
            changed_.wait(lock, [&] { return stopping_; });
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return SimHidPlatform::transferResult(handle);
    }
    void interruptWait(HidHandle handle) override {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        SimHidPlatform::interruptWait(handle);
    }
    bool waitUntilReaderHeld() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return readerHeld_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool readerHeld_ = false;
    bool stopping_ = false;
};

TEST(ReaderStopTest, StopMakesADeliveryThatBeganWhileItWaited) {
    StopRacingPlatform sim;
    ManualUiThread ui;
    EventLog log;
    sim.plug(testDevice("/a"));
    THidDeviceController ctl(sim, ui);
    ui.pump();
    THidDevice* dev = nullptr;
    ASSERT_TRUE(ctl.CheckOutByIndex(dev, 0));
    dev->setOnData(THidDataEvent::bind(&log, &EventLog::onData));
    sim.sendInput("/a", reportOf("00 47 53"));
    ASSERT_TRUE(sim.waitUntilReaderHeld());

    // Stopped from a thread of its own, so that a stop that never returns
    // fails the test instead of hanging it; nothing else runs tasks meanwhile.
    std::promise<void> stopped;
    std::thread stopper([&] {
        dev->setOnData({});
        stopped.set_value();
    });
    if (stopped.get_future().wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        std::fputs("The reader's stop never returned: it missed the delivery.\n", stderr);
        std::abort();
    }
    stopper.join();
    EXPECT_FALSE(dev->HasReader());
    EXPECT_EQ(log.take(), Events{"data /a " + reportHex("00 47 53")});
    ui.pump();  // the posted delivery finds nothing left to do
    EXPECT_EQ(log.take(), Events{});
    ctl.CheckIn(dev);
}

TEST_F(ReaderTest, RoundTripThroughAResponder) {
    auto desc = testDevice("/a");
    desc.responder = [](const std::vector<std::uint8_t>& written) {
        auto reply = written;
        reply[1] = 'O';
        return std::vector<SimInputReport>{{reply, std::chrono::milliseconds(0)},
                                           {reportOf("00 4C 54"), std::chrono::milliseconds(20)}};
    };
    THidDevice* dev = holdReading({desc});
    std::uint32_t written = 0;
    ASSERT_TRUE(dev->WriteFile(reportOf("00 4B 58").data(), 65, written));
    ASSERT_TRUE(waitForEvents(2));
    EXPECT_EQ(log.take(),
              (Events{"data /a " + reportHex("00 4F 58"), "data /a " + reportHex("00 4C 54")}));
    std::multiset<char> directions;
    for (const auto& line : sim.transcript()) {
        directions.insert(line.direction);
    }
    EXPECT_EQ(directions, (std::multiset<char>{'>', '<', '<'}));
    ctl->CheckIn(dev);
}

}  // namespace
