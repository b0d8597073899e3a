#include "sim/SimUnitDevice.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>

#include "ReportBytes.h"
#include "sim/SimDevices.h"

namespace {

using namespace std::chrono_literals;

// Records, at every change signal of the platform, whether `path` is listed.
class PresenceLog {
public:
    PresenceLog(SimHidPlatform& platform, std::string path) : platform_(platform), path_(path) {
        platform_.startWatching([this] {
            const bool present = platform_.isPlugged(path_);
            std::lock_guard lock(mutex_);
            states_.push_back(present);
            changed_.notify_all();
        });
    }
    ~PresenceLog() { platform_.stopWatching(); }

    // Waits until `count` changes have been signalled; returns the states seen.
    std::vector<bool> waitFor(std::size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, 10s, [&] { return states_.size() >= count; });
        return states_;
    }

private:
    SimHidPlatform& platform_;
    std::string path_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<bool> states_;
};

std::u16string productOf(SimHidPlatform& platform, HidHandle h) {
    char16_t text[127] = {};
    return platform.getProductString(h, text, sizeof text) ? std::u16string(text) : u"(none)";
}

std::u16string indexedOf(SimHidPlatform& platform, HidHandle h, std::uint32_t index) {
    char16_t text[127] = {};
    return platform.getIndexedString(h, index, text, sizeof text) ? std::u16string(text)
                                                                  : u"(none)";
}

bool send(SimHidPlatform& platform, HidHandle h, const char* request) {
    const UnitReport bytes = report(request);
    std::uint32_t written = 0;
    return platform.write(h, bytes.data(), static_cast<std::uint32_t>(bytes.size()), written);
}

std::string receive(SimHidPlatform& platform, HidHandle h) {
    UnitReport bytes(65);
    std::uint32_t got = 0;
    if (!platform.read(h, bytes.data(), 65, got)) {
        return "read failed";
    }
    bytes.resize(got);
    return hexOf(bytes);
}

// Opens a new channel to `path`, sends `request` and reads one reply.
std::string askOnce(SimHidPlatform& platform, const std::string& path, const char* request) {
    const HidHandle h = platform.open(path, HidAccess::ReadWrite);
    const std::string reply = send(platform, h, request) ? receive(platform, h) : "write failed";
    platform.close(h);
    return reply;
}

std::uint32_t deviceIdOf(SimHidPlatform& platform, const std::string& path) {
    std::vector<HidInterfaceRecord> records;
    platform.listInterfaces(records);
    for (const HidInterfaceRecord& r : records) {
        if (r.DevicePath == path) {
            return r.DeviceID;
        }
    }
    return 0;
}

TEST(SimUnitDeviceTest, PresentsTheUnitAsAHidDevice) {
    SimHidPlatform platform;
    SimUnitDevice device(platform, "BRV8-000042");
    const HidHandle h = platform.open(device.path(), HidAccess::QueryOnly);
    ASSERT_NE(h, InvalidHandle);

    HidAttributes attributes;
    ASSERT_TRUE(platform.getAttributes(h, attributes));
    EXPECT_EQ(attributes.VendorID, 0xB8E0);
    EXPECT_EQ(attributes.ProductID, 0x0008);
    EXPECT_EQ(attributes.VersionNumber, 0x0302);

    void* preparsed = platform.getPreparsedData(h);
    HidCaps caps;
    ASSERT_EQ(platform.getCaps(preparsed, caps), HidpStatusSuccess);
    platform.freePreparsedData(preparsed);
    EXPECT_EQ(caps.InputReportByteLength, 65);
    EXPECT_EQ(caps.OutputReportByteLength, 65);
    EXPECT_EQ(caps.FeatureReportByteLength, 0);

    EXPECT_EQ(productOf(platform, h), u"Brevalon 8");
    char16_t text[127] = {};
    ASSERT_TRUE(platform.getSerialNumberString(h, text, sizeof text));
    EXPECT_EQ(std::u16string(text), u"BRV8-000042");
    ASSERT_TRUE(platform.getManufacturerString(h, text, sizeof text));
    EXPECT_EQ(std::u16string(text), u"Kelmarion");
    EXPECT_EQ(indexedOf(platform, h, 0), u"\x0409");
    EXPECT_EQ(indexedOf(platform, h, 1), u"Kelmarion");
    EXPECT_EQ(indexedOf(platform, h, 2), u"Brevalon 8");
    EXPECT_EQ(indexedOf(platform, h, 3), u"BRV8-000042");
    EXPECT_EQ(indexedOf(platform, h, 4), u"(none)");
    platform.close(h);
}

