#pragma once

#include <memory>

#include "HidPlatform.h"

// The HID platform of the operating system the program was built for.
std::unique_ptr<HidPlatform> createSystemHidPlatform();
