#include <gtest/gtest.h>

#include "hid/platform/linux/UdevAnnouncements.h"

TEST(UdevAnnouncements, ANodeIsDoneOnceUdevToldOfItAndUntilItsRemoval) {
    const std::string known = "/sys/class/hidraw/hidraw0";
    const std::string fresh = "/sys/class/hidraw/hidraw1";
    UdevAnnouncements announcements;
    announcements.restart({known});
    EXPECT_TRUE(announcements.done(known));
    EXPECT_FALSE(announcements.done(fresh));

    struct Case {
        const char* action;
        bool done;
    };
    for (const Case& c : {Case{"add", true}, Case{"remove", false}, Case{"change", true},
                          Case{"remove", false}, Case{"add", true}}) {
        announcements.heard(fresh, c.action);
        EXPECT_EQ(announcements.done(fresh), c.done) << c.action;
    }
    announcements.heard(known, "remove");
    EXPECT_FALSE(announcements.done(known));

    // After lost events, what udev holds then is all that counts.
    announcements.restart({known});
    EXPECT_TRUE(announcements.done(known));
    EXPECT_FALSE(announcements.done(fresh));
}
