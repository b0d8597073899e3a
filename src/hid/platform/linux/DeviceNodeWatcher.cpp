#include "hid/platform/linux/DeviceNodeWatcher.h"

#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

namespace {

// Present while a udev daemon runs.
constexpr const char* UdevControlSocket = "/run/udev/control";

constexpr std::string_view NodePrefix = "hidraw";

}  // namespace

DeviceNodeWatcher::Source DeviceNodeWatcher::systemSource() {
    return access(UdevControlSocket, F_OK) == 0 ? Source::Udev : Source::Inotify;
}

DeviceNodeWatcher::DeviceNodeWatcher(Source source, std::string deviceDirectory)
    : source_(source), deviceDirectory_(std::move(deviceDirectory)) {}

DeviceNodeWatcher::~DeviceNodeWatcher() {
    stop();
}

bool DeviceNodeWatcher::start(std::function<void()> changed) {
    if (thread_.joinable()) {
        return true;
    }
    stopFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    const bool opened = stopFd_ >= 0 && (source_ == Source::Udev ? openUdev() : openInotify());
    if (!opened) {
        const int error = errno;
        stop();
        errno = error;
        return false;
    }
    changed_ = std::move(changed);
    thread_ = std::thread([this] { run(); });
    return true;
}

void DeviceNodeWatcher::stop() {
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(stopFd_, &one, sizeof one);
        thread_.join();
    }
    if (monitor_ != nullptr) {
        // The monitor owns its socket, which is sourceFd_.
        udev_monitor_unref(monitor_);
        monitor_ = nullptr;
        sourceFd_ = -1;
    }
    if (udev_ != nullptr) {
        udev_unref(udev_);
        udev_ = nullptr;
    }
    if (sourceFd_ >= 0) {
        ::close(sourceFd_);
        sourceFd_ = -1;
    }
    if (stopFd_ >= 0) {
        ::close(stopFd_);
        stopFd_ = -1;
    }
    changed_ = nullptr;
}

bool DeviceNodeWatcher::openUdev() {
    udev_ = udev_new();
    if (udev_ == nullptr) {
        return false;
    }
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (monitor_ == nullptr ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor_, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor_) < 0) {
        return false;
    }
    sourceFd_ = udev_monitor_get_fd(monitor_);
    // Taken once events are received, so that no node falls between the two.
    announcements_.restart(knownNodes());
    return sourceFd_ >= 0;
}

std::set<std::string> DeviceNodeWatcher::knownNodes() const {
    std::set<std::string> known;
    udev_enumerate* enumerate = udev_enumerate_new(udev_);
    if (enumerate == nullptr) {
        return known;
    }
    if (udev_enumerate_add_match_subsystem(enumerate, "hidraw") >= 0 &&
        udev_enumerate_add_match_is_initialized(enumerate) >= 0 &&
        udev_enumerate_scan_devices(enumerate) >= 0) {
        udev_list_entry* entry = nullptr;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate)) {
            known.insert(udev_list_entry_get_name(entry));
        }
    }
    udev_enumerate_unref(enumerate);
    return known;
}

bool DeviceNodeWatcher::openInotify() {
    sourceFd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    return sourceFd_ >= 0 &&
           inotify_add_watch(sourceFd_, deviceDirectory_.c_str(),
                             IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB) >= 0;
}

bool DeviceNodeWatcher::drainUdev() {
    bool any = false;
    while (udev_device* device = udev_monitor_receive_device(monitor_)) {
        const char* action = udev_device_get_action(device);
        announcements_.heard(udev_device_get_syspath(device), action != nullptr ? action : "");
        udev_device_unref(device);
        any = true;
    }
    return any;
}

bool DeviceNodeWatcher::drainInotify() {
    bool any = false;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(sourceFd_, buffer, sizeof buffer);
        if (n <= 0) {
            return any;
        }
        std::size_t pos = 0;
        const auto end = static_cast<std::size_t>(n);
        while (end - pos >= sizeof(inotify_event)) {
            inotify_event event;
            std::memcpy(&event, buffer + pos, sizeof event);
            const std::size_t nameSpace =
                std::min<std::size_t>(event.len, end - pos - sizeof event);
            const std::string_view name(buffer + pos + sizeof event,
                                        strnlen(buffer + pos + sizeof event, nameSpace));
            if ((event.mask & IN_Q_OVERFLOW) != 0 ||
                name.substr(0, NodePrefix.size()) == NodePrefix) {
                any = true;
            }
            pos += sizeof event + nameSpace;
        }
    }
}

void DeviceNodeWatcher::run() {
    for (;;) {
        pollfd fds[2] = {{stopFd_, POLLIN, 0}, {sourceFd_, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[0].revents != 0) {
            return;
        }
        if ((fds[1].revents & (POLLHUP | POLLNVAL)) != 0) {
            return;
        }
        bool changed = source_ == Source::Udev ? drainUdev() : drainInotify();
        // An error on the udev socket means events were dropped (its buffer
        // overflowed); reading has cleared it, and the change pass catches up
        // with what udev's database holds.
        if (source_ == Source::Udev && (fds[1].revents & POLLERR) != 0) {
            announcements_.restart(knownNodes());
            changed = true;
        }
        if (changed) {
            changed_();
        }
    }
}
