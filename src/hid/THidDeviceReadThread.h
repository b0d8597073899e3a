#pragma once

#include <cstdint>
#include <memory>
#include <thread>

class THidDevice;

// The reader of one checked-out device: reads input reports on its own thread
// and hands each one, or each read that could not be started, to the
// device's handler on the user-interface thread, waiting until the handler
// has returned. Owned and freed by its device.
class THidDeviceReadThread {
public:
    // Created suspended; throws EControllerError without a device.
    explicit THidDeviceReadThread(THidDevice* Device);
    // Stops and waits for a started reader.
    ~THidDeviceReadThread();
    THidDeviceReadThread(const THidDeviceReadThread&) = delete;
    THidDeviceReadThread& operator=(const THidDeviceReadThread&) = delete;

    void Start();
    // Requests the stop; a waiting reader wakes at once.
    void Terminate();
    // Called on the user-interface thread: waits until the body has ended,
    // meanwhile running the delivery the reader has pending.
    void WaitFor();
    bool Terminated() const;

    THidDevice* Device() const { return FDevice; }

private:
    struct HandOff;
    enum class Delivery { Data, Error };

    void Execute();
    void Deliver(Delivery Kind);
    void PauseAfterFailedStart();

    THidDevice* FDevice;
    // Used by the reader thread only; each delivery copies them into the hand-off.
    std::uint32_t FErr = 0;
    std::uint32_t FNumBytesRead = 0;
    // Shared with the tasks posted to the user-interface thread, which may
    // run after the reader is gone.
    std::shared_ptr<HandOff> FHandOff;
    std::thread FThread;
};
