#include "hid/platform/SystemHidPlatform.h"

#include "hid/platform/linux/LinuxHidPlatform.h"

std::unique_ptr<HidPlatform> createSystemHidPlatform() {
    return std::make_unique<LinuxHidPlatform>();
}
