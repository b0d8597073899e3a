#pragma once

#include <cstdint>
#include <vector>

#include "hid/THidHandler.h"

class THidDevice;
class THidDeviceController;

// The two asynchronous channels of a device.
enum THidOpenExMode : std::uint8_t { omhRead = 0, omhWrite = 1 };

using THidPhysicalDescriptor = std::vector<std::uint16_t>;

// Input report: the report ID split off, `Data` the bytes after it, valid until the handler
// returns.
using THidDataEvent = THidHandler<void(THidDevice* HidDev, std::uint8_t ReportID,
                                       const std::uint8_t* Data, std::uint16_t Size)>;
// A read that could not be started, with the platform's error code.
using THidDataErrorEvent = THidHandler<void(THidDevice* HidDev, std::uint32_t Error)>;
using THidPlugEvent = THidHandler<void(THidDevice* HidDev)>;
// True to go on with the next device, false to stop.
using THidEnumerateEvent = THidHandler<bool(THidDevice* HidDev, std::int32_t Idx)>;
// A plain function: true when the device matches.
using THidCheckCallback = bool (*)(THidDevice* HidDev);
// Sender is the controller.
using THidNotifyEvent = THidHandler<void(THidDeviceController* Sender)>;
