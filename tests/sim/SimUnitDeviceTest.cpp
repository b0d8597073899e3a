#include "sim/SimUnitDevice.h"

#include <gtest/gtest.h>

#include <string>

#include "ReportBytes.h"

namespace {

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
    const UnitReport bytes = reportOf(request);
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
    EXPECT_EQ(receive(platform, h), hexOf(reportOf("00 53 4E")));
    ASSERT_TRUE(send(platform, h, "00 47 4E 02"));
    EXPECT_EQ(receive(platform, h), hexOf(reportOf(R"(00 47 4E 02 00 "0641")")));
    EXPECT_EQ(device.unit().gsmNumber(2), "0641");
    // A short reply arrives short.
    device.unit().behaviour().shortReportBytes = 5;
    ASSERT_TRUE(send(platform, h, "00 47 4F"));
    EXPECT_EQ(receive(platform, h), "00 47 4F 00 0A");
    platform.close(h);
}

TEST(SimUnitDeviceTest, UnplugFaultLeavesForGoodUntilPluggedAgain) {
    SimHidPlatform platform;
    SimUnitDevice device(platform, "S1");
    device.unit().behaviour().unplugAtRequest = 2;
    const HidHandle h = platform.open(device.path(), HidAccess::ReadWrite);
    ASSERT_TRUE(send(platform, h, R"(00 53 4E 00 "0641")"));
    EXPECT_EQ(receive(platform, h), hexOf(reportOf("00 53 4E")));
    ASSERT_TRUE(send(platform, h, "00 47 4E 00"));
    EXPECT_FALSE(device.plugged());
    EXPECT_EQ(receive(platform, h), "read failed");
    platform.close(h);

    device.plug();
    ASSERT_TRUE(device.plugged());
    EXPECT_EQ(askOnce(platform, device.path(), "00 47 4E 00"),
              hexOf(reportOf(R"(00 47 4E 00 00 "0641")")));
}

}  // namespace
