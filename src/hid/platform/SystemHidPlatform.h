#pragma once

#include <memory>

#include "hid/platform/HidPlatform.h"

// The HID platform of the operating system the program was built for.
std::unique_ptr<HidPlatform> createSystemHidPlatform();
