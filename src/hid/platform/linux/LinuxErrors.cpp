#include "hid/platform/linux/LinuxErrors.h"

#include <cerrno>
#include <cstring>

#include "hid/platform/HidPlatform.h"

namespace {

thread_local std::uint32_t lastError = 0;

struct Translation {
    std::uint32_t code;
    int errnoValue;
};

constexpr Translation translations[] = {
    {HidErrorInvalidHandle, EBADF},
    {HidErrorNotSupported, EOPNOTSUPP},
    {HidErrorInsufficientBuffer, ENOBUFS},
};

}  // namespace

std::uint32_t errorCodeFromErrno(int errnoValue) {
    switch (errnoValue) {
        case ENOTTY:  // an ioctl the kernel does not know
            return HidErrorNotSupported;
        case ENXIO:  // 6 would read as an invalid handle
            return ENODEV;
        case ENOCSI:  // 50 would read as not supported
        case EDQUOT:  // 122 would read as a short buffer
            return EIO;
        default:
            break;
    }
    for (const auto& t : translations) {
        if (t.errnoValue == errnoValue) {
            return t.code;
        }
    }
    return static_cast<std::uint32_t>(errnoValue);
}

void setLastErrorCode(std::uint32_t code) {
    lastError = code;
}

void setLastErrorFromErrno(int errnoValue) {
    lastError = errorCodeFromErrno(errnoValue);
}

std::uint32_t lastErrorCode() {
    return lastError;
}

std::string errorCodeMessage(std::uint32_t code) {
    int errnoValue = static_cast<int>(code);
    for (const auto& t : translations) {
        if (t.code == code) {
            errnoValue = t.errnoValue;
        }
    }
    char buffer[256] = {};
    // The GNU strerror_r returns the text, which may or may not be in buffer.
    return strerror_r(errnoValue, buffer, sizeof buffer);
}
