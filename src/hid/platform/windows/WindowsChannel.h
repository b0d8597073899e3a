#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "hid/platform/HidPlatform.h"
#include "hid/platform/windows/HidApi.h"

// One open channel to a device: its file handle and, for the asynchronous
// channels, the transfer in flight.
//
// An asynchronous transfer completes through a completion routine that the
// system runs on the thread that started it, inside one of that thread's
// alertable waits. The routine's OVERLAPPED record and buffer live in a heap
// object that the routine itself frees, so closing the channel under an
// outstanding transfer never leaves the system writing into freed memory.
// The transfer state (done, bytes) is touched only by the transferring
// thread; the mutex guards the handle, the closed flag and the transfer in
// flight, which close() looks at from another thread.
class WindowsChannel : public std::enable_shared_from_this<WindowsChannel> {
public:
    explicit WindowsChannel(HANDLE file);
    ~WindowsChannel();
    WindowsChannel(const WindowsChannel&) = delete;
    WindowsChannel& operator=(const WindowsChannel&) = delete;

    // The handle for blocking calls; INVALID_HANDLE_VALUE once closed.
    HANDLE file();
    // Closes the handle, which makes the system end an outstanding transfer.
    // True when no transfer is in flight, so the channel can be forgotten;
    // otherwise finished() tells when its completion has run.
    bool close();
    bool finished();

    bool startRead(void* buffer, std::uint32_t toRead);
    bool startWrite(const void* buffer, std::uint32_t toWrite);
    HidWaitResult wait(std::uint32_t milliseconds);
    std::uint32_t transferResult() const;
    bool cancel();
    void interruptWait();

    // The configuration cookie is a pointer on this system but travels as 32
    // bits; the full value from the last query is kept to be handed back.
    void rememberCookie(void* cookie) { cookie_ = cookie; }
    void* cookieFor(std::uint32_t cookie) const;

private:
    struct Transfer;

    static void CALLBACK completed(DWORD error, DWORD bytes, OVERLAPPED* overlapped);
    bool start(std::unique_ptr<Transfer> transfer, bool read);

    std::mutex mutex_;
    HANDLE file_;
    bool closed_ = false;
    // The thread that transfers, woken by interruptWait().
    HANDLE waiter_ = nullptr;
    DWORD waiterId_ = 0;
    std::atomic<bool> interrupted_{false};
    // Written under the mutex by the transferring thread only.
    Transfer* pending_ = nullptr;

    bool done_ = false;
    DWORD bytes_ = 0;
    DWORD error_ = 0;

    void* cookie_ = nullptr;
};
