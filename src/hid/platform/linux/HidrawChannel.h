#pragma once

#include <sys/types.h>

#include <cstdint>
#include <mutex>

#include "hid/platform/HidPlatform.h"

// One open channel to a hidraw node. Reports cross it with their report ID
// byte first, also for a device without numbered reports (whose reports the
// kernel hands over without that byte). Every wait polls the node together
// with an eventfd, so close(), cancel() and interrupt() from another thread
// wake a blocked reader at once. The descriptor itself is closed only when the
// last owner lets go, so a reader that is still polling never sees its number
// reused for another file.
class HidrawChannel {
public:
    // Takes ownership of `fd`, opened with O_NONBLOCK; -1 makes a channel that
    // only answers queries. `device` is the node's device number.
    HidrawChannel(int fd, HidAccess access, bool numberedReports, dev_t device);
    ~HidrawChannel();
    HidrawChannel(const HidrawChannel&) = delete;
    HidrawChannel& operator=(const HidrawChannel&) = delete;

    // False when the wake-up eventfd could not be made (errno tells why).
    bool valid() const { return wakeFd_ >= 0; }
    int fd() const { return fd_; }
    dev_t device() const { return device_; }

    // Blocking transfers of the read/write channel. A read waits until a
    // report arrives, the device goes away or the channel is closed.
    bool read(void* report, std::uint32_t toRead, std::uint32_t& bytesRead);
    bool write(const void* report, std::uint32_t toWrite, std::uint32_t& written);

    // The asynchronous read: startRead remembers the buffer, wait() fills it.
    bool startRead(void* buffer, std::uint32_t toRead);
    // hidraw has no queued writes: the write is made here and the transfer is
    // complete when startWrite returns true.
    bool startWrite(const void* buffer, std::uint32_t toWrite);
    HidWaitResult wait(std::uint32_t milliseconds);
    std::uint32_t transferResult();
    bool cancel();
    void interrupt();
    // Ends an outstanding read without data; every later transfer fails.
    void close();

private:
    // Takes one report off the node after a poll that gave `events`, into
    // `buffer`, prepending the report ID 0 for a device without numbered
    // reports. Returns the byte count, or -1 with errno: EAGAIN when there was
    // nothing to take after all, ENODEV or EIO with `gone` when the device
    // has gone away.
    long receive(unsigned char* buffer, std::uint32_t length, short events, bool& gone);
    // With the mutex held: completes the outstanding read from the node's
    // poll events, unless there was nothing to read after all.
    void completeRead(short events);
    // With the mutex held: whether `access` permits a transfer; sets the error.
    bool usable(HidAccess access);
    void wake();
    void drainWake();

    const int fd_;
    const int wakeFd_;
    const HidAccess access_;
    const bool numberedReports_;
    const dev_t device_;

    std::mutex mutex_;
    bool closed_ = false;
    bool deviceGone_ = false;
    bool reading_ = false;
    bool completed_ = false;
    bool interruptPending_ = false;
    unsigned char* buffer_ = nullptr;
    std::uint32_t length_ = 0;
    std::uint32_t result_ = 0;
};
