#include "hid/THidDeviceController.h"

#include <algorithm>
#include <exception>

#include "hid/EControllerError.h"
#include "hid/THidDevice.h"
#include "hid/UiThread.h"

struct THidDeviceController::Alive {};

namespace {

constexpr std::int32_t initialNotification = -1;
constexpr std::int32_t platformNotification = 0;

}  // namespace

template <typename Call>
auto THidDeviceController::ShowToCallback(THidDevice* HidDev, const Call& call) {
    HidDev->FIsEnumerated = true;
    struct Unmark {
        THidDeviceController& self;
        THidDevice* dev;
        ~Unmark() {
            // The handler may have destroyed the device; then it is no longer listed.
            if (self.IsListed(dev)) {
                dev->FIsEnumerated = false;
                if (!dev->FIsCheckedOut) {
                    dev->CloseAllChannels();
                }
            }
        }
    } unmark{*this, HidDev};
    return call();
}

THidDeviceController::THidDeviceController(HidPlatform& Platform, UiThread& Ui)
    : FPlatform(Platform),
      FUiThread(Ui),
      FHidGuid(StandardHidGuid),
      FAlive(std::make_shared<Alive>()) {
    if (!FPlatform.bound()) {
        return;
    }
    FHidGuid = FPlatform.hidGuid();
    const std::weak_ptr<Alive> alive = FAlive;
    FPlatform.startWatching([this, alive, &Ui] {
        Ui.post([this, alive] {
            if (!alive.expired()) {
                HandleNotification(platformNotification);
            }
        });
    });
    FWatching = true;
    FUiThread.post([this, alive] {
        if (!alive.expired()) {
            HandleNotification(initialNotification);
        }
    });
}

THidDeviceController::~THidDeviceController() {
    FDeviceChangeEvent = {};
    FDevUnplugEvent = {};
    FEnumerateEvent = {};
    if (FWatching) {
        FPlatform.stopWatching();
    }
    FAlive.reset();
    const std::vector<THidDevice*> list = std::move(FList);
    FList.clear();
    for (THidDevice* dev : list) {
        dev->FMyController = nullptr;
        if (dev->FIsCheckedOut) {
            // The holder still destroys it, but no reader outlives the program.
            dev->StopThread();
            dev->Unplug();
        } else {
            delete dev;
        }
    }
}

std::string THidDeviceController::HidVersion(HidPlatform& Platform) {
    return Platform.hidVersion();
}

// --- notifications and the change pass ---------------------------------------

void THidDeviceController::HandleNotification(std::int32_t LParam) {
    if (FInDeviceChange) {
        return;  // the pass that is running lists everything anew anyway
    }
    FLParam = LParam;
    FInDeviceChange = true;
    struct Clear {
        bool& flag;
        ~Clear() { flag = false; }
    } clear{FInDeviceChange};
    DeviceChange();
}

std::vector<std::unique_ptr<THidDevice>> THidDeviceController::ListPresentDevices() {
    std::vector<std::unique_ptr<THidDevice>> present;
    std::vector<HidInterfaceRecord> records;
    if (!FPlatform.bound() || !FPlatform.listInterfaces(records)) {
        return present;
    }
    for (const HidInterfaceRecord& record : records) {
        try {
            present.push_back(
                std::make_unique<THidDevice>(std::make_unique<THidPnPInfo>(record), this));
        } catch (const EControllerError&) {
            // Not openable or not identifiable now; tried again at the next pass.
        }
    }
    return present;
}

bool THidDeviceController::IsListed(const THidDevice* HidDev) const {
    return std::find(FList.begin(), FList.end(), HidDev) != FList.end();
}

void THidDeviceController::DeviceChange() {
    bool changed = FLParam == initialNotification;
    auto present = ListPresentDevices();
    const auto presentHas = [&](std::uint32_t id) {
        return std::any_of(present.begin(), present.end(),
                           [&](const auto& dev) { return dev && dev->PnPInfo().DeviceID() == id; });
    };

    for (std::size_t i = FList.size(); i-- > 0;) {
        if (i >= FList.size()) {
            continue;  // a handler shortened the list
        }
        THidDevice* dev = FList[i];
        if (dev->FIsPluggedIn && presentHas(dev->PnPInfo().DeviceID())) {
            continue;
        }
        dev->Unplug();
        ShowToCallback(dev, [&] {
            if (FRemovalEvent) {
                FRemovalEvent(dev);
            }
        });
        auto it = std::find(FList.begin(), FList.end(), dev);
        if (it != FList.end() && !dev->FIsCheckedOut) {
            FList.erase(it);
            dev->FMyController = nullptr;
            delete dev;
        }
        changed = true;
    }

    for (auto& dev : present) {
        const std::uint32_t id = dev->PnPInfo().DeviceID();
        const bool known = std::any_of(FList.begin(), FList.end(), [&](const THidDevice* listed) {
            return listed->FIsPluggedIn && listed->PnPInfo().DeviceID() == id;
        });
        if (known) {
            dev->FMyController = nullptr;
            dev.reset();
        }
    }

    for (auto& fresh : present) {
        if (!fresh) {
            continue;
        }
        THidDevice* dev = fresh.release();
        FList.push_back(dev);
        changed = true;
        ShowToCallback(dev, [&] {
            if (FArrivalEvent) {
                FArrivalEvent(dev);
            }
        });
    }

    Recount();
    if (changed && FDeviceChangeEvent) {
        FDeviceChangeEvent(this);
    }
}

