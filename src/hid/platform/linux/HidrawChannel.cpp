#include "hid/platform/linux/HidrawChannel.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "hid/platform/linux/LinuxErrors.h"

namespace {

bool meansDeviceGone(int errnoValue) {
    return errnoValue == ENODEV || errnoValue == EIO;
}

}  // namespace

HidrawChannel::HidrawChannel(int fd, HidAccess access, bool numberedReports, dev_t device)
    : fd_(fd),
      wakeFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)),
      access_(access),
      numberedReports_(numberedReports),
      device_(device) {}

HidrawChannel::~HidrawChannel() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    if (wakeFd_ >= 0) {
        ::close(wakeFd_);
    }
}

bool HidrawChannel::usable(HidAccess access) {
    if (closed_) {
        setLastErrorFromErrno(EBADF);
        return false;
    }
    if (fd_ < 0 || access_ != access) {
        setLastErrorFromErrno(EACCES);
        return false;
    }
    if (deviceGone_) {
        setLastErrorFromErrno(ENODEV);
        return false;
    }
    return true;
}

bool HidrawChannel::read(void* report, std::uint32_t toRead, std::uint32_t& bytesRead) {
    bytesRead = 0;
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (!usable(HidAccess::ReadWrite)) {
                return false;
            }
        }
        pollfd fds[2] = {{fd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            setLastErrorFromErrno(errno);
            return false;
        }
        if (fds[1].revents != 0) {
            drainWake();
            continue;
        }
        bool gone = false;
        const long n = receive(static_cast<unsigned char*>(report), toRead, fds[0].revents, gone);
        if (n >= 0) {
            bytesRead = static_cast<std::uint32_t>(n);
            return true;
        }
        const int error = errno;
        if (error == EAGAIN) {
            continue;
        }
        std::lock_guard lock(mutex_);
        deviceGone_ = deviceGone_ || gone;
        setLastErrorFromErrno(error);
        return false;
    }
}

bool HidrawChannel::write(const void* report, std::uint32_t toWrite, std::uint32_t& written) {
    written = 0;
    {
        std::lock_guard lock(mutex_);
        if (!usable(HidAccess::ReadWrite)) {
            return false;
        }
    }
    const ssize_t n = ::write(fd_, report, toWrite);
    if (n < 0) {
        setLastErrorFromErrno(errno);
        return false;
    }
    written = static_cast<std::uint32_t>(n);
    return true;
}

bool HidrawChannel::startRead(void* buffer, std::uint32_t toRead) {
    std::lock_guard lock(mutex_);
    if (!usable(HidAccess::OverlappedRead)) {
        return false;
    }
    if (reading_) {
        setLastErrorFromErrno(EBUSY);
        return false;
    }
    if (buffer == nullptr && toRead > 0) {
        setLastErrorFromErrno(EINVAL);
        return false;
    }
    buffer_ = static_cast<unsigned char*>(buffer);
    length_ = toRead;
    result_ = 0;
    completed_ = false;
    reading_ = true;
    return true;
}

bool HidrawChannel::startWrite(const void* buffer, std::uint32_t toWrite) {
    {
        std::lock_guard lock(mutex_);
        if (!usable(HidAccess::OverlappedWrite)) {
            return false;
        }
        completed_ = false;
        result_ = 0;
    }
    const ssize_t n = ::write(fd_, buffer, toWrite);
    if (n < 0) {
        setLastErrorFromErrno(errno);
        return false;
    }
    std::lock_guard lock(mutex_);
    completed_ = true;
    result_ = static_cast<std::uint32_t>(n);
    return true;
}

HidWaitResult HidrawChannel::wait(std::uint32_t milliseconds) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        bool watchDevice = false;
        {
            std::lock_guard lock(mutex_);
            if (interruptPending_) {
                interruptPending_ = false;
                return HidWaitResult::Interrupted;
            }
            // A closed channel has nothing outstanding any more.
            if (completed_ || closed_) {
                return HidWaitResult::IoCompletion;
            }
            watchDevice = reading_;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        const int timeout = left.count() > 0 ? static_cast<int>(left.count()) : 0;
        // poll() skips an entry with a negative descriptor.
        pollfd fds[2] = {{watchDevice ? fd_ : -1, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        const int ready = poll(fds, 2, timeout);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            // Without a working poll the transfer cannot end otherwise.
            setLastErrorFromErrno(errno);
            std::lock_guard lock(mutex_);
            if (!reading_) {
                return HidWaitResult::Timeout;
            }
            reading_ = false;
            completed_ = true;
            result_ = 0;
            return HidWaitResult::IoCompletion;
        }
        if (ready == 0) {
            return HidWaitResult::Timeout;
        }
        if (fds[1].revents != 0) {
            drainWake();
        }
        if (fds[0].revents != 0) {
            std::lock_guard lock(mutex_);
            if (reading_) {
                completeRead(fds[0].revents);
            }
        }
    }
}

void HidrawChannel::completeRead(short events) {
    bool gone = false;
    long n = receive(buffer_, length_, events, gone);
    if (n < 0) {
        if (errno == EAGAIN) {
            return;
        }
        setLastErrorFromErrno(errno);
        n = 0;
    }
    deviceGone_ = deviceGone_ || gone;
    reading_ = false;
    completed_ = true;
    result_ = static_cast<std::uint32_t>(n);
}

long HidrawChannel::receive(unsigned char* buffer, std::uint32_t length, short events, bool& gone) {
    if ((events & POLLIN) == 0) {
        gone = (events & (POLLHUP | POLLERR | POLLNVAL)) != 0;
        errno = gone ? ENODEV : EAGAIN;
        return -1;
    }
    long n = 0;
    if (numberedReports_) {
        n = static_cast<long>(::read(fd_, buffer, length));
    } else if (length > 0) {
        n = static_cast<long>(::read(fd_, buffer + 1, length - 1));
        if (n > 0) {
            buffer[0] = 0;
            ++n;
        }
    }
    if (n < 0) {
        gone = meansDeviceGone(errno);
    } else if (n == 0 && (events & POLLHUP) != 0) {
        // The end of the file: nothing will come any more.
        gone = true;
        errno = ENODEV;
        return -1;
    }
    return n;
}

std::uint32_t HidrawChannel::transferResult() {
    std::lock_guard lock(mutex_);
    return completed_ ? result_ : 0;
}

bool HidrawChannel::cancel() {
    {
        std::lock_guard lock(mutex_);
        if (closed_) {
            setLastErrorFromErrno(EBADF);
            return false;
        }
        if (reading_) {
            reading_ = false;
            completed_ = true;
            result_ = 0;
        }
    }
    wake();
    return true;
}

void HidrawChannel::interrupt() {
    {
        std::lock_guard lock(mutex_);
        interruptPending_ = true;
    }
    wake();
}

void HidrawChannel::close() {
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        if (reading_) {
            reading_ = false;
            completed_ = true;
            result_ = 0;
        }
    }
    wake();
}

void HidrawChannel::wake() {
    const std::uint64_t one = 1;
    // Only fails when the counter is about to overflow, and then a wake-up is
    // pending anyway.
    [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof one);
}

void HidrawChannel::drainWake() {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t n = ::read(wakeFd_, &count, sizeof count);
}
