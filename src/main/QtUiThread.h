#pragma once

#include <QObject>

#include "hid/UiThread.h"

// Hands tasks to the Qt event loop of the thread that created this object:
// each task runs as a queued invocation, after the code running there now has
// returned. Tasks still queued when this object is destroyed are dropped.
class QtUiThread final : public UiThread {
public:
    QtUiThread() = default;

    void post(std::function<void()> task) override;

private:
    // The receiver of the queued invocations; lives in the creating thread.
    QObject context_;
};