void THidDeviceController::Recount() {
    std::int32_t checkedIn = 0;
    std::int32_t checkedOut = 0;
    std::int32_t unplugged = 0;
    for (const THidDevice* dev : FList) {
        (dev->FIsCheckedOut ? checkedOut : checkedIn) += 1;
        unplugged += dev->FIsPluggedIn ? 0 : 1;
    }
    FNumCheckedInDevices = checkedIn;
    FNumCheckedOutDevices = checkedOut - unplugged;
    FNumUnpluggedDevices = unplugged;
}

// --- enumeration, check-out and counting -------------------------------------

std::int32_t THidDeviceController::Enumerate() {
    std::int32_t count = 0;
    for (std::size_t idx = 0; idx < FList.size(); ++idx) {
        THidDevice* dev = FList[idx];
        if (!dev->FIsPluggedIn) {
            continue;
        }
        ++count;
        if (!FEnumerateEvent) {
            break;
        }
        const THidEnumerateEvent handler = FEnumerateEvent;
        if (!ShowToCallback(dev, [&] { return handler(dev, static_cast<std::int32_t>(idx)); })) {
            break;
        }
    }
    return count;
}

void THidDeviceController::CheckOutAt(THidDevice*& HidDev, std::size_t Idx) {
    THidDevice* dev = FList[Idx];
    dev->FIsCheckedOut = true;
    ++FNumCheckedOutDevices;
    --FNumCheckedInDevices;
    HidDev = dev;
    dev->StartIfReady();
}

template <typename Test>
bool THidDeviceController::CheckOutWhere(THidDevice*& HidDev, const Test& test) {
    HidDev = nullptr;
    for (std::size_t idx = 0; idx < FList.size(); ++idx) {
        if (!FList[idx]->FIsCheckedOut && test(FList[idx])) {
            CheckOutAt(HidDev, idx);
            return true;
        }
    }
    return false;
}

template <typename Test>
std::int32_t THidDeviceController::CountWhere(const Test& test) {
    std::int32_t count = 0;
    for (std::size_t idx = 0; idx < FList.size(); ++idx) {
        if (FList[idx]->FIsPluggedIn && test(FList[idx])) {
            ++count;
        }
    }
    return count;
}

namespace {

bool sameId(const THidDevice* dev, std::int32_t Vid, std::int32_t Pid) {
    return dev->Attributes().VendorID == Vid && (dev->Attributes().ProductID == Pid || Pid == -1);
}

}  // namespace

bool THidDeviceController::CheckOutByIndex(THidDevice*& HidDev, std::int32_t Idx) {
    HidDev = nullptr;
    if (Idx < 0 || static_cast<std::size_t>(Idx) >= FList.size() ||
        FList[static_cast<std::size_t>(Idx)]->FIsCheckedOut) {
        return false;
    }
    CheckOutAt(HidDev, static_cast<std::size_t>(Idx));
    return true;
}

bool THidDeviceController::CheckOut(THidDevice*& HidDev) {
    return CheckOutWhere(HidDev, [](THidDevice*) { return true; });
}

bool THidDeviceController::CheckOutByID(THidDevice*& HidDev, std::int32_t Vid, std::int32_t Pid) {
    return CheckOutWhere(HidDev, [&](THidDevice* dev) { return sameId(dev, Vid, Pid); });
}

bool THidDeviceController::CheckOutByProductName(THidDevice*& HidDev,
                                                 const std::u16string& ProductName) {
    HidDev = nullptr;
    return !ProductName.empty() && CheckOutWhere(HidDev, [&](THidDevice* dev) {
        return dev->ProductName() == ProductName;
    });
}

bool THidDeviceController::CheckOutByVendorName(THidDevice*& HidDev,
                                                const std::u16string& VendorName) {
    HidDev = nullptr;
    return !VendorName.empty() &&
           CheckOutWhere(HidDev, [&](THidDevice* dev) { return dev->VendorName() == VendorName; });
}

bool THidDeviceController::CheckOutByClass(THidDevice*& HidDev, const std::string& ClassName) {
    HidDev = nullptr;
    return !ClassName.empty() && CheckOutWhere(HidDev, [&](THidDevice* dev) {
        return dev->PnPInfo().ClassDescr() == ClassName;
    });
}

