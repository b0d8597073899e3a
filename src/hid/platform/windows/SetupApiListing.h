#pragma once

#include <vector>

#include "hid/platform/HidPlatform.h"
#include "hid/platform/windows/HidApi.h"

// Lists the present device interfaces of `interfaceClass` through the Setup
// API, in its order, with their plug-and-play properties. Interfaces whose
// details cannot be had are left out. False when the set cannot be had.
bool listDeviceInterfaces(const GUID& interfaceClass, std::vector<HidInterfaceRecord>& out);
