// The HID controller over the simulated platform: units beside other devices,
// and the unit leaving and coming back when it formats or enters boot mode.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ManualUiThread.h"
#include "ReportBytes.h"
#include "hid/HidControllerClass.h"
#include "sim/SimDevices.h"
#include "sim/SimUnitDevice.h"

namespace {

struct Log {
    std::vector<std::string> events;
    std::vector<std::string> data;

    void onArrival(THidDevice* dev) { events.push_back("arrival " + dev->PnPInfo().DevicePath()); }
    void onRemoval(THidDevice* dev) { events.push_back("removal " + dev->PnPInfo().DevicePath()); }
    void onChange(THidDeviceController*) { events.push_back("change"); }
    void onData(THidDevice*, std::uint8_t id, const std::uint8_t* bytes, std::uint16_t size) {
        UnitReport report(size + 1u, id);
        std::copy_n(bytes, size, report.begin() + 1);
        data.push_back(hexOf(report));
    }
};

class UnitDiscoveryTest : public ::testing::Test {
protected:
    void start() {
        ctl = std::make_unique<THidDeviceController>(sim, ui);
        ctl->setOnArrival(THidPlugEvent::bind(&log, &Log::onArrival));
        ctl->setOnRemoval(THidPlugEvent::bind(&log, &Log::onRemoval));
        ctl->setOnDeviceChange(THidNotifyEvent::bind(&log, &Log::onChange));
        ui.pump();
        log.events.clear();
    }

    // Checks out the unit, sends `request` and waits for its one reply.
    std::string ask(const char* request) {
        THidDevice* dev = nullptr;
        if (!ctl->CheckOutByIndex(dev, 0)) {
            return "no unit";
        }
        dev->setOnData(THidDataEvent::bind(&log, &Log::onData));
        const UnitReport bytes = reportOf(request);
        std::uint32_t written = 0;
        log.data.clear();
        const bool sent = dev->WriteFile(bytes.data(), 65, written) &&
                          ui.pumpUntil([&] { return !log.data.empty(); });
        ctl->CheckIn(dev);
        return sent ? log.data.front() : "no reply";
    }

    SimHidPlatform sim;
    ManualUiThread ui;
    Log log;
    std::unique_ptr<THidDeviceController> ctl;
};

TEST_F(UnitDiscoveryTest, UnitsAreFoundBesideAKeyboard) {
    sim.plug(keyboardDevice("kbd"));
    const auto units = attachDemoUnits(sim, 2);
    start();
    std::set<std::u16string> found;
    for (std::size_t i = 0; i < ctl->Devices().size(); ++i) {
        THidDevice* dev = nullptr;
        ASSERT_TRUE(ctl->CheckOutByIndex(dev, static_cast<std::int32_t>(i)));
        found.insert(dev->ProductName() + u"/" + dev->SerialNumber());
        ctl->CheckIn(dev);
    }
    EXPECT_EQ(found, (std::set<std::u16string>{u"/", u"Brevalon 8/BRV8-000001",
                                               u"Brevalon 8/BRV8-000002"}));
}

TEST_F(UnitDiscoveryTest, FormatAndBootModeAreARemovalAndALaterArrival) {
    struct Case {
        const char* request;
        const char* numberAfter;
    };
    for (const Case& c :
         {Case{"00 53 46", "00 47 4E 00"}, Case{"00 53 52 42", R"(00 47 4E 00 00 "0641")"}}) {
        SCOPED_TRACE(c.request);
        SimUnitDevice unit(sim, "BRV8-000007");
        unit.unit().setGsmNumber(0, "0641");
        unit.unit().behaviour().formatTimeMs = 50;
        unit.unit().behaviour().bootTimeMs = 50;
        start();

        THidDevice* dev = nullptr;
        ASSERT_TRUE(ctl->CheckOutByIndex(dev, 0));
        const UnitReport bytes = reportOf(c.request);
        std::uint32_t written = 0;
        ASSERT_TRUE(dev->WriteFile(bytes.data(), 65, written));
        ASSERT_TRUE(ui.pumpUntil([&] { return log.events.size() >= 2; }));
        const std::string removal = "removal " + unit.path();
        const std::string arrival = "arrival " + unit.path();
        EXPECT_EQ(log.events, (std::vector<std::string>{removal, "change"}));
        ctl->CheckIn(dev);

        ASSERT_TRUE(ui.pumpUntil([&] { return log.events.size() >= 4; }));
        EXPECT_EQ(log.events, (std::vector<std::string>{removal, "change", arrival, "change"}));
        EXPECT_EQ(ask("00 47 4E 00"), hexOf(reportOf(c.numberAfter)));

        ctl.reset();
        unit.unplug();
    }
}

}  // namespace

TEST(DemoUnitCountTest, TakesZeroToSixteenInDigitsOnly) {
    const std::vector<std::pair<std::string_view, std::optional<int>>> cases{
        {"0", 0},
        {"1", 1},
        {"16", 16},
        {"17", std::nullopt},
        {"", std::nullopt},
        {"+1", std::nullopt},
        {"-1", std::nullopt},
        {"1a", std::nullopt},
        {"007", std::nullopt},
        {"99999999999", std::nullopt}};
    for (const auto& [text, count] : cases) {
        EXPECT_EQ(demoUnitCount(text), count) << text;
    }
}
