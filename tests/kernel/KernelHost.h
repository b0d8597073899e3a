#pragma once

// The tool's process in the kernel test guest: the HID layer with the Linux
// backend, talking to the virtual unit through the kernel's HID core, hidraw
// and uhid. It starts the unit's process, runs the scenarios in order and
// prints one line per scenario and the round-trip figures. The guest's init
// turns its exit status into the verdict, so that a sanitizer's report, which
// changes the status, fails the run too.

#include <sched.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ManualUiThread.h"
#include "NodeWatch.h"
#include "ScenarioLog.h"
#include "UnitProcess.h"
#include "hid/HidControllerClass.h"

class KernelHost {
public:
    explicit KernelHost(const std::string& unitProgram);
    ~KernelHost();
    KernelHost(const KernelHost&) = delete;
    KernelHost& operator=(const KernelHost&) = delete;

    // Runs every scenario; true when all of them passed and the unit's
    // process ended well.
    bool run();

private:
    using Report = std::array<std::uint8_t, 65>;

    // Holds this process and the unit's on the first processor while it lives.
    class OneProcessor {
    public:
        explicit OneProcessor(KernelHost& host);
        ~OneProcessor();
        OneProcessor(const OneProcessor&) = delete;
        OneProcessor& operator=(const OneProcessor&) = delete;

    private:
        pid_t unit_;
        cpu_set_t all_;
    };

    struct Reply {
        THidDevice* device = nullptr;
        std::uint8_t reportId = 0;
        std::uint16_t size = 0;
        std::vector<std::uint8_t> data;  // the bytes after the report ID
    };
    // What the controller told, in order. `path` and the identity are taken
    // during the call, while the device may be asked.
    struct Event {
        enum Kind { Arrival, Removal, Unplug, Change } kind = Change;
        THidDevice* device = nullptr;
        std::string path;
        std::uint32_t deviceId = 0;
        std::u16string product;
        std::u16string vendor;
        std::u16string serial;
        std::vector<std::u16string> languages;
        HidAttributes attributes;
        HidCaps caps;
    };

    // Scenarios; each returns whether it passed.
    bool startDevices();
    bool listDevices();
    bool matchUnit();
    bool exchangeReports();
    bool writeAndReadGsmNumbers();
    bool readMemory();
    bool exchangeNumberedReports();
    bool timeRoundTrips();
    bool timeMemoryReads();
    bool unplugCheckedOutUnit();

    bool scenario(const char* name, std::chrono::seconds limit, bool (KernelHost::*run)()) {
        return log_.scenario(name, limit, [&] { return (this->*run)(); });
    }
    void expect(bool holds, const std::string& what) { log_.expect(holds, what); }
    // Writes `report` to the current device and runs the user-interface
    // thread until the next reply has been handled; null when none came.
    const Reply* exchange(const Report& report);
    // The same with `device`, which writes its output report length of `report`.
    const Reply* exchange(THidDevice* device, const Report& report);
    // Reads the 128 memory packets from the current device into `image`.
    bool readMemoryPackets(std::vector<std::uint8_t>& image);
    std::size_t count(Event::Kind kind, const THidDevice* device) const;
    const Event* lastArrival() const;
    // Checks out the device at list position `Idx` with this program's
    // handlers and makes it the current device.
    bool checkOut(std::int32_t Idx);
    // The position of the listed, plugged-in device at `path`; -1 when none.
    std::int32_t indexOf(const std::string& path) const;
    // Checks out the listed, plugged-in device at `path`, as checkOut does.
    bool checkOutUnit(const std::string& path);
    void checkInCurrent();

    // Handlers, in the roles the main window gives them.
    void HidCtlArrival(THidDevice* HidDev);
    void HidCtlRemoval(THidDevice* HidDev);
    void HidCtlDeviceChange(THidDeviceController* Sender);
    void HidCtlDeviceUnplug(THidDevice* HidDev);
    bool HidCtlEnumerate(THidDevice* HidDev, std::int32_t Idx);
    void ShowRead(THidDevice* HidDev, std::uint8_t ReportID, const std::uint8_t* Data,
                  std::uint16_t Size);
    void HidCtlDeviceDataError(THidDevice* HidDev, std::uint32_t Error);

    Event describe(Event::Kind kind, THidDevice* HidDev) const;

    ScenarioLog log_;
    NodeWatch nodes_;
    UnitProcess unit_;
    ManualUiThread ui_;
    std::unique_ptr<HidPlatform> platform_;
    std::unique_ptr<THidDeviceController> controller_;
    THidDevice* current_ = nullptr;
    std::string unitPath_;
    std::string otherPath_;
    std::vector<Event> events_;
    std::vector<Reply> replies_;
    std::vector<std::uint32_t> errors_;
    std::vector<std::string> matched_;
};
