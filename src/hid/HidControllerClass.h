#pragma once

// The HID layer: controller, device objects and their reader threads.
#include "EControllerError.h"
#include "HidTypes.h"
#include "THidDevice.h"
#include "THidDeviceController.h"
#include "THidDeviceReadThread.h"
#include "THidPnPInfo.h"
#include "UiThread.h"
