#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "profile/UnitExchange.h"

class HidPlatform;
class TTraceWriter;
class THidDevice;
class THidDeviceController;
class UiThread;

namespace protocol {
class CommandReport;
}

// A unit present on the platform.
struct UnitListing {
    QString serial;
    QString product;
    QString path;
    // Whether this user may send it commands and read its replies.
    bool mayOpen = false;
    // As the window program names a device: "Brevalon 8 (Serial=BRV8-000001)".
    QString displayName() const;
};

// brevalon-cli's link to the units: the HID controller, the list of units
// present, and an exchange with the one that is opened. Replies and the
// unit's leaving reach the exchange through the event loop of the thread that
// made this object, the one its waits run.
class UnitConnection {
public:
    // `trace`, when not null, gets every report sent and received.
    UnitConnection(HidPlatform& platform, UiThread& uiThread, TTraceWriter* trace);
    ~UnitConnection();
    UnitConnection(const UnitConnection&) = delete;
    UnitConnection& operator=(const UnitConnection&) = delete;

    // Every unit present, in the platform's order.
    const std::vector<UnitListing>& units() const { return units_; }
    // Opens units()[index]; false when it may not be opened. A unit that
    // left is let go at the next device change, and may then be opened anew.
    bool open(std::size_t index);
    // Whether a unit is open and still attached.
    bool isOpen() const;
    // Called after each device change, once units() is listed anew.
    void setOnChange(std::function<void()> changed) { changed_ = std::move(changed); }
    // The exchange with the opened unit.
    profile::UnitExchange& exchange() { return exchange_; }
    // Ends a wait of the exchange that runs, as if the unit had left.
    void cancel() { exchange_.cancel(); }

private:
    void deviceChange(THidDeviceController* sender);
    bool listDevice(THidDevice* device, std::int32_t index);
    void showRead(THidDevice* device, std::uint8_t reportId, const std::uint8_t* data,
                  std::uint16_t size);
    void unplugged(THidDevice* device);
    bool send(const protocol::CommandReport& report);

    TTraceWriter* trace_;
    std::unique_ptr<THidDeviceController> controller_;
    std::vector<UnitListing> units_;
    // The controller's index of each unit listed.
    std::vector<std::int32_t> unitIndices_;
    THidDevice* device_ = nullptr;
    std::function<void()> changed_;
    profile::EventLoopExchange exchange_;
};
