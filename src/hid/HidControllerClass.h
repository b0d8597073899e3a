#pragma once

// The HID layer: controller, device objects and their reader threads.
#include "hid/EControllerError.h"
#include "hid/HidTypes.h"
#include "hid/THidDevice.h"
#include "hid/THidDeviceController.h"
#include "hid/THidDeviceReadThread.h"
#include "hid/THidPnPInfo.h"
#include "hid/UiThread.h"
