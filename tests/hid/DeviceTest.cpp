#include "HidFixture.h"

namespace {

class DeviceTest : public HidTest {
protected:
    void TearDown() override {
        if (ctl) {
            ctl->CheckIn(dev);
        }
        HidTest::TearDown();
    }

    // Lists one device and checks it out.
    THidDevice* holdDevice(const SimDeviceDescription& desc) {
        sim.plug(desc);
        start();
        EXPECT_TRUE(ctl->CheckOutByIndex(dev, 0));
        return dev;
    }

    THidDevice* dev = nullptr;
};

TEST_F(DeviceTest, SerialNumberIsNotTheLanguageTable) {
    struct Case {
        std::optional<std::u16string> serial;
        std::vector<std::uint16_t> languages;
        std::u16string expected;
    } cases[] = {
        {u"SN-0042", {0x0409}, u"SN-0042"},
        {std::u16string(1, char16_t(0x0409)), {0x0409}, u""},
        {std::u16string{char16_t(0x0409), char16_t(0x0407)}, {0x0409, 0x0407}, u""},
        {std::u16string{char16_t(0x0409), u'X'},
         {0x0409, 0x0407},
         std::u16string{char16_t(0x0409), u'X'}},
        {u"SN-0042", {}, u""},
        {std::nullopt, {0x0409}, u""},
    };
    for (const auto& c : cases) {
        SimHidPlatform platform;
        auto desc = testDevice("/a");
        desc.serial = c.serial;
        desc.languageIds = c.languages;
        platform.plug(desc);
        THidDeviceController controller(platform, ui);
        controller.setOnDeviceChange(THidNotifyEvent::bind(&log, &EventLog::onDeviceChange));
        THidDevice* held = nullptr;
        ASSERT_TRUE(controller.CheckOut(held));
        EXPECT_EQ(held->SerialNumber(), c.expected);
        EXPECT_EQ(platform.openChannels("/a"), 0);
        controller.CheckIn(held);
        ui.pump();
    }
}

TEST_F(DeviceTest, LanguageStringsNameEachLanguageOrShowItsNumber) {
    auto desc = testDevice("/a");
    desc.languageIds = {0x0409, 0x041A, 0x00AB, 0xBEEF};
    holdDevice(desc);
    const std::vector<std::u16string> expected{u"English (United States)", u"Croatian (Croatia)",
                                               u"unknown Locale ID $00AB",
                                               u"unknown Locale ID $BEEF"};
    EXPECT_EQ(dev->LanguageStrings(), expected);
    EXPECT_EQ(sim.openChannels("/a"), 0);
}

TEST_F(DeviceTest, ListedDeviceAnswersFromItsCacheOnly) {
    sim.plug(testDevice("/a", u"Never read"));
    auto named = testDevice("/b", u"Read on arrival");
    sim.plug(named);
    ctl = std::make_unique<THidDeviceController>(sim, ui);
    struct Reader {
        void onArrival(THidDevice* d) {
            if (d->PnPInfo().DevicePath() == "/b") {
                d->ProductName();
            }
        }
    } reader;
    ctl->setOnArrival(THidPlugEvent::bind(&reader, &Reader::onArrival));
    ctl->setOnDeviceChange(THidNotifyEvent::bind(&log, &EventLog::onDeviceChange));
    EXPECT_EQ(ctl->Devices()[0]->ProductName(), u"");
    EXPECT_EQ(ctl->Devices()[1]->ProductName(), u"Read on arrival");
    EXPECT_EQ(ctl->Devices()[0]->Caps().InputReportByteLength, 0);
    EXPECT_EQ(sim.openChannels("/a") + sim.openChannels("/b"), 0);
}

TEST_F(DeviceTest, QueriesOfACheckedOutDevice) {
    auto desc = testDevice("/a", u"Brevalon 8", 0x0001, 0x00AB);
    desc.caps.FeatureReportByteLength = 0;
    desc.indexedStrings = {{1, u"Brevalon"}, {3, u"Šabac"}};
    desc.physicalDescriptor = std::vector<std::uint16_t>{0x0102, 0x0304, 0x0506};
    holdDevice(desc);
    EXPECT_EQ(dev->VendorName(), u"Brevalon");
    EXPECT_EQ(dev->Attributes().VendorID, 0x0001);
    EXPECT_EQ(dev->Attributes().ProductID, 0x00AB);
    EXPECT_EQ(dev->Caps().InputReportByteLength, 65);
    EXPECT_EQ(dev->Caps().OutputReportByteLength, 65);
    EXPECT_EQ(dev->PhysicalDescriptor(), (THidPhysicalDescriptor{0x0102, 0x0304, 0x0506}));
    EXPECT_EQ(dev->PnPInfo().ClassDescr(), "HIDClass");
    EXPECT_EQ(sim.openChannels("/a"), 0);

    EXPECT_EQ(dev->IndexedString(0), u"");
    EXPECT_EQ(dev->IndexedString(2), u"");
    EXPECT_EQ(dev->IndexedString(1), u"Brevalon");
    EXPECT_EQ(dev->IndexedStringA(3),
              "\xC5\xA0"
              "abac");
    EXPECT_EQ(sim.openChannels("/a"), 1);  // left open
    EXPECT_EQ(dev->NumInputBuffers(), 32);
    dev->setNumInputBuffers(64);
    EXPECT_EQ(dev->NumInputBuffers(), 64);
    std::uint16_t count = 0;
    EXPECT_EQ(dev->GetButtonCaps(nullptr, count), HidpStatusNotImplemented);
}

TEST_F(DeviceTest, ThreadSleepTimeKeepsValuesOutsideItsRange) {
    holdDevice(testDevice("/a"));
    struct Case {
        std::int32_t written;
        std::int32_t expected;
    } cases[] = {{9, 100}, {10, 10}, {10000, 10000}, {10001, 10000}, {-1, 10000}, {250, 250}};
    for (const auto& c : cases) {
        dev->setThreadSleepTime(c.written);
        EXPECT_EQ(dev->ThreadSleepTime(), c.expected) << c.written;
    }
}

TEST_F(DeviceTest, WriteFileSendsTheReportAndReportsFailures) {
    holdDevice(testDevice("/a"));
    const std::vector<std::uint8_t> report = reportOf("00 47 53");
    std::uint32_t written = 0;
    ASSERT_TRUE(dev->WriteFile(report.data(), 65, written));
    EXPECT_EQ(written, 65u);
    const auto lines = sim.transcript();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].direction, '>');
    EXPECT_EQ(hexOf(lines[0].bytes), reportHex("00 47 53"));
    sim.failWrites("/a", 1167, 1);
    EXPECT_FALSE(dev->WriteFile(report.data(), 65, written));
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(sim.lastError(), 1167u);
    EXPECT_TRUE(dev->WriteFile(report.data(), 65, written));
}

