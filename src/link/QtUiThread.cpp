#include "link/QtUiThread.h"

#include <QMetaObject>

#include <utility>

void QtUiThread::post(std::function<void()> task) {
    {
        const std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    QMetaObject::invokeMethod(this, "runNext", Qt::QueuedConnection);
}

void QtUiThread::runNext() {
    std::function<void()> task;
    {
        const std::lock_guard lock(mutex_);
        if (tasks_.empty()) {
            return;
        }
        task = std::move(tasks_.front());
        tasks_.pop_front();
    }
    task();
}
