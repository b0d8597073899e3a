#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "hid/platform/HidPlatform.h"

// One platform for several HID controllers, each on a thread of its own, as
// brevalon-cli runs units side by side. A platform has one device-change
// signal, which every controller made on a view gets; and the calls that
// list, open, close and query interfaces take turns, since the backends keep
// one system context for them (udev, the Setup API). Transfers run side by
// side, as each device's reader already runs them beside its controller.
class SharedHidPlatform {
public:
    // Watches `base`, which outlives this object, from now on.
    explicit SharedHidPlatform(HidPlatform& base);
    ~SharedHidPlatform();
    SharedHidPlatform(const SharedHidPlatform&) = delete;
    SharedHidPlatform& operator=(const SharedHidPlatform&) = delete;

    // A platform for one controller; it must not outlive this object.
    std::unique_ptr<HidPlatform> view();

private:
    class View;

    void changed();

    HidPlatform& base_;
    std::mutex callMutex_;
    std::mutex watchMutex_;
    std::vector<std::pair<const View*, std::function<void()>>> watchers_;
};
