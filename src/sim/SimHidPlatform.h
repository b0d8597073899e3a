#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "hid/TraceLine.h"
#include "hid/platform/HidPlatform.h"

// An input report a simulated device sends, `delay` after the write that caused it.
struct SimInputReport {
    std::vector<std::uint8_t> bytes;  // report ID byte first
    std::chrono::milliseconds delay{0};
};

// Answers one written report (report ID byte first) with zero or more input
// reports. Runs on the writing thread, without any lock of the platform held,
// so it may call back into the platform (unplug, replugAfter, sendInput ...).
using SimResponder =
    std::function<std::vector<SimInputReport>(const std::vector<std::uint8_t>& report)>;

// Everything a simulated HID interface shows to the HID layer.
struct SimDeviceDescription {
    std::string path;
    HidAttributes attributes{12, 0, 0, 0};
    HidCaps caps;  // report lengths count the report ID byte
    std::optional<std::u16string> manufacturer;
    std::optional<std::u16string> product;
    std::optional<std::u16string> serial;
    std::map<std::uint8_t, std::u16string> indexedStrings;  // USB string index 1..255
    std::vector<std::uint16_t> languageIds;                 // string index 0; none when empty
    std::optional<std::vector<std::uint16_t>> physicalDescriptor;
    // Plug-and-play properties of the listing; Class defaults to "HIDClass".
    std::map<std::uint32_t, std::string> textProperties;
    std::map<std::uint32_t, std::vector<std::string>> multiTextProperties;
    std::map<std::uint32_t, std::uint32_t> numberProperties;
    SimResponder responder;
    bool queryOnly = false;       // opens only without read or write access
    bool cannotOpen = false;      // every open fails
    bool attributesFail = false;  // the attributes cannot be read
};

// One report that crossed the link: '>' written to a device, '<' delivered to a reader.
struct SimTranscriptLine {
    std::chrono::steady_clock::duration at;  // since the platform was created
    char direction;
    std::string path;
    std::vector<std::uint8_t> bytes;

    // The line as the program's trace writes it.
    std::string text() const;
};

// Error codes of the simulated platform (Windows numbering).
inline constexpr std::uint32_t SimErrorFileNotFound = 2;
inline constexpr std::uint32_t SimErrorAccessDenied = 5;
inline constexpr std::uint32_t SimErrorGenFailure = 31;
inline constexpr std::uint32_t SimErrorInvalidParameter = 87;
inline constexpr std::uint32_t SimErrorInvalidFunction = 1;
inline constexpr std::uint32_t SimErrorDeviceNotConnected = 1167;

// A HidPlatform of simulated devices, for tests and for running the program
// without hardware. Thread-safe. Handles are never reused. Each channel that
// can read keeps its own queue of input reports; a queued report becomes
// readable at its due time, and a waiting reader is woken then without any
// thread of the platform's own. One scheduler thread runs timed plug and
// unplug events only.
class SimHidPlatform : public HidPlatform {
public:
    SimHidPlatform();
    ~SimHidPlatform() override;

    // --- what tests do -------------------------------------------------------
    // Before the controller is created: false makes the platform unbound.
    void setBound(bool bound);
    void setHidVersion(std::string version);
    // Attaches a device (a new device-instance id) and raises the change signal.
    std::uint32_t plug(SimDeviceDescription desc);
    // Detaches the device at `path`: its channels fail from now on and
    // outstanding reads end without data. Raises the change signal.
    bool unplug(const std::string& path);
    // Detaches now and attaches the same device again after `delay`.
    bool replugAfter(const std::string& path, std::chrono::milliseconds delay);
    void schedulePlug(SimDeviceDescription desc, std::chrono::milliseconds delay);
    void scheduleUnplug(const std::string& path, std::chrono::milliseconds delay);
    // Raises the change signal without any change.
    void notifyChange();
    // The next `count` writes to `path` fail with `code`.
    void failWrites(const std::string& path, std::uint32_t code, int count);
    // errorMessage(code) answers `text` from now on, e.g. one that spans lines
    // as some system messages do.
    void setErrorMessage(std::uint32_t code, std::string text);
    // Queues an input report on every open reading channel of `path`.
    bool sendInput(const std::string& path, std::vector<std::uint8_t> report,
                   std::chrono::milliseconds delay = std::chrono::milliseconds(0));
    bool isPlugged(const std::string& path) const;
    // Open channels of the device at `path`.
    int openChannels(const std::string& path) const;
    // The most recent lines (up to a million), oldest first.
    std::vector<SimTranscriptLine> transcript() const;
    void clearTranscript();
    // Called for each transcript line, on the thread that moved the report.
    void setTranscriptObserver(std::function<void(const SimTranscriptLine&)> observer);

