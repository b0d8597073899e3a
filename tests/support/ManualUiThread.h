#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

#include "hid/UiThread.h"

// A user-interface thread for tests: posted tasks wait in a queue until the
// test's thread runs them with pump() or pumpUntil().
class ManualUiThread : public UiThread {
public:
    void post(std::function<void()> task) override;

    // Runs tasks until the queue is empty, including tasks they post; returns how many ran.
    std::size_t pump();
    // Runs tasks as they arrive until `done` holds, checking it before the
    // first and after each task; blocks while the queue is empty. False when
    // `timeout` passed first.
    bool pumpUntil(const std::function<bool()>& done,
                   std::chrono::milliseconds timeout = std::chrono::seconds(10));
    std::size_t queued() const;
    // Blocks until a task is queued, without running it. False on timeout.
    bool waitUntilQueued(std::chrono::milliseconds timeout = std::chrono::seconds(10));

private:
    bool runNext(std::unique_lock<std::mutex>& lock);

    mutable std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> tasks_;
};
