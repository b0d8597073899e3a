#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>

#include "TempDir.h"
#include "hid/platform/SystemHidPlatform.h"
#include "hid/platform/linux/DeviceNodeWatcher.h"

namespace {

// Counts notifications; waits for a given count with a bound that only a
// watcher that never notifies reaches.
class Notifications {
public:
    void notify() {
        std::lock_guard lock(mutex_);
        ++count_;
        cv_.notify_all();
    }
    bool waitFor(int count) {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, std::chrono::seconds(60), [&] { return count_ >= count; });
    }
    int count() {
        std::lock_guard lock(mutex_);
        return count_;
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    int count_ = 0;
};

}  // namespace

TEST(DeviceNodeWatcher, InotifyReportsHidrawNodesComingAndGoing) {
    TempDir dev;
    ASSERT_FALSE(dev.path().empty());
    Notifications notifications;
    DeviceNodeWatcher watcher(DeviceNodeWatcher::Source::Inotify, dev.path().string());
    ASSERT_TRUE(watcher.start([&] { notifications.notify(); }));

    dev.write("ttyS7", "");
    dev.write("hidraw7", "");
    ASSERT_TRUE(notifications.waitFor(1));
    const int afterArrival = notifications.count();
    std::filesystem::remove(dev.path() / "hidraw7");
    EXPECT_TRUE(notifications.waitFor(afterArrival + 1));

    watcher.stop();
    const int afterStop = notifications.count();
    dev.write("hidraw8", "");
    EXPECT_EQ(notifications.count(), afterStop);
}

TEST(DeviceNodeWatcher, ADirectoryThatCannotBeWatchedIsReported) {
    DeviceNodeWatcher watcher(DeviceNodeWatcher::Source::Inotify, "/nonexistent/dev");
    EXPECT_FALSE(watcher.start([] {}));
    watcher.stop();
}

TEST(DeviceNodeWatcher, EverySourceStartsAndStops) {
    for (const auto source :
         {DeviceNodeWatcher::Source::Udev, DeviceNodeWatcher::Source::Inotify}) {
        DeviceNodeWatcher watcher(source);
        EXPECT_TRUE(watcher.start([] {}));
        watcher.stop();
    }
    const auto platform = createSystemHidPlatform();
    platform->startWatching([] {});
    platform->stopWatching();
}