    // --- HidPlatform ---------------------------------------------------------
    bool bound() const override;
    HidGuid hidGuid() const override;
    bool listInterfaces(std::vector<HidInterfaceRecord>& out) override;
    std::string hidVersion() const override;
    void startWatching(std::function<void()> changed) override;
    void stopWatching() override;
    HidHandle open(const std::string& devicePath, HidAccess access) override;
    void close(HidHandle handle) override;
    bool getAttributes(HidHandle handle, HidAttributes& attributes) override;
    void* getPreparsedData(HidHandle handle) override;
    void freePreparsedData(void* preparsed) override;
    std::int32_t getCaps(void* preparsed, HidCaps& caps) override;
    bool getManufacturerString(HidHandle handle, void* buffer, std::uint32_t bufferBytes) override;
    bool getProductString(HidHandle handle, void* buffer, std::uint32_t bufferBytes) override;
    bool getSerialNumberString(HidHandle handle, void* buffer, std::uint32_t bufferBytes) override;
    bool getIndexedString(HidHandle handle, std::uint32_t index, void* buffer,
                          std::uint32_t bufferBytes) override;
    bool getNumInputBuffers(HidHandle handle, std::uint32_t& count) override;
    bool setNumInputBuffers(HidHandle handle, std::uint32_t count) override;
    bool getPhysicalDescriptor(HidHandle handle, void* buffer, std::uint32_t bufferBytes) override;
    bool getConfiguration(HidHandle handle, HidConfiguration& configuration) override;
    bool setConfiguration(HidHandle handle, const HidConfiguration& configuration) override;
    bool flushQueue(HidHandle handle) override;
    bool getFeature(HidHandle handle, void* report, std::uint32_t size) override;
    bool setFeature(HidHandle handle, const void* report, std::uint32_t size) override;
    bool getInputReport(HidHandle handle, void* report, std::uint32_t size) override;
    bool setOutputReport(HidHandle handle, const void* report, std::uint32_t size) override;
    bool deviceIoControl(HidHandle handle, std::uint32_t ioControlCode, const void* inBuffer,
                         std::uint32_t inSize, void* outBuffer, std::uint32_t outSize,
                         std::uint32_t& bytesReturned) override;
    bool write(HidHandle handle, const void* report, std::uint32_t toWrite,
               std::uint32_t& written) override;
    bool read(HidHandle handle, void* report, std::uint32_t toRead,
              std::uint32_t& bytesRead) override;
    bool startRead(HidHandle handle, void* buffer, std::uint32_t toRead) override;
    bool startWrite(HidHandle handle, const void* buffer, std::uint32_t toWrite) override;
    HidWaitResult wait(HidHandle handle, std::uint32_t milliseconds) override;
    std::uint32_t transferResult(HidHandle handle) override;
    bool cancel(HidHandle handle) override;
    void interruptWait(HidHandle handle) override;
    std::uint32_t lastError() const override;
    std::string errorMessage(std::uint32_t code) const override;
    bool languageName(std::uint16_t languageId, std::u16string& name) const override;

private:
    struct Device;
    struct Channel;
    using Clock = std::chrono::steady_clock;

    std::shared_ptr<Channel> channel(HidHandle handle) const;
    std::shared_ptr<Channel> liveChannel(HidHandle handle, bool needReadWrite) const;
    std::shared_ptr<Device> device(const std::string& path) const;
    bool copyString(HidHandle handle, std::optional<std::u16string> SimDeviceDescription::*field,
                    void* buffer, std::uint32_t bufferBytes);
    std::shared_ptr<Channel> queryChannel(HidHandle handle) const;
    // Runs `action` on the live channel under the lock; false when there is none.
    template <typename Action>
    bool onLiveChannel(HidHandle handle, bool needReadWrite, const Action& action);
    bool sendReport(HidHandle handle, HidAccess access, const void* report, std::uint32_t size);
    void queueInput(const Device& device, const std::vector<std::uint8_t>& report,
                    Clock::time_point due);
    bool takeDueReport(Channel& channel, std::vector<std::uint8_t>& report);
    // Waits under `lock` for a change of the channel, at most until `until` or
    // until its first queued report is due, whichever comes first.
    void waitForInput(Channel& channel, std::unique_lock<std::mutex>& lock,
                      Clock::time_point until);
    // Appends a line under the held lock; the caller passes it to the observer.
    SimTranscriptLine record(char direction, const std::string& path,
                             const std::vector<std::uint8_t>& bytes);
    void observe(const SimTranscriptLine& line);
    void raiseChange();
    void schedule(Clock::time_point at, std::function<void()> action);
    void runScheduler();

    const Clock::time_point start_ = Clock::now();
    mutable std::mutex mutex_;
    bool bound_ = true;
    std::string hidVersion_;
    std::uint32_t nextDeviceId_ = 1;
    HidHandle nextHandle_ = 1;
    std::vector<std::shared_ptr<Device>> devices_;  // plugged in, in plug order
    std::map<HidHandle, std::shared_ptr<Channel>> channels_;
    std::deque<SimTranscriptLine> transcript_;
    std::map<std::uint32_t, std::string> errorMessages_;
    std::shared_ptr<const std::function<void(const SimTranscriptLine&)>> observer_;
    // How much before its due time a delayed report counts as due: the
    // host's usual lateness in ending a timed wait, learnt from the waits
    // themselves. A real unit's reply wakes its reader at once; without this a
    // virtual unit's latency would come out longer than set, by the timer's
    // lateness (tens of microseconds on a virtual machine), on every reply.
    Clock::duration wakeLead_{};

    std::mutex watchMutex_;
    std::function<void()> changed_;

    std::mutex schedulerMutex_;
    std::condition_variable schedulerWake_;
    std::multimap<Clock::time_point, std::function<void()>> events_;
    bool stopScheduler_ = false;
    std::thread scheduler_;
};
