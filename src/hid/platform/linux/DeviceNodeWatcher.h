#pragma once

#include <functional>
#include <set>
#include <string>
#include <thread>

#include "hid/platform/linux/UdevAnnouncements.h"

// A thread that calls `changed` whenever hidraw nodes come or go. With a udev
// daemon it listens to udev's own events, which are sent after the rules have
// set the node's permissions; without one (containers, minimal systems) it
// watches the device directory with inotify. An eventfd wakes it to stop.
class DeviceNodeWatcher {
public:
    enum class Source { Udev, Inotify };

    // Udev when a udev daemon runs, else Inotify.
    static Source systemSource();

    // `deviceDirectory` is where Inotify looks for hidraw nodes.
    explicit DeviceNodeWatcher(Source source, std::string deviceDirectory = "/dev");
    ~DeviceNodeWatcher();
    DeviceNodeWatcher(const DeviceNodeWatcher&) = delete;
    DeviceNodeWatcher& operator=(const DeviceNodeWatcher&) = delete;

    // Starts the thread; false (with errno) when the source cannot be watched.
    bool start(std::function<void()> changed);
    // Stops and joins the thread; `changed` is not called after it returns.
    void stop();

    Source source() const { return source_; }
    // With the Udev source, once started: whether udev is done with the
    // hidraw node at `syspath`. Any thread.
    bool udevDone(const std::string& syspath) const { return announcements_.done(syspath); }

private:
    bool openUdev();
    bool openInotify();
    // The syspaths of the hidraw nodes in udev's database now.
    std::set<std::string> knownNodes() const;
    // Consumes what the source has to say; true when hidraw nodes changed.
    bool drainUdev();
    bool drainInotify();
    void run();

    const Source source_;
    const std::string deviceDirectory_;
    std::function<void()> changed_;
    int stopFd_ = -1;
    int sourceFd_ = -1;
    struct udev* udev_ = nullptr;
    struct udev_monitor* monitor_ = nullptr;
    UdevAnnouncements announcements_;
    std::thread thread_;
};
