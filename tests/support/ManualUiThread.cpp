#include "ManualUiThread.h"

#include <utility>

void ManualUiThread::post(std::function<void()> task) {
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    posted_.notify_all();
}

bool ManualUiThread::runNext(std::unique_lock<std::mutex>& lock) {
    if (tasks_.empty()) {
        return false;
    }
    auto task = std::move(tasks_.front());
    tasks_.pop_front();
    lock.unlock();
    task();
    lock.lock();
    return true;
}

std::size_t ManualUiThread::pump() {
    std::size_t ran = 0;
    std::unique_lock lock(mutex_);
    while (runNext(lock)) {
        ++ran;
    }
    return ran;
}

bool ManualUiThread::pumpUntil(const std::function<bool()>& done,
                               std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::unique_lock lock(mutex_);
    for (;;) {
        lock.unlock();
        const bool finished = done();
        lock.lock();
        if (finished) {
            return true;
        }
        if (!posted_.wait_until(lock, deadline, [this] { return !tasks_.empty(); })) {
            return false;
        }
        runNext(lock);
    }
}

std::size_t ManualUiThread::queued() const {
    std::lock_guard lock(mutex_);
    return tasks_.size();
}

bool ManualUiThread::waitUntilQueued(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return posted_.wait_for(lock, timeout, [this] { return !tasks_.empty(); });
}