bool THidDeviceController::CheckOutByCallback(THidDevice*& HidDev, THidCheckCallback Check) {
    HidDev = nullptr;
    return Check != nullptr && CheckOutWhere(HidDev, [&](THidDevice* dev) {
               return ShowToCallback(dev, [&] { return Check(dev); });
           });
}

std::int32_t THidDeviceController::CountByID(std::int32_t Vid, std::int32_t Pid) {
    return CountWhere([&](THidDevice* dev) { return sameId(dev, Vid, Pid); });
}

std::int32_t THidDeviceController::CountByProductName(const std::u16string& ProductName) {
    return CountWhere([&](THidDevice* dev) { return dev->ProductName() == ProductName; });
}

std::int32_t THidDeviceController::CountByVendorName(const std::u16string& VendorName) {
    return CountWhere([&](THidDevice* dev) { return dev->VendorName() == VendorName; });
}

std::int32_t THidDeviceController::CountByClass(const std::string& ClassName) {
    return CountWhere([&](THidDevice* dev) { return dev->PnPInfo().ClassDescr() == ClassName; });
}

std::int32_t THidDeviceController::CountByCallback(THidCheckCallback Check) {
    if (Check == nullptr) {
        return 0;
    }
    return CountWhere(
        [&](THidDevice* dev) { return ShowToCallback(dev, [&] { return Check(dev); }); });
}

void THidDeviceController::CheckIn(THidDevice*& HidDev) {
    THidDevice* dev = HidDev;
    if (dev == nullptr) {
        return;
    }
    HidDev = nullptr;
    dev->StopThread();
    dev->CloseAllChannels();
    if (!dev->FIsPluggedIn) {
        delete dev;
    } else if (dev->FIsCheckedOut) {
        dev->FIsCheckedOut = false;
        --FNumCheckedOutDevices;
        ++FNumCheckedInDevices;
    }
}

void THidDeviceController::DeviceDestroyed(THidDevice* HidDev, const THidDataEvent& Data,
                                           const THidPlugEvent& Unplug) {
    auto it = std::find(FList.begin(), FList.end(), HidDev);
    if (it == FList.end()) {
        return;
    }
    const std::size_t idx = static_cast<std::size_t>(it - FList.begin());
    if (!HidDev->FIsPluggedIn) {
        FList.erase(it);
        --FNumUnpluggedDevices;
        return;
    }
    const bool wasCheckedOut = HidDev->FIsCheckedOut;
    try {
        auto fresh = std::make_unique<THidDevice>(std::move(HidDev->FPnPInfo), this);
        fresh->setOnData(Data);
        fresh->FUnplug = Unplug;
        fresh->FThreadSleepTime = HidDev->FThreadSleepTime.load();
        FList[idx] = fresh.release();
        if (wasCheckedOut) {
            --FNumCheckedOutDevices;
            ++FNumCheckedInDevices;
        }
    } catch (const std::exception&) {
        // The device went away or cannot be identified any more: its position
        // goes, and the next pass sees it as gone or, if it is back, as new.
        FList.erase(FList.begin() + static_cast<std::ptrdiff_t>(idx));
        --(wasCheckedOut ? FNumCheckedOutDevices : FNumCheckedInDevices);
    }
}

// --- handler assignment ------------------------------------------------------

void THidDeviceController::setOnDeviceChange(const THidNotifyEvent& Handler) {
    if (Handler == FDeviceChangeEvent) {
        return;
    }
    FDeviceChangeEvent = Handler;
    DeviceChange();
}

template <typename Value, typename Getter, typename Setter>
void THidDeviceController::HandOn(Value& Current, const Value& New, Getter Get, Setter Set) {
    if (New == Current) {
        return;
    }
    const Value old = Current;
    // By position: handing on a data handler may stop a reader, whose pending
    // delivery may change the list.
    for (std::size_t i = 0; i < FList.size(); ++i) {
        if ((FList[i]->*Get)() == old) {
            (FList[i]->*Set)(New);
        }
    }
    Current = New;
}

void THidDeviceController::setOnDeviceData(const THidDataEvent& Handler) {
    HandOn(FDevDataEvent, Handler, &THidDevice::OnData, &THidDevice::setOnData);
}

void THidDeviceController::setOnDeviceDataError(const THidDataErrorEvent& Handler) {
    HandOn(FDevDataErrorEvent, Handler, &THidDevice::OnDataError, &THidDevice::setOnDataError);
}

void THidDeviceController::setOnDeviceUnplug(const THidPlugEvent& Handler) {
    HandOn(FDevUnplugEvent, Handler, &THidDevice::OnUnplug, &THidDevice::setOnUnplug);
}

void THidDeviceController::setDevThreadSleepTime(std::int32_t Milliseconds) {
    // Devices keep their value when it is outside their range.
    HandOn(FDevThreadSleepTime, Milliseconds, &THidDevice::ThreadSleepTime,
           &THidDevice::setThreadSleepTime);
}
