#include "hid/THidDeviceReadThread.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

#include "hid/EControllerError.h"
#include "hid/THidDevice.h"
#include "hid/UiThread.h"

namespace {

// Every delivery has at least 64 readable bytes after the report ID, whatever
// the device's report length, so a handler reading a full reply never runs
// past the buffer.
constexpr std::size_t minReportBuffer = 65;

THidDevice* requireDevice(THidDevice* Device) {
    if (Device == nullptr) {
        throw EControllerError("Direct creation of a THidDeviceReadThread object is not allowed");
    }
    return Device;
}

}  // namespace

// The one hand-off between the reader and the user-interface thread.
struct THidDeviceReadThread::HandOff {
    THidDevice* device;
    UiThread& ui;
    std::mutex mutex;
    std::condition_variable changed;
    std::atomic<bool> terminated{false};
    bool ended = false;
    // A delivery posted to the user-interface thread and not yet begun.
    std::optional<Delivery> pending;
    bool running = false;  // a delivery is being made on the user-interface thread
    bool released = true;  // the reader may go on
    std::vector<std::uint8_t> report;
    std::uint32_t readLength = 0;
    std::uint32_t size = 0;
    std::uint32_t error = 0;

    HandOff(THidDevice* dev, UiThread& thread) : device(dev), ui(thread) {}

    // On the user-interface thread: makes the pending delivery, if any.
    void runPending() {
        std::unique_lock lock(mutex);
        if (!pending) {
            return;
        }
        const Delivery kind = *pending;
        pending.reset();
        running = true;
        lock.unlock();
        struct Release {
            HandOff& self;
            ~Release() {
                {
                    std::lock_guard guard(self.mutex);
                    self.running = false;
                    self.released = true;
                }
                self.changed.notify_all();
            }
        } release{*this};
        if (kind == Delivery::Data) {
            if (const THidDataEvent handler = device->OnData()) {
                handler(device, report[0], report.data() + 1, static_cast<std::uint16_t>(size - 1));
            }
        } else if (const THidDataErrorEvent handler = device->OnDataError()) {
            handler(device, error);
        }
    }
};

THidDeviceReadThread::THidDeviceReadThread(THidDevice* Device)
    : FDevice(requireDevice(Device)),
      FHandOff(std::make_shared<HandOff>(Device, Device->FUiThread)) {
    const std::uint16_t length = FDevice->Caps().InputReportByteLength;
    FHandOff->readLength = length;
    FHandOff->report.assign(std::max<std::size_t>(length, minReportBuffer), 0);
}

THidDeviceReadThread::~THidDeviceReadThread() {
    Terminate();
    WaitFor();
}

void THidDeviceReadThread::Start() {
    if (!FThread.joinable()) {
        FThread = std::thread([this] { Execute(); });
    }
}

bool THidDeviceReadThread::Terminated() const {
    return FHandOff->terminated;
}

void THidDeviceReadThread::Terminate() {
    {
        std::lock_guard lock(FHandOff->mutex);
        FHandOff->terminated = true;
    }
    FHandOff->changed.notify_all();
    // Ends the reader's current wait slice early.
    const HidHandle handle = FDevice->FHidOverlappedRead;
    if (handle != InvalidHandle) {
        FDevice->FPlatform.interruptWait(handle);
    }
}

void THidDeviceReadThread::WaitFor() {
    if (!FThread.joinable()) {
        return;
    }
    HandOff& h = *FHandOff;
    std::unique_lock lock(h.mutex);
    while (!h.ended) {
        if (h.pending) {
            lock.unlock();
            h.runPending();
            lock.lock();
            continue;
        }
        if (h.running && !h.released) {
            // Called from inside this reader's own delivery: the reader must
            // not wait for a handler that waits for the reader. It ends
            // without touching the report, which the handler is still reading.
            h.released = true;
            h.changed.notify_all();
        }
        h.changed.wait(lock, [&] { return h.ended || h.pending.has_value(); });
    }
    lock.unlock();
    FThread.join();
}

void THidDeviceReadThread::Deliver(Delivery Kind) {
    HandOff& h = *FHandOff;
    {
        std::lock_guard lock(h.mutex);
        h.pending = Kind;
        h.released = false;
        h.size = FNumBytesRead;
        h.error = FErr;
    }
    // A stop already waiting on the user-interface thread cannot run the
    // posted task; it makes the delivery itself once woken.
    h.changed.notify_all();
    h.ui.post([state = FHandOff] { state->runPending(); });
    std::unique_lock lock(h.mutex);
    h.changed.wait(lock, [&] { return h.released; });
}

void THidDeviceReadThread::PauseAfterFailedStart() {
    HandOff& h = *FHandOff;
    std::unique_lock lock(h.mutex);
    h.changed.wait_for(lock, std::chrono::milliseconds(FDevice->FThreadSleepTime.load()),
                       [&] { return h.terminated.load(); });
}

void THidDeviceReadThread::Execute() {
    HandOff& h = *FHandOff;
    HidPlatform& platform = FDevice->FPlatform;
    HidHandle handle = InvalidHandle;
    bool outstanding = false;
    while (!Terminated()) {
        std::fill(h.report.begin(), h.report.end(), 0);
        if (!FDevice->StartRead(h.report.data(), h.readLength, handle)) {
            FErr = handle == InvalidHandle ? HidErrorInvalidHandle : platform.lastError();
            Deliver(Delivery::Error);
            PauseAfterFailedStart();
            continue;
        }
        outstanding = true;
        while (!Terminated()) {
            const auto slice = static_cast<std::uint32_t>(FDevice->FThreadSleepTime.load());
            if (platform.wait(handle, slice) == HidWaitResult::IoCompletion) {
                outstanding = false;
                break;
            }
        }
        if (Terminated()) {
            continue;
        }
        FNumBytesRead = std::min<std::uint32_t>(platform.transferResult(handle),
                                                static_cast<std::uint32_t>(h.report.size()));
        if (FNumBytesRead > 0) {
            Deliver(Delivery::Data);
        }
    }
    if (outstanding && platform.cancel(handle)) {
        // The buffer stays in use until the cancelled read has been waited for.
        const auto slice = static_cast<std::uint32_t>(FDevice->FThreadSleepTime.load());
        while (platform.wait(handle, slice) == HidWaitResult::Interrupted) {
        }
    }
    {
        std::lock_guard lock(h.mutex);
        h.ended = true;
    }
    h.changed.notify_all();
}
