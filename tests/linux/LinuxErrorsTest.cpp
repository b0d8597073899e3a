#include <gtest/gtest.h>

#include <cerrno>
#include <thread>

#include "hid/platform/HidPlatform.h"
#include "hid/platform/linux/LinuxErrors.h"

TEST(LinuxErrors, TheCodesTheHidLayerKnowsAreTranslatedBothWays) {
    struct Case {
        int errnoValue;
        std::uint32_t code;
        const char* message;
    };
    const Case cases[] = {
        {EBADF, HidErrorInvalidHandle, "Bad file descriptor"},
        {EOPNOTSUPP, HidErrorNotSupported, "Operation not supported"},
        {ENOTTY, HidErrorNotSupported, "Operation not supported"},
        {ENOBUFS, HidErrorInsufficientBuffer, "No buffer space available"},
        // errno values whose numbers the HID layer would misread
        {ENXIO, 19, "No such device"},
        {EDQUOT, 5, "Input/output error"},
        {EACCES, 13, "Permission denied"},
        {ENODEV, 19, "No such device"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(errorCodeFromErrno(c.errnoValue), c.code) << "errno " << c.errnoValue;
        EXPECT_EQ(errorCodeMessage(c.code), c.message) << "code " << c.code;
    }
}

TEST(LinuxErrors, EachThreadHasItsOwnLastError) {
    setLastErrorFromErrno(EACCES);
    std::uint32_t seenByOther = 1;
    std::thread other([&] {
        seenByOther = lastErrorCode();
        setLastErrorFromErrno(ENODEV);
    });
    other.join();
    EXPECT_EQ(seenByOther, 0u);
    EXPECT_EQ(lastErrorCode(), 13u);
}
