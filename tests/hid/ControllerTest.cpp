#include "HidFixture.h"

namespace {

using Events = std::vector<std::string>;

TEST_F(HidTest, StartUpCallsArrivalsInPlatformOrderThenDeviceChange) {
    struct Case {
        std::vector<std::string> present;
        Events expected;
    } cases[] = {
        {{"/b", "/a"}, {"arrival /b", "arrival /a", "change", "change"}},
        // Only the pass of the initial notification reports a change.
        {{}, {"change"}},
    };
    for (const auto& c : cases) {
        SimHidPlatform platform;
        for (const auto& path : c.present) {
            platform.plug(testDevice(path));
        }
        EventLog events;
        THidDeviceController controller(platform, ui);
        controller.setOnArrival(THidPlugEvent::bind(&events, &EventLog::onArrival));
        EXPECT_EQ(ui.queued(), 1u);  // the initial notification waits for the event loop
        controller.setOnDeviceChange(THidNotifyEvent::bind(&events, &EventLog::onDeviceChange));
        ui.pump();
        EXPECT_EQ(events.events, c.expected);
        EXPECT_EQ(controller.NumCheckedInDevices(), static_cast<int>(c.present.size()));
    }
}

TEST_F(HidTest, NotificationWithoutChangeCallsNoHandler) {
    sim.plug(testDevice("/a"));
    start();
    log.take();
    sim.notifyChange();
    EXPECT_EQ(ui.pump(), 1u);
    EXPECT_EQ(log.take(), Events{});
}

TEST_F(HidTest, UnpluggedCheckedOutDeviceStaysListedUntilCheckedIn) {
    sim.plug(testDevice("/a"));
    sim.plug(testDevice("/b"));
    start();
    THidDevice* dev = nullptr;
    ASSERT_TRUE(ctl->CheckOutByIndex(dev, 0));
    dev->setOnUnplug(THidPlugEvent::bind(&log, &EventLog::onUnplug));
    std::uint32_t written = 0;
    ASSERT_TRUE(dev->WriteFile(reportOf("00").data(), 65, written));
    log.take();

    sim.unplug("/a");
    ui.pump();
    EXPECT_EQ(log.take(), (Events{"unplug /a", "removal /a gone", "change"}));
    EXPECT_FALSE(dev->OnUnplug());
    EXPECT_EQ(paths(), (std::vector<std::string>{"/a", "/b"}));
    EXPECT_EQ(counts(), (std::vector<int>{1, 0, 1}));
    EXPECT_EQ(sim.openChannels("/a"), 0);

    // Every later pass reports the stale device again.
    sim.plug(testDevice("/c"));
    ui.pump();
    EXPECT_EQ(log.take(), (Events{"removal /a gone", "arrival /c", "change"}));

    ctl->CheckIn(dev);
    EXPECT_EQ(dev, nullptr);
    EXPECT_EQ(paths(), (std::vector<std::string>{"/b", "/c"}));
    EXPECT_EQ(counts(), (std::vector<int>{2, 0, 0}));
}

TEST_F(HidTest, UnpluggedFreeDeviceLeavesTheList) {
    for (const char* path : {"/a", "/b", "/c"}) {
        sim.plug(testDevice(path));
    }
    start();
    log.take();
    sim.unplug("/b");
    ui.pump();
    EXPECT_EQ(log.take(), (Events{"removal /b gone", "change"}));
    EXPECT_EQ(paths(), (std::vector<std::string>{"/a", "/c"}));
    EXPECT_EQ(counts(), (std::vector<int>{2, 0, 0}));
}

TEST_F(HidTest, ReplugWhileCheckedOutGivesANewObject) {
    sim.plug(testDevice("/a"));
    start();
    THidDevice* old = nullptr;
    ASSERT_TRUE(ctl->CheckOut(old));
    sim.unplug("/a");
    ui.pump();
    log.take();
    sim.plug(testDevice("/a"));
    ui.pump();
    EXPECT_EQ(log.take(), (Events{"removal /a gone", "arrival /a", "change"}));
    ASSERT_EQ(ctl->Devices().size(), 2u);
    EXPECT_EQ(ctl->Devices()[0], old);
    EXPECT_FALSE(old->IsPluggedIn());
    EXPECT_TRUE(ctl->Devices()[1]->IsPluggedIn());
    ctl->CheckIn(old);
}

TEST_F(HidTest, DroppedNotificationDuringAPass) {
    sim.plug(testDevice("/a"));
    start();
    log.take();
    // An arrival handler that lets the event loop run while a third device
    // comes: that notification arrives during the pass and is dropped.
    struct Nested {
        SimHidPlatform& sim;
        ManualUiThread& ui;
        void onArrival(THidDevice*) {
            sim.plug(testDevice("/c"));
            ui.pump();
        }
    } nested{sim, ui};
    ctl->setOnArrival(THidPlugEvent::bind(&nested, &Nested::onArrival));
    sim.plug(testDevice("/b"));
    ui.pump();
    EXPECT_EQ(paths(), (std::vector<std::string>{"/a", "/b"}));
    ctl->setOnArrival(THidPlugEvent::bind(&log, &EventLog::onArrival));
    sim.notifyChange();
    ui.pump();
    EXPECT_EQ(log.take(), (Events{"change", "arrival /c", "change"}));
}

TEST_F(HidTest, EnumerateCountsPluggedInDevicesReached) {
    struct Case {
        int devices;
        bool handler;
        bool answer;
        int expected;
        int calls;
    } cases[] = {
        {3, true, false, 1, 1},
        {3, true, true, 2, 2},  // the first device is checked out and unplugged: skipped
        {3, false, true, 1, 0},
        {0, false, true, 0, 0},
    };
    for (const auto& c : cases) {
        SimHidPlatform platform;
        for (int i = 0; i < c.devices; ++i) {
            platform.plug(testDevice("/" + std::to_string(i)));
        }
        THidDeviceController controller(platform, ui);
        controller.setOnDeviceChange(THidNotifyEvent::bind(&log, &EventLog::onDeviceChange));
        THidDevice* gone = nullptr;
        if (c.answer && c.devices > 0) {
            controller.CheckOutByIndex(gone, 0);
            platform.unplug("/0");
        }
        ui.pump();
        struct Enumerator {
            bool answer;
            int calls = 0;
            std::vector<std::u16string> names;
            bool onEnumerate(THidDevice* dev, std::int32_t) {
                ++calls;
                names.push_back(dev->ProductName());  // readable while enumerated
                return answer;
            }
        } enumerator{c.answer, 0, {}};
        if (c.handler) {
            controller.setOnEnumerate(
                THidEnumerateEvent::bind(&enumerator, &Enumerator::onEnumerate));
        }
        EXPECT_EQ(controller.Enumerate(), c.expected);
        EXPECT_EQ(enumerator.calls, c.calls);
        EXPECT_EQ(enumerator.names, std::vector<std::u16string>(c.calls, u"Brevalon 8"));
        for (int i = 0; i < c.devices; ++i) {
            EXPECT_EQ(platform.openChannels("/" + std::to_string(i)), 0);
        }
        controller.CheckIn(gone);
    }
}

TEST_F(HidTest, CheckOutByIndexBounds) {
    sim.plug(testDevice("/a"));
    sim.plug(testDevice("/b"));
    start();
    THidDevice* first = nullptr;
    ASSERT_TRUE(ctl->CheckOutByIndex(first, 0));
    for (std::int32_t idx : {-1, 2, 0}) {
        THidDevice* dev = first;
        EXPECT_FALSE(ctl->CheckOutByIndex(dev, idx)) << idx;
        EXPECT_EQ(dev, nullptr) << idx;
    }
    EXPECT_EQ(counts(), (std::vector<int>{1, 1, 0}));
    ctl->CheckIn(first);
    EXPECT_EQ(counts(), (std::vector<int>{2, 0, 0}));
    EXPECT_FALSE(first);
    ctl->CheckIn(first);  // none: nothing happens
    EXPECT_EQ(counts(), (std::vector<int>{2, 0, 0}));
}

TEST_F(HidTest, CheckOutAndCountByTests) {
    sim.plug(testDevice("/a", u"Keyboard", 0x046D, 0xC31C));
    auto unit = testDevice("/b", u"Brevalon 8", 0x1234, 0x0001);
    unit.textProperties[HidPropClass] = "Unit";
    sim.plug(unit);
    sim.plug(testDevice("/c", u"Brevalon 8", 0x1234, 0x0002));
    start();
    // Names are cached only once read during a callback or a check-out.
    EXPECT_EQ(ctl->CountByProductName(u"Brevalon 8"), 0);
    EXPECT_EQ(ctl->CountByProductName(u""), 3);
    // A callback shows each device to its test, which reads (and caches) its name.
    EXPECT_EQ(ctl->CountByCallback([](THidDevice* d) { return d->ProductName().empty(); }), 0);
    EXPECT_EQ(ctl->CountByProductName(u"Brevalon 8"), 2);
    EXPECT_EQ(ctl->CountByID(0x1234, -1), 2);
    EXPECT_EQ(ctl->CountByID(0x1234, 2), 1);
    EXPECT_EQ(ctl->CountByClass("Unit"), 1);

    struct Case {
        std::function<bool(THidDevice*&)> checkOut;
        const char* expected;  // nullptr: nothing checked out
    } cases[] = {
        {[&](THidDevice*& d) { return ctl->CheckOutByID(d, 0x1234, 2); }, "/c"},
        {[&](THidDevice*& d) { return ctl->CheckOutByID(d, 0x1234, -1); }, "/b"},
        {[&](THidDevice*& d) { return ctl->CheckOutByClass(d, ""); }, nullptr},
        {[&](THidDevice*& d) { return ctl->CheckOutByProductName(d, u""); }, nullptr},
        {[&](THidDevice*& d) { return ctl->CheckOutByVendorName(d, u"Brevalon"); }, nullptr},
        {[&](THidDevice*& d) { return ctl->CheckOutByProductName(d, u"Keyboard"); }, "/a"},
        {[&](THidDevice*& d) { return ctl->CheckOut(d); }, nullptr},
    };
    std::vector<THidDevice*> held;
    for (const auto& c : cases) {
        THidDevice* dev = nullptr;
        EXPECT_EQ(c.checkOut(dev), c.expected != nullptr);
        EXPECT_EQ(dev ? EventLog::path(dev).c_str() : "",
                  std::string(c.expected ? c.expected : ""));
        if (dev) {
            held.push_back(dev);
        }
    }
    EXPECT_EQ(counts(), (std::vector<int>{0, 3, 0}));
    // Checked-out devices are accessible, so their names are read now.
    EXPECT_EQ(ctl->CountByVendorName(u"Brevalon"), 3);
    for (THidDevice* dev : held) {
        ctl->CheckIn(dev);
    }
    THidDevice* dev = nullptr;
    EXPECT_TRUE(
        ctl->CheckOutByCallback(dev, [](THidDevice* d) { return d->Attributes().ProductID == 2; }));
    EXPECT_EQ(EventLog::path(dev), "/c");
    ctl->CheckIn(dev);
}

TEST_F(HidTest, DestroyingADeviceThatCannotBeReopenedDropsItsPosition) {
    sim.plug(testDevice("/a"));
    start();
    THidDevice* dev = nullptr;
    ASSERT_TRUE(ctl->CheckOut(dev));
    sim.unplug("/a");  // gone, but the controller has not handled the notification yet
    delete dev;
    EXPECT_TRUE(ctl->Devices().empty());
    EXPECT_EQ(counts(), (std::vector<int>{0, 0, 0}));
    log.take();
    ui.pump();
    EXPECT_EQ(log.take(), Events{});
}

TEST_F(HidTest, AssigningTheSameDeviceChangeHandlerRunsNoPass) {
    sim.plug(testDevice("/a"));
    start();  // the initial notification's marker stays, so every pass would report
    log.take();
    EventLog other;
    ctl->setOnDeviceChange(THidNotifyEvent::bind(&other, &EventLog::onDeviceChange));
    EXPECT_EQ(log.take(), Events{});
    EXPECT_EQ(other.take(), Events{});
    ctl->setOnDeviceChange(THidNotifyEvent::bind(&other, &EventLog::onOtherDeviceChange));
    EXPECT_EQ(other.take(), Events{"other change"});
}

TEST_F(HidTest, DeviceHandlersReachListedDevicesThatHaveTheCurrentOne) {
    ctl = std::make_unique<THidDeviceController>(sim, ui);
    ctl->setOnDeviceDataError(THidDataErrorEvent::bind(&log, &EventLog::onError));
    sim.plug(testDevice("/a"));
    sim.plug(testDevice("/b"));
    ctl->setOnDeviceChange(THidNotifyEvent::bind(&log, &EventLog::onDeviceChange));
    ui.pump();
    THidDevice* a = ctl->Devices()[0];
    THidDevice* b = ctl->Devices()[1];
    // Assigned before any device was listed: reaches none, then or later.
    EXPECT_FALSE(a->OnDataError());
    EXPECT_FALSE(b->OnDataError());

    EventLog mine;
    b->setOnUnplug(THidPlugEvent::bind(&mine, &EventLog::onArrival));
    b->setThreadSleepTime(20);
    ctl->setOnDeviceUnplug(THidPlugEvent::bind(&log, &EventLog::onUnplug));
    ctl->setDevThreadSleepTime(300);
    ctl->setOnDeviceDataError(THidDataErrorEvent::bind(&mine, &EventLog::onError));
    EXPECT_TRUE(a->OnUnplug() == THidPlugEvent::bind(&log, &EventLog::onUnplug));
    EXPECT_TRUE(b->OnUnplug() == THidPlugEvent::bind(&log, &EventLog::onArrival));
    EXPECT_EQ(a->ThreadSleepTime(), 300);
    EXPECT_EQ(b->ThreadSleepTime(), 20);
    // Their empty error handler is not the controller's, so they never get one.
    EXPECT_FALSE(a->OnDataError());

    // New devices get the data and unplug handlers, and start with 100 ms.
    sim.plug(testDevice("/c"));
    ui.pump();
    THidDevice* c = ctl->Devices()[2];
    EXPECT_TRUE(c->OnUnplug() == THidPlugEvent::bind(&log, &EventLog::onUnplug));
    EXPECT_FALSE(c->OnDataError());
    EXPECT_EQ(c->ThreadSleepTime(), 100);
    ctl->setDevThreadSleepTime(5);  // stored without a range check; devices refuse it
    EXPECT_EQ(ctl->DevThreadSleepTime(), 5);
    EXPECT_EQ(a->ThreadSleepTime(), 300);
}

TEST_F(HidTest, ListingSkipsDevicesThatCannotBeOpenedOrIdentified) {
    auto closed = testDevice("/closed");
    closed.cannotOpen = true;
    auto anonymous = testDevice("/anonymous");
    anonymous.attributesFail = true;
    auto queryOnly = testDevice("/query");
    queryOnly.queryOnly = true;
    for (const auto& desc : {closed, anonymous, queryOnly}) {
        sim.plug(desc);
    }
    start();
    EXPECT_EQ(paths(), std::vector<std::string>{"/query"});
    EXPECT_FALSE(ctl->Devices()[0]->HasReadWriteAccess());
    EXPECT_EQ(
        sim.openChannels("/closed") + sim.openChannels("/anonymous") + sim.openChannels("/query"),
        0);
}

TEST_F(HidTest, UnboundPlatformListsNothing) {
    sim.setBound(false);
    sim.plug(testDevice("/a"));
    start();
    EXPECT_TRUE(ctl->Devices().empty());
    EXPECT_EQ(ui.queued(), 0u);
    EXPECT_TRUE(ctl->HidGuid() == StandardHidGuid);
    sim.setHidVersion("10.0.1");
    EXPECT_EQ(THidDeviceController::HidVersion(sim), "10.0.1");
    EXPECT_EQ(ctl->Version(), "1.0.34");
    ctl->setVersion("2.0");
    EXPECT_EQ(ctl->Version(), "1.0.34");
}

TEST_F(HidTest, DestroyedControllerUnplugsCheckedOutDevicesForTheirHolders) {
    sim.plug(testDevice("/a"));
    sim.plug(testDevice("/b"));
    start();
    THidDevice* held = nullptr;
    ASSERT_TRUE(ctl->CheckOutByIndex(held, 1));
    held->setOnUnplug(THidPlugEvent::bind(&log, &EventLog::onUnplug));
    log.take();
    sim.unplug("/a");  // its notification is still queued when the controller goes
    ctl.reset();
    EXPECT_EQ(log.take(), Events{"unplug /b"});
    EXPECT_FALSE(held->IsPluggedIn());
    EXPECT_EQ(held->Controller(), nullptr);
    EXPECT_FALSE(held->CheckOut());
    EXPECT_EQ(sim.openChannels("/b"), 0);
    ui.pump();  // the queued notification finds no controller
    delete held;
}

}  // namespace
