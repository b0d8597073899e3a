#pragma once

// The tool's process in the kernel test guest as on a desktop: a udev daemon
// runs and applies the rules, and the HID layer runs as a user whose group a
// rule gives the unit's node, some tenths of a second after the node appears.
// A keyboard's node stays root's. It handles the controller's events as the
// main window does, and a tick every 100 ms polls the unit's status; the
// scenarios measure the gaps between two ticks while devices arrive, and how
// much of each the user-interface thread spent working rather than waiting.

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ManualUiThread.h"
#include "NodeWatch.h"
#include "ScenarioLog.h"
#include "UnitProcess.h"
#include "hid/HidControllerClass.h"

class DesktopHost {
public:
    // Starts the unit's process, which stays root's, then takes `uid`,
    // `gid` and no other group for itself.
    DesktopHost(const std::string& unitProgram, uid_t uid, gid_t gid);
    ~DesktopHost();
    DesktopHost(const DesktopHost&) = delete;
    DesktopHost& operator=(const DesktopHost&) = delete;

    // Runs every scenario; true when all of them passed.
    bool run();

private:
    using Clock = std::chrono::steady_clock;

    bool startController();
    bool unitArrivesWithLatePermission();
    bool keyboardArrivesWhilePolled();

    bool scenario(const char* name, std::chrono::seconds limit, bool (DesktopHost::*run)()) {
        return log_.scenario(name, limit, [&] { return (this->*run)(); });
    }
    void expect(bool holds, const std::string& what) { log_.expect(holds, what); }
    // Runs the user-interface thread for `duration`, or until `done` holds.
    bool pumpFor(Clock::duration duration, const std::function<bool()>& done = nullptr);
    // Creates a device through the unit's process and runs the user-interface
    // thread until its node appears; the node's path, or empty.
    std::string create(const std::string& device);
    // Starts measuring the gaps between ticks afresh.
    void restartTickGaps();
    // Prints the longest gap as a figure and expects no tick to have waited
    // for anything but the user-interface thread's work.
    void checkTickGap(const char* during);
    // Whether a plugged-in device at `path` is listed and may be read and written.
    bool listed(const std::string& path) const;
    bool listedReadWrite(const std::string& path) const;

    // The main window's roles.
    void tick();
    void HidCtlArrival(THidDevice* HidDev);
    void HidCtlRemoval(THidDevice* HidDev);
    void HidCtlDeviceChange(THidDeviceController* Sender);
    bool HidCtlEnumerate(THidDevice* HidDev, std::int32_t Idx);
    void ShowRead(THidDevice* HidDev, std::uint8_t ReportID, const std::uint8_t* Data,
                  std::uint16_t Size);

    ScenarioLog log_;
    NodeWatch nodes_;
    UnitProcess unit_;
    bool dropped_ = false;
    ManualUiThread ui_;
    std::unique_ptr<HidPlatform> platform_;
    std::unique_ptr<THidDeviceController> controller_;
    std::vector<THidDevice*> held_;
    THidDevice* current_ = nullptr;
    std::string unitPath_;
    std::string keyboardPath_;
    std::vector<std::string> arrivals_;
    std::vector<std::string> removals_;
    int statusReplies_ = 0;
    int firmwareReplies_ = 0;
    std::optional<Clock::time_point> lastTick_;
    std::chrono::nanoseconds lastTickWork_{};
    Clock::duration longestGap_{};
    // The user-interface thread's processor time within the longest gap.
    Clock::duration longestGapWork_{};
    // The most a tick came later than the period and the work before it.
    Clock::duration longestWait_{};

    std::mutex tickMutex_;
    std::condition_variable tickStop_;
    bool stopTicks_ = false;
    std::thread ticker_;
};
