#include "hid/platform/windows/WindowsChannel.h"

#include <algorithm>
#include <cstring>
#include <vector>

struct WindowsChannel::Transfer {
    OVERLAPPED overlapped{};
    // Keeps the channel's transfer state alive until the completion has run.
    std::shared_ptr<WindowsChannel> channel;
    std::vector<std::uint8_t> data;
    // Where a read's bytes go; none for a write.
    void* target = nullptr;
    DWORD thread = GetCurrentThreadId();
    // Set by cancel(): the caller no longer takes the bytes.
    bool discard = false;
};

namespace {

// Only wakes the alertable wait; interrupted_ says why.
void CALLBACK wake(ULONG_PTR) {}

bool fail(DWORD error) {
    SetLastError(error);
    return false;
}

}  // namespace

WindowsChannel::WindowsChannel(HANDLE file) : file_(file) {}

WindowsChannel::~WindowsChannel() {
    if (!closed_) {
        CloseHandle(file_);
    }
    if (waiter_ != nullptr) {
        CloseHandle(waiter_);
    }
}

HANDLE WindowsChannel::file() {
    std::lock_guard lock(mutex_);
    return closed_ ? INVALID_HANDLE_VALUE : file_;
}

bool WindowsChannel::close() {
    std::lock_guard lock(mutex_);
    if (!closed_) {
        closed_ = true;
        CloseHandle(file_);
    }
    return pending_ == nullptr;
}

bool WindowsChannel::finished() {
    std::lock_guard lock(mutex_);
    return closed_ && pending_ == nullptr;
}

bool WindowsChannel::startRead(void* buffer, std::uint32_t toRead) {
    auto transfer = std::make_unique<Transfer>();
    transfer->data.resize(toRead);
    transfer->target = buffer;
    return start(std::move(transfer), true);
}

bool WindowsChannel::startWrite(const void* buffer, std::uint32_t toWrite) {
    auto transfer = std::make_unique<Transfer>();
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    transfer->data.assign(bytes, bytes + toWrite);
    return start(std::move(transfer), false);
}

bool WindowsChannel::start(std::unique_ptr<Transfer> transfer, bool read) {
    if (pending_ != nullptr) {
        return fail(ERROR_BUSY);
    }
    transfer->channel = shared_from_this();
    // The system leaves hEvent alone for completion-routine transfers.
    transfer->overlapped.hEvent = transfer.get();
    const auto size = static_cast<DWORD>(transfer->data.size());

    std::lock_guard lock(mutex_);
    if (closed_) {
        return fail(ERROR_INVALID_HANDLE);
    }
    if (waiterId_ != transfer->thread) {
        HANDLE thread = nullptr;
        if (DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &thread,
                            THREAD_SET_CONTEXT, FALSE, 0)) {
            if (waiter_ != nullptr) {
                CloseHandle(waiter_);
            }
            waiter_ = thread;
            waiterId_ = transfer->thread;
        }
    }
    done_ = false;
    bytes_ = 0;
    error_ = ERROR_SUCCESS;
    const BOOL started =
        read ? ReadFileEx(file_, transfer->data.data(), size, &transfer->overlapped, &completed)
             : WriteFileEx(file_, transfer->data.data(), size, &transfer->overlapped, &completed);
    if (!started) {
        return fail(GetLastError());
    }
    pending_ = transfer.release();
    return true;
}

void CALLBACK WindowsChannel::completed(DWORD error, DWORD bytes, OVERLAPPED* overlapped) {
    std::unique_ptr<Transfer> transfer(static_cast<Transfer*>(overlapped->hEvent));
    WindowsChannel& channel = *transfer->channel;
    bool closed = false;
    {
        std::lock_guard lock(channel.mutex_);
        closed = channel.closed_;
        channel.pending_ = nullptr;
    }
    // A transfer that ended as its channel was closed ends without data,
    // even when its bytes arrived just before.
    const bool taken = error == ERROR_SUCCESS && !transfer->discard && !closed;
    const DWORD moved = taken ? std::min<DWORD>(bytes, transfer->data.size()) : 0;
    if (transfer->target != nullptr && moved > 0) {
        std::memcpy(transfer->target, transfer->data.data(), moved);
    }
    channel.done_ = true;
    channel.bytes_ = moved;
    channel.error_ =
        taken ? ERROR_SUCCESS : (error != ERROR_SUCCESS ? error : ERROR_OPERATION_ABORTED);
}

HidWaitResult WindowsChannel::wait(std::uint32_t milliseconds) {
    const ULONGLONG begin = GetTickCount64();
    DWORD slice = milliseconds;
    for (;;) {
        if (done_) {
            return HidWaitResult::IoCompletion;
        }
        if (interrupted_.exchange(false)) {
            return HidWaitResult::Interrupted;
        }
        // Returns early whenever any completion routine or wake-up ran on
        // this thread; the flags above tell whether it was ours.
        if (SleepEx(slice, TRUE) != WAIT_IO_COMPLETION) {
            return HidWaitResult::Timeout;
        }
        if (milliseconds != INFINITE) {
            const ULONGLONG elapsed = GetTickCount64() - begin;
            slice = elapsed >= milliseconds ? 0 : static_cast<DWORD>(milliseconds - elapsed);
        }
    }
}

std::uint32_t WindowsChannel::transferResult() const {
    if (!done_) {
        SetLastError(ERROR_IO_INCOMPLETE);
        return 0;
    }
    if (error_ != ERROR_SUCCESS) {
        SetLastError(error_);
    }
    return bytes_;
}

bool WindowsChannel::cancel() {
    bool cancelled = false;
    DWORD error = ERROR_INVALID_HANDLE;
    {
        std::lock_guard lock(mutex_);
        if (!closed_) {
            cancelled = CancelIo(file_) != FALSE;
            error = cancelled ? ERROR_SUCCESS : GetLastError();
        }
    }
    if (pending_ != nullptr) {
        pending_->discard = true;
    }
    // A cancelled transfer (or one ended by close()) completes at once; run
    // its completion now so that it does not outlive the thread.
    while (pending_ != nullptr && pending_->thread == GetCurrentThreadId()) {
        SleepEx(INFINITE, TRUE);
    }
    return cancelled || fail(error);
}

void WindowsChannel::interruptWait() {
    interrupted_ = true;
    std::lock_guard lock(mutex_);
    if (waiter_ != nullptr) {
        QueueUserAPC(&wake, waiter_, 0);
    }
}

void* WindowsChannel::cookieFor(std::uint32_t cookie) const {
    const auto full = reinterpret_cast<std::uintptr_t>(cookie_);
    if (static_cast<std::uint32_t>(full) == cookie) {
        return cookie_;
    }
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(cookie));
}
