#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hid/platform/SystemHidPlatform.h"

// The parts of the system platform that need no hidraw node.

TEST(LinuxHidPlatform, NamesTheLanguagesItKnows) {
    const auto platform = createSystemHidPlatform();
    std::u16string name;
    EXPECT_TRUE(platform->languageName(0x0409, name));
    EXPECT_EQ(name, u"English (United States)");
    EXPECT_TRUE(platform->languageName(0x241A, name));
    EXPECT_EQ(name, u"Serbian (Latin, Serbia)");
    name = u"unchanged";
    EXPECT_FALSE(platform->languageName(0x0000, name));
    EXPECT_FALSE(platform->languageName(0x7FFF, name));
    EXPECT_EQ(name, u"unchanged");
}

TEST(LinuxHidPlatform, ChannelsThatCannotBeOpenedFailWithTheReason) {
    const auto platform = createSystemHidPlatform();
    EXPECT_EQ(platform->hidGuid(), StandardHidGuid);
    EXPECT_EQ(platform->open("/nonexistent/hidraw0", HidAccess::ReadWrite), InvalidHandle);
    EXPECT_EQ(platform->lastError(), 2u);
    EXPECT_EQ(platform->errorMessage(2), "No such file or directory");
    // A character device that is not a hidraw node.
    EXPECT_EQ(platform->open("/dev/null", HidAccess::QueryOnly), InvalidHandle);
    EXPECT_EQ(platform->lastError(), HidErrorNotSupported);
}

TEST(LinuxHidPlatform, UnknownHandlesAreInvalid) {
    const auto platform = createSystemHidPlatform();
    const HidHandle unknown = 4711;
    unsigned char buffer[65] = {};
    HidAttributes attributes;
    std::uint32_t count = 0;
    EXPECT_FALSE(platform->startRead(unknown, buffer, sizeof buffer));
    EXPECT_EQ(platform->lastError(), HidErrorInvalidHandle);
    EXPECT_FALSE(platform->getAttributes(unknown, attributes));
    EXPECT_FALSE(platform->getProductString(unknown, buffer, sizeof buffer));
    EXPECT_FALSE(platform->getNumInputBuffers(unknown, count));
    EXPECT_FALSE(platform->write(unknown, buffer, sizeof buffer, count));
    EXPECT_EQ(platform->getPreparsedData(unknown), nullptr);
    EXPECT_EQ(platform->lastError(), HidErrorInvalidHandle);
    // Nothing is outstanding on a handle that is not open.
    EXPECT_EQ(platform->wait(unknown, 0), HidWaitResult::IoCompletion);
    EXPECT_EQ(platform->transferResult(unknown), 0u);
    EXPECT_FALSE(platform->cancel(unknown));
    platform->interruptWait(unknown);
    platform->close(unknown);

    HidCaps caps;
    int notPreparsed = 0;
    EXPECT_NE(platform->getCaps(&notPreparsed, caps), HidpStatusSuccess);
}

TEST(LinuxHidPlatform, ListsThePresentNodesAsDevicePaths) {
    const auto platform = createSystemHidPlatform();
    ASSERT_TRUE(platform->bound());
    std::vector<HidInterfaceRecord> list(1);
    ASSERT_TRUE(platform->listInterfaces(list));
    std::vector<HidInterfaceRecord> again;
    ASSERT_TRUE(platform->listInterfaces(again));
    ASSERT_EQ(again.size(), list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].DevicePath.rfind("/dev/", 0), 0u) << list[i].DevicePath;
        EXPECT_EQ(list[i].TextProperties.at(HidPropClass), "HIDClass");
        EXPECT_EQ(again[i].DeviceID, list[i].DeviceID) << list[i].DevicePath;
    }
}
