#include <gtest/gtest.h>

#include "hid/platform/linux/DeviceInstanceIds.h"

TEST(DeviceInstanceIds, AnInstanceKeepsItsNumberAndANewAttachmentGetsANewOne) {
    DeviceInstanceIds ids;
    const std::string hidraw0 = "/sys/devices/virtual/misc/uhid/0003:1FC9:8A01.0001/hidraw/hidraw0";
    const std::string again = "/sys/devices/virtual/misc/uhid/0003:1FC9:8A01.0002/hidraw/hidraw0";
    const std::uint32_t first = ids.idFor(hidraw0, 100);
    EXPECT_EQ(ids.idFor(hidraw0, 100), first);
    // The same minor number on a new attachment, or a new node of the same
    // name: never the old number.
    const std::uint32_t second = ids.idFor(again, 200);
    const std::uint32_t third = ids.idFor(hidraw0, 201);
    EXPECT_NE(second, first);
    EXPECT_NE(third, first);
    EXPECT_NE(third, second);
    EXPECT_EQ(ids.idFor(again, 200), second);
}