TEST_F(DeviceTest, QueryOnlyDeviceCannotWriteAndGetsNoReader) {
    auto desc = testDevice("/a");
    desc.queryOnly = true;
    holdDevice(desc);
    EXPECT_FALSE(dev->HasReadWriteAccess());
    dev->setOnData(THidDataEvent::bind(&log, &EventLog::onData));
    EXPECT_FALSE(dev->HasReader());
    EXPECT_EQ(dev->ProductName(), u"Brevalon 8");
    std::uint8_t report[65] = {};
    std::uint32_t written = 0;
    EXPECT_FALSE(dev->WriteFile(report, 65, written));
    EXPECT_EQ(sim.lastError(), SimErrorAccessDenied);
}

TEST_F(DeviceTest, ForwardedOperations) {
    auto desc = testDevice("/a");
    desc.caps.FeatureReportByteLength = 4;
    holdDevice(desc);
    const std::uint8_t feature[4] = {0x02, 0xAA, 0xBB, 0xCC};
    EXPECT_TRUE(dev->SetFeature(feature, 4));
    std::uint8_t read[4] = {0x02};
    EXPECT_TRUE(dev->GetFeature(read, 4));
    EXPECT_EQ(hexOf(std::span(read, 4)), "02 AA BB CC");
    std::uint8_t other[4] = {0x03, 0x11};
    EXPECT_TRUE(dev->GetFeature(other, 4));
    EXPECT_EQ(hexOf(std::span(other, 4)), "03 00 00 00");
    dev->setConfiguration(HidConfiguration{1, 2, 64});
    EXPECT_EQ(dev->Configuration().RingBufferSize, 64u);
    EXPECT_TRUE(dev->FlushQueue());
    EXPECT_FALSE(dev->GetInputReport(read, 4));
    EXPECT_EQ(sim.lastError(), HidErrorNotSupported);
}

TEST_F(DeviceTest, ReportParserNeedsAnAccessibleDevice) {
    sim.plug(testDevice("/a"));
    start();
    THidDevice* listed = ctl->Devices()[0];
    std::uint16_t count = 0;
    std::uint32_t length = 0;
    EXPECT_EQ(listed->GetValueCaps(nullptr, count), HidpStatusNull);
    EXPECT_EQ(listed->GetUsages(nullptr, length, nullptr, 0), HidpStatusNull);
    EXPECT_EQ(listed->InitializeReportForID(0, nullptr, 0), HidpStatusNotImplemented);
}

}  // namespace
