#pragma once

// Ready-made simulated devices: the units of a demonstration run and other
// HID devices to put beside them in tests.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/SimHidPlatform.h"
#include "sim/SimUnitDevice.h"

// A USB string made of one UTF-16 unit per byte of `text`.
std::u16string simText(std::string_view text);

// A keyboard: a HID device that is not the unit. Without `product` it has no
// product string, so it is listed by its vendor and product IDs.
SimDeviceDescription keyboardDevice(std::string path,
                                    std::optional<std::string> product = std::nullopt,
                                    std::uint16_t vendorId = 0x0001,
                                    std::uint16_t productId = 0x00AB);

// The most units a demonstration run attaches.
inline constexpr int MaxDemoUnits = 16;

// The N of "--simulate=N": 0 to MaxDemoUnits in decimal digits; nothing for
// any other text.
std::optional<int> demoUnitCount(std::string_view text);

// Attaches `count` units that answer like a full-speed USB device (about
// 2 ms per reply), with distinct serial numbers and some settings filled in.
std::vector<std::unique_ptr<SimUnitDevice>> attachDemoUnits(SimHidPlatform& platform, int count);

// Lets the values of each unit wander (UnitWander, seeded by its place in
// `units`), so a run for people to watch shows living traces; units that
// tests attach stay still.
void startWandering(const std::vector<std::unique_ptr<SimUnitDevice>>& units);