TEST(SimUnitDeviceTest, AnswersThroughThePlatformAfterItsLatency) {
    SimHidPlatform platform;
    SimUnitDevice device(platform, "S1");
    device.unit().behaviour().latencyMs = 2;
    const HidHandle h = platform.open(device.path(), HidAccess::ReadWrite);
    ASSERT_TRUE(send(platform, h, R"(00 53 4E 02 "0641")"));
    EXPECT_EQ(receive(platform, h), hexOf(report("00 53 4E")));
    ASSERT_TRUE(send(platform, h, "00 47 4E 02"));
    EXPECT_EQ(receive(platform, h), hexOf(report(R"(00 47 4E 02 00 "0641")")));
    EXPECT_EQ(device.unit().gsmNumber(2), "0641");
    // A short reply arrives short.
    device.unit().behaviour().shortReportBytes = 5;
    ASSERT_TRUE(send(platform, h, "00 47 4F"));
    EXPECT_EQ(receive(platform, h), "00 47 4F 00 0A");
    platform.close(h);
}

TEST(SimUnitDeviceTest, FormatAndBootModeLeaveTheBusAndComeBack) {
    struct Case {
        const char* request;
        const char* numberAfter;
    };
    for (const Case& c :
         {Case{"00 53 46", "00 47 4E 00"}, Case{"00 53 52 42", R"(00 47 4E 00 00 "0641")"}}) {
        SCOPED_TRACE(c.request);
        SimHidPlatform platform;
        SimUnitDevice device(platform, "S1");
        device.unit().setGsmNumber(0, "0641");
        device.unit().behaviour().formatTimeMs = 300;
        device.unit().behaviour().bootTimeMs = 300;
        const std::uint32_t idBefore = deviceIdOf(platform, device.path());
        PresenceLog log(platform, device.path());
        const HidHandle h = platform.open(device.path(), HidAccess::ReadWrite);
        ASSERT_TRUE(send(platform, h, c.request));

        EXPECT_EQ(log.waitFor(2), (std::vector<bool>{false, true}));
        EXPECT_FALSE(send(platform, h, "00 47 46"));
        EXPECT_EQ(platform.lastError(), SimErrorDeviceNotConnected);
        platform.close(h);
        EXPECT_NE(deviceIdOf(platform, device.path()), idBefore);
        EXPECT_EQ(askOnce(platform, device.path(), "00 47 4E 00"), hexOf(report(c.numberAfter)));
    }
}

TEST(SimUnitDeviceTest, UnplugFaultLeavesForGoodUntilPluggedAgain) {
    SimHidPlatform platform;
    SimUnitDevice device(platform, "S1");
    device.unit().behaviour().unplugAtRequest = 2;
    const HidHandle h = platform.open(device.path(), HidAccess::ReadWrite);
    ASSERT_TRUE(send(platform, h, R"(00 53 4E 00 "0641")"));
    EXPECT_EQ(receive(platform, h), hexOf(report("00 53 4E")));
    ASSERT_TRUE(send(platform, h, "00 47 4E 00"));
    EXPECT_FALSE(device.plugged());
    EXPECT_EQ(receive(platform, h), "read failed");
    platform.close(h);

    device.plug();
    ASSERT_TRUE(device.plugged());
    EXPECT_EQ(askOnce(platform, device.path(), "00 47 4E 00"),
              hexOf(report(R"(00 47 4E 00 00 "0641")")));
}

TEST(SimUnitDeviceTest, DemoUnitsAndAKeyboardSitSideBySide) {
    SimHidPlatform platform;
    auto units = attachDemoUnits(platform, 3);
    platform.plug(keyboardSpec("kbd"));
    ASSERT_EQ(units.size(), 3u);

    std::vector<HidInterfaceRecord> records;
    ASSERT_TRUE(platform.listInterfaces(records));
    ASSERT_EQ(records.size(), 4u);
    std::set<std::uint32_t> ids;
    std::set<std::string> paths;
    for (const HidInterfaceRecord& r : records) {
        ids.insert(r.DeviceID);
        paths.insert(r.DevicePath);
    }
    EXPECT_EQ(ids.size(), 4u);
    EXPECT_EQ(paths.size(), 4u);

    std::set<std::u16string> serials;
    for (const auto& unit : units) {
        EXPECT_EQ(unit->unit().behaviour().latencyMs, 2u);
        const HidHandle h = platform.open(unit->path(), HidAccess::QueryOnly);
        char16_t text[127] = {};
        ASSERT_TRUE(platform.getSerialNumberString(h, text, sizeof text));
        serials.insert(text);
        EXPECT_EQ(productOf(platform, h), u"Brevalon 8");
        platform.close(h);
    }
    EXPECT_EQ(serials, (std::set<std::u16string>{u"BRV8-000001", u"BRV8-000002", u"BRV8-000003"}));

    const HidHandle kbd = platform.open("kbd", HidAccess::QueryOnly);
    EXPECT_EQ(productOf(platform, kbd), u"(none)");
    HidAttributes attributes;
    ASSERT_TRUE(platform.getAttributes(kbd, attributes));
    EXPECT_EQ(attributes.VendorID, 0x0001);
    EXPECT_EQ(attributes.ProductID, 0x00AB);
    platform.close(kbd);
}

}  // namespace
