#include "DesktopHost.h"

#include <grp.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>

#include "hid/platform/SystemHidPlatform.h"
#include "hid/platform/linux/DeviceNodeWatcher.h"

namespace {

using namespace std::chrono_literals;

constexpr auto CommandTimeout = 5s;
constexpr auto NodeTimeout = 10s;
constexpr auto TickPeriod = 100ms;
// A tick is late by the user-interface thread's work before it, which the
// emulation makes some ten times slower than a desktop does, and by whatever
// else stopped that thread. The second part stays within this.
constexpr auto LongestTickWait = 50ms;

using Report = std::array<std::uint8_t, 65>;

bool isUnit(const std::u16string& name) {
    return name.find(u"Brevalon 8") != std::u16string::npos;
}

double millis(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The processor time the calling thread has used.
std::chrono::nanoseconds threadTime() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

}  // namespace

DesktopHost::DesktopHost(const std::string& unitProgram, uid_t uid, gid_t gid)
    : unit_(unitProgram) {
    dropped_ = unit_.running() && setgroups(1, &gid) == 0 && setgid(gid) == 0 && setuid(uid) == 0 &&
               geteuid() == uid;
}

DesktopHost::~DesktopHost() {
    if (ticker_.joinable()) {
        {
            std::lock_guard lock(tickMutex_);
            stopTicks_ = true;
        }
        tickStop_.notify_all();
        ticker_.join();
    }
    current_ = nullptr;
    for (THidDevice* device : held_) {
        delete device;
    }
    held_.clear();
    controller_.reset();
}

bool DesktopHost::run() {
    bool passed = scenario("desktop-start", 30s, &DesktopHost::startController);
    if (passed) {
        passed = scenario("desktop-unit-late-permission", 60s,
                          &DesktopHost::unitArrivesWithLatePermission) &&
                 passed;
        passed = scenario("desktop-keyboard-while-polled", 60s,
                          &DesktopHost::keyboardArrivesWhilePolled) &&
                 passed;
    }
    log_.arm("desktop shutdown", 30s);
    const int unitStatus = unit_.finish();
    expect(unitStatus == 0, "the unit's process ends with 0: " + std::to_string(unitStatus));
    log_.summary("desktop scenarios");
    return passed && unitStatus == 0;
}

bool DesktopHost::pumpFor(Clock::duration duration, const std::function<bool()>& done) {
    return ui_.pumpUntil(
        done ? done : [] { return false; },
        std::chrono::duration_cast<std::chrono::milliseconds>(duration));
}

std::string DesktopHost::create(const std::string& device) {
    const std::string created = unit_.command("create " + device, CommandTimeout);
    expect(created == "ok", "the " + device + " is created through /dev/uhid: " + created);
    // The ticks go on while the node is awaited.
    std::string path;
    pumpFor(NodeTimeout, [&] {
        path = path.empty() ? nodes_.nextNode(0ms) : path;
        return !path.empty();
    });
    expect(!path.empty(), "the " + device + "'s hidraw node appears");
    return path;
}

void DesktopHost::restartTickGaps() {
    lastTick_.reset();
    longestGap_ = {};
    longestGapWork_ = {};
    longestWait_ = {};
}

void DesktopHost::checkTickGap(const char* during) {
    std::printf(
        "kernel-test: figure longest gap between two ticks during %s: %.0f ms, of which the "
        "user-interface thread worked %.0f ms; longest wait beyond the period and the work: "
        "%.0f ms\n",
        during, millis(longestGap_), millis(longestGapWork_), millis(longestWait_));
    expect(longestWait_ <= LongestTickWait,
           "no tick waits more than 50 ms beyond the period and the work before it: " +
               std::to_string(millis(longestWait_)));
}

bool DesktopHost::listed(const std::string& path) const {
    const auto& devices = controller_->Devices();
    return std::any_of(devices.begin(), devices.end(), [&](const THidDevice* device) {
        return device->IsPluggedIn() && device->PnPInfo().DevicePath() == path;
    });
}

bool DesktopHost::listedReadWrite(const std::string& path) const {
    const auto& devices = controller_->Devices();
    return std::any_of(devices.begin(), devices.end(), [&](const THidDevice* device) {
        return device->IsPluggedIn() && device->PnPInfo().DevicePath() == path &&
               device->HasReadWriteAccess();
    });
}

// --- scenarios -----------------------------------------------------------------

bool DesktopHost::startController() {
    expect(dropped_, "the HID layer runs as an unprivileged user of the unit's group");
    expect(DeviceNodeWatcher::systemSource() == DeviceNodeWatcher::Source::Udev,
           "a udev daemon runs: devices are heard through its monitor, not by inotify");
    platform_ = createSystemHidPlatform();
    controller_ = std::make_unique<THidDeviceController>(*platform_, ui_);
    controller_->setOnArrival(THidPlugEvent::bind(this, &DesktopHost::HidCtlArrival));
    controller_->setOnRemoval(THidPlugEvent::bind(this, &DesktopHost::HidCtlRemoval));
    controller_->setOnEnumerate(THidEnumerateEvent::bind(this, &DesktopHost::HidCtlEnumerate));
    controller_->setOnDeviceChange(THidNotifyEvent::bind(this, &DesktopHost::HidCtlDeviceChange));
    ui_.pump();
    expect(controller_->Devices().empty(), "no HID device is present yet");
    ticker_ = std::thread([this] {
        std::unique_lock lock(tickMutex_);
        for (auto next = Clock::now() + TickPeriod;
             !tickStop_.wait_until(lock, next, [this] { return stopTicks_; }); next += TickPeriod) {
            ui_.post([this] { tick(); });
        }
    });
    return dropped_;
}

bool DesktopHost::unitArrivesWithLatePermission() {
    restartTickGaps();
    unitPath_ = create("unit");
    struct stat node {};
    const bool rootOnly = stat(unitPath_.c_str(), &node) == 0 && node.st_gid == 0 &&
                          (node.st_mode & (S_IRWXG | S_IRWXO)) == 0;
    expect(rootOnly, "the unit's node appears root-only, before udev's rule has run");
    // Its arrival, heard while udev still works on the unit, makes a change
    // pass that finds the unit's node as it is then.
    keyboardPath_ = create("keyboard");
    const bool connected = pumpFor(15s, [&] {
        return current_ != nullptr && current_->HasReader() && statusReplies_ > 0 &&
               listed(keyboardPath_);
    });
    pumpFor(1s);
    expect(connected, "the unit is connected, polled and answers");
    expect(current_ != nullptr && current_->PnPInfo().DevicePath() == unitPath_ &&
               listedReadWrite(unitPath_),
           "the unit's node is read and written through the group's permission");
    expect(firmwareReplies_ > 0, "the unit answers \"GF\" on connection");
    expect(listed(keyboardPath_) && !listedReadWrite(keyboardPath_),
           "the keyboard is listed, for queries only");
    checkTickGap("the unit's arrival with its permission 300 ms late, and a keyboard's");
    return connected;
}

bool DesktopHost::keyboardArrivesWhilePolled() {
    expect(current_ != nullptr, "the unit is connected");
    arrivals_.clear();
    removals_.clear();
    const std::string destroyed = unit_.command("destroy keyboard", CommandTimeout);
    expect(destroyed == "ok", "the keyboard is destroyed: " + destroyed);
    const bool removed = pumpFor(NodeTimeout, [&] {
        return std::count(removals_.begin(), removals_.end(), keyboardPath_) > 0;
    });
    expect(removed, "the keyboard's removal is heard");

    restartTickGaps();
    statusReplies_ = 0;
    keyboardPath_ = create("keyboard");
    const bool arrived = pumpFor(NodeTimeout, [&] {
        return std::count(arrivals_.begin(), arrivals_.end(), keyboardPath_) > 0;
    });
    const int repliesAtArrival = statusReplies_;
    pumpFor(1s);
    expect(arrived, "the keyboard's arrival is heard");
    expect(listed(keyboardPath_) && !listedReadWrite(keyboardPath_),
           "the keyboard is listed, for queries only");
    expect(current_ != nullptr && statusReplies_ > repliesAtArrival,
           "the unit is still polled and answers after the keyboard's arrival");
    checkTickGap("a keyboard's arrival while the unit is polled");
    return arrived;
}

// --- the main window's roles ---------------------------------------------------

void DesktopHost::tick() {
    const auto now = Clock::now();
    const auto worked = threadTime();
    if (lastTick_) {
        const Clock::duration gap = now - *lastTick_;
        const Clock::duration work =
            std::chrono::duration_cast<Clock::duration>(worked - lastTickWork_);
        if (gap > longestGap_) {
            longestGap_ = gap;
            longestGapWork_ = work;
        }
        longestWait_ = std::max(longestWait_, gap - TickPeriod - work);
    }
    lastTick_ = now;
    lastTickWork_ = worked;
    if (current_ != nullptr) {
        const Report status{0, 'G', 'S'};
        std::uint32_t written = 0;
        current_->WriteFile(status.data(), current_->Caps().OutputReportByteLength, written);
    }
}

void DesktopHost::HidCtlArrival(THidDevice* HidDev) {
    // The name as the main window makes it for its history line.
    HidDev->ProductName();
    HidDev->SerialNumber();
    arrivals_.push_back(HidDev->PnPInfo().DevicePath());
}

void DesktopHost::HidCtlRemoval(THidDevice* HidDev) {
    removals_.push_back(HidDev->PnPInfo().DevicePath());
}

void DesktopHost::HidCtlDeviceChange(THidDeviceController*) {
    current_ = nullptr;
    for (THidDevice* device : held_) {
        delete device;
    }
    held_.clear();
    controller_->Enumerate();
}

bool DesktopHost::HidCtlEnumerate(THidDevice* HidDev, std::int32_t Idx) {
    const std::u16string name = HidDev->ProductName();
    HidDev->SerialNumber();
    THidDevice* device = nullptr;
    controller_->CheckOutByIndex(device, Idx);
    held_.push_back(device);
    if (device != nullptr && isUnit(name) && device->HasReadWriteAccess()) {
        current_ = device;
        device->setOnData(THidDataEvent::bind(this, &DesktopHost::ShowRead));
        const Report firmware{0, 'G', 'F'};
        std::uint32_t written = 0;
        device->WriteFile(firmware.data(), device->Caps().OutputReportByteLength, written);
    }
    return true;
}

void DesktopHost::ShowRead(THidDevice*, std::uint8_t, const std::uint8_t* Data,
                           std::uint16_t Size) {
    if (Size >= 2 && Data[0] == 'G' && Data[1] == 'S') {
        ++statusReplies_;
    } else if (Size >= 2 && Data[0] == 'G' && Data[1] == 'F') {
        ++firmwareReplies_;
    }
}
