#pragma once

#include <QObject>

#include <deque>
#include <functional>
#include <mutex>

#include "hid/UiThread.h"

// Hands tasks to the Qt event loop of the thread that created this object:
// each task runs from its own queued invocation, after the code running there
// now has returned, so nested event loops (acknowledgement waits, message
// boxes) run them too. Tasks still queued when this object is destroyed are
// dropped.
//
// The tasks themselves wait in a queue of this object's own, under its own
// lock; the queued invocation carries nothing. So everything that crosses
// between threads is ordered by a lock the thread sanitizer can see, which
// Qt's own locks are not in the distribution's build.
class QtUiThread final : public QObject, public UiThread {
    Q_OBJECT

public:
    QtUiThread() = default;

    void post(std::function<void()> task) override;

private:
    Q_INVOKABLE void runNext();

    std::mutex mutex_;
    std::deque<std::function<void()>> tasks_;
};
