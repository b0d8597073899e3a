#include "NodeWatch.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

NodeWatch::NodeWatch() : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (fd_ >= 0 && inotify_add_watch(fd_, "/dev", IN_CREATE) < 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

NodeWatch::~NodeWatch() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

std::string NodeWatch::nextNode(std::chrono::milliseconds timeout) {
    if (fd_ < 0) {
        return {};
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        alignas(inotify_event) char buffer[4096];
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        // One node at a time: the rest of what was read is of no interest,
        // as the test creates one device at a time.
        for (ssize_t pos = 0; n > 0 && pos + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
            inotify_event event;
            std::memcpy(&event, buffer + pos, sizeof event);
            const std::size_t room = static_cast<std::size_t>(n - pos) - sizeof event;
            const std::string_view name(
                buffer + pos + sizeof event,
                strnlen(buffer + pos + sizeof event, std::min<std::size_t>(event.len, room)));
            if (name.starts_with("hidraw")) {
                return "/dev/" + std::string(name);
            }
            pos += static_cast<ssize_t>(sizeof event + event.len);
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return {};
        }
        pollfd fd{fd_, POLLIN, 0};
        if (poll(&fd, 1, static_cast<int>(left.count())) < 0 && errno != EINTR) {
            return {};
        }
    }
}
