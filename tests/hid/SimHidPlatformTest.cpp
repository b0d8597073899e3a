#include <gtest/gtest.h>

#include "HidFixture.h"

namespace {

using namespace std::chrono_literals;

SimDeviceDescription echoDevice(std::chrono::milliseconds delay) {
    auto desc = testDevice("/a");
    desc.responder = [delay](const std::vector<std::uint8_t>& written) {
        return std::vector<SimInputReport>{{written, delay}};
    };
    return desc;
}

TEST(SimHidPlatform, DelayedReportIsReadableOnlyWhenDue) {
    SimHidPlatform sim;
    sim.plug(echoDevice(1h));
    const HidHandle writer = sim.open("/a", HidAccess::ReadWrite);
    const HidHandle reader = sim.open("/a", HidAccess::OverlappedRead);
    std::uint8_t buffer[65] = {};
    ASSERT_TRUE(sim.startRead(reader, buffer, 65));
    std::uint32_t written = 0;
    ASSERT_TRUE(sim.write(writer, std::vector<std::uint8_t>(65, 0x11).data(), 65, written));
    EXPECT_EQ(sim.wait(reader, 1), HidWaitResult::Timeout);
    sim.interruptWait(reader);
    EXPECT_EQ(sim.wait(reader, 1000), HidWaitResult::Interrupted);
    // Closing ends the outstanding read without data; the handle is gone.
    sim.close(reader);
    EXPECT_EQ(sim.wait(reader, 1000), HidWaitResult::IoCompletion);
    EXPECT_EQ(sim.transferResult(reader), 0u);
    EXPECT_FALSE(sim.startRead(reader, buffer, 65));
    EXPECT_EQ(sim.lastError(), HidErrorInvalidHandle);
    EXPECT_EQ(buffer[0], 0);
    sim.close(writer);
    EXPECT_EQ(sim.openChannels("/a"), 0);
}

TEST(SimHidPlatform, ReportsReachEveryReadingChannelWithTheirIdFirst) {
    SimHidPlatform sim;
    sim.plug(echoDevice(0ms));
    const HidHandle first = sim.open("/a", HidAccess::OverlappedRead);
    const HidHandle second = sim.open("/a", HidAccess::OverlappedRead);
    ASSERT_TRUE(sim.sendInput("/a", {0x00, 0x47, 0x53}));
    for (HidHandle handle : {first, second}) {
        std::uint8_t buffer[65] = {};
        ASSERT_TRUE(sim.startRead(handle, buffer, 65));
        EXPECT_EQ(sim.wait(handle, 1000), HidWaitResult::IoCompletion);
        EXPECT_EQ(sim.transferResult(handle), 3u);
        EXPECT_EQ(hexOf(std::span(buffer, 3)), "00 47 53");
    }
    const auto lines = sim.transcript();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].direction, '<');
    EXPECT_EQ(lines[1].path, "/a");
}

TEST(SimHidPlatform, UnplugEndsReadsAndFailsEveryChannelOperation) {
    SimHidPlatform sim;
    int signals = 0;
    sim.startWatching([&] { ++signals; });
    sim.plug(testDevice("/a"));
    const HidHandle general = sim.open("/a", HidAccess::ReadWrite);
    const HidHandle reader = sim.open("/a", HidAccess::OverlappedRead);
    std::uint8_t buffer[65] = {};
    ASSERT_TRUE(sim.startRead(reader, buffer, 65));
    sim.unplug("/a");
    EXPECT_EQ(sim.wait(reader, 1000), HidWaitResult::IoCompletion);
    EXPECT_EQ(sim.transferResult(reader), 0u);
    HidAttributes attributes;
    std::uint32_t written = 0;
    EXPECT_FALSE(sim.getAttributes(general, attributes));
    EXPECT_FALSE(sim.write(general, buffer, 65, written));
    EXPECT_EQ(sim.lastError(), SimErrorDeviceNotConnected);
    EXPECT_EQ(sim.open("/a", HidAccess::QueryOnly), InvalidHandle);
    EXPECT_EQ(sim.lastError(), SimErrorFileNotFound);
    sim.notifyChange();
    sim.stopWatching();
    sim.plug(testDevice("/b"));
    EXPECT_EQ(signals, 3);
    sim.close(general);
    sim.close(reader);
}

TEST(SimHidPlatform, WritesFailWithTheChosenCodeAndCheckTheReportLength) {
    SimHidPlatform sim;
    sim.plug(testDevice("/a"));
    const HidHandle handle = sim.open("/a", HidAccess::ReadWrite);
    const std::vector<std::uint8_t> report = reportOf("00");
    std::uint32_t written = 0;
    sim.failWrites("/a", 31, 2);
    struct Case {
        std::uint32_t size;
        bool ok;
        std::uint32_t error;
    } cases[] = {
        {65, false, 31}, {65, false, 31}, {64, false, SimErrorInvalidParameter}, {65, true, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(sim.write(handle, report.data(), c.size, written), c.ok);
        if (!c.ok) {
            EXPECT_EQ(sim.lastError(), c.error);
        }
    }
    EXPECT_EQ(sim.transcript().size(), 1u);
    sim.close(handle);
}

TEST(SimHidPlatform, TranscriptLineText) {
    const SimTranscriptLine line{12345ms, '>', "/a", {0x00, 0x47, 0x53, 0xAB}};
    EXPECT_EQ(line.text(), "12.345 > 00 47 53 AB");
    const SimTranscriptLine early{7ms, '<', "/a", {0x0F}};
    EXPECT_EQ(early.text(), "0.007 < 0F");
}

}  // namespace
