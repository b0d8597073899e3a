#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hid/HidTypes.h"
#include "hid/platform/HidPlatform.h"

class THidDevice;
class UiThread;

// Keeps the list of present HID device interfaces, follows the platform's
// device-change signal, tells its owner about arrivals, removals and each
// change as a whole, and lets users check devices out and in.
//
// All operations run on the user-interface thread. The controller queues one
// initial notification (marker -1) when it is created; it runs when the
// user-interface thread next handles its queue. Setting any handler but
// OnDeviceChange runs no change pass, so the owner sets its handlers right
// after creating the controller and assigns OnDeviceChange when it is ready
// for the first pass.
class THidDeviceController {
public:
    THidDeviceController(HidPlatform& Platform, UiThread& Ui);
    // Stops the readers of devices still checked out and unplugs them; their
    // holders still destroy them.
    ~THidDeviceController();
    THidDeviceController(const THidDeviceController&) = delete;
    THidDeviceController& operator=(const THidDeviceController&) = delete;

    std::int32_t Enumerate();
    bool CheckOutByIndex(THidDevice*& HidDev, std::int32_t Idx);
    bool CheckOut(THidDevice*& HidDev);
    // Pid -1 matches every product.
    bool CheckOutByID(THidDevice*& HidDev, std::int32_t Vid, std::int32_t Pid);
    bool CheckOutByProductName(THidDevice*& HidDev, const std::u16string& ProductName);
    bool CheckOutByVendorName(THidDevice*& HidDev, const std::u16string& VendorName);
    bool CheckOutByClass(THidDevice*& HidDev, const std::string& ClassName);
    bool CheckOutByCallback(THidDevice*& HidDev, THidCheckCallback Check);
    void CheckIn(THidDevice*& HidDev);
    std::int32_t CountByID(std::int32_t Vid, std::int32_t Pid);
    std::int32_t CountByProductName(const std::u16string& ProductName);
    std::int32_t CountByVendorName(const std::u16string& VendorName);
    std::int32_t CountByClass(const std::string& ClassName);
    std::int32_t CountByCallback(THidCheckCallback Check);

    // File version of the platform's HID library; empty when there is none.
    static std::string HidVersion(HidPlatform& Platform);

    const ::HidGuid& HidGuid() const { return FHidGuid; }
    std::int32_t NumCheckedInDevices() const { return FNumCheckedInDevices; }
    std::int32_t NumCheckedOutDevices() const { return FNumCheckedOutDevices; }
    std::int32_t NumUnpluggedDevices() const { return FNumUnpluggedDevices; }
    // The listed devices, in list order.
    const std::vector<THidDevice*>& Devices() const { return FList; }

    std::int32_t DevThreadSleepTime() const { return FDevThreadSleepTime; }
    void setDevThreadSleepTime(std::int32_t Milliseconds);
    const std::string& Version() const { return FVersion; }
    // Kept for the layout's sake; the version itself never changes.
    void setVersion(const std::string& Version) { FDummy = Version; }

    const THidPlugEvent& OnArrival() const { return FArrivalEvent; }
    void setOnArrival(const THidPlugEvent& Handler) { FArrivalEvent = Handler; }
    const THidNotifyEvent& OnDeviceChange() const { return FDeviceChangeEvent; }
    // A different handler is stored and runs a change pass at once.
    void setOnDeviceChange(const THidNotifyEvent& Handler);
    const THidEnumerateEvent& OnEnumerate() const { return FEnumerateEvent; }
    void setOnEnumerate(const THidEnumerateEvent& Handler) { FEnumerateEvent = Handler; }
    // The three device handlers are handed to every listed device that still
    // has the controller's current one.
    const THidDataEvent& OnDeviceData() const { return FDevDataEvent; }
    void setOnDeviceData(const THidDataEvent& Handler);
    const THidDataErrorEvent& OnDeviceDataError() const { return FDevDataErrorEvent; }
    void setOnDeviceDataError(const THidDataErrorEvent& Handler);
    const THidPlugEvent& OnDeviceUnplug() const { return FDevUnplugEvent; }
    void setOnDeviceUnplug(const THidPlugEvent& Handler);
    const THidPlugEvent& OnRemoval() const { return FRemovalEvent; }
    void setOnRemoval(const THidPlugEvent& Handler) { FRemovalEvent = Handler; }

private:
    friend class THidDevice;

    struct Alive;

    void HandleNotification(std::int32_t LParam);
    void DeviceChange();
    // Fresh objects for the present interfaces that can be opened and identified.
    std::vector<std::unique_ptr<THidDevice>> ListPresentDevices();
    bool IsListed(const THidDevice* HidDev) const;
    void Recount();
    // Runs `call` with the device marked enumerated; afterwards closes the
    // channels of a device that is not checked out.
    template <typename Call>
    auto ShowToCallback(THidDevice* HidDev, const Call& call);
    template <typename Test>
    bool CheckOutWhere(THidDevice*& HidDev, const Test& test);
    template <typename Test>
    std::int32_t CountWhere(const Test& test);
    void CheckOutAt(THidDevice*& HidDev, std::size_t Idx);
    // Gives `New` to every listed device whose value equals `Current`, then stores it.
    template <typename Value, typename Getter, typename Setter>
    void HandOn(Value& Current, const Value& New, Getter Get, Setter Set);
    // Called by a device that is being destroyed while it is listed.
    void DeviceDestroyed(THidDevice* HidDev, const THidDataEvent& Data,
                         const THidPlugEvent& Unplug);

    HidPlatform& FPlatform;
    UiThread& FUiThread;
    ::HidGuid FHidGuid;
    THidPlugEvent FArrivalEvent;
    THidNotifyEvent FDeviceChangeEvent;
    THidEnumerateEvent FEnumerateEvent;
    THidDataEvent FDevDataEvent;
    THidDataErrorEvent FDevDataErrorEvent;
    THidPlugEvent FDevUnplugEvent;
    THidPlugEvent FRemovalEvent;
    std::int32_t FDevThreadSleepTime = 100;
    std::string FVersion = "1.0.34";
    std::string FDummy;
    std::vector<THidDevice*> FList;
    std::int32_t FNumCheckedInDevices = 0;
    std::int32_t FNumCheckedOutDevices = 0;
    std::int32_t FNumUnpluggedDevices = 0;
    bool FInDeviceChange = false;
    std::int32_t FLParam = 0;
    bool FWatching = false;
    // Lets queued notifications find out whether the controller still exists.
    std::shared_ptr<Alive> FAlive;
};
