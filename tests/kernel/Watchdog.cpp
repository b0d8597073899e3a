#include "Watchdog.h"

#include <unistd.h>

#include <cstdio>

Watchdog::Watchdog() : thread_([this] { run(); }) {}

Watchdog::~Watchdog() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void Watchdog::arm(const std::string& step, std::chrono::seconds limit) {
    {
        std::lock_guard lock(mutex_);
        step_ = step;
        deadline_ = std::chrono::steady_clock::now() + limit;
    }
    changed_.notify_all();
}

void Watchdog::run() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (!deadline_) {
            changed_.wait(lock, [&] { return stopping_ || deadline_.has_value(); });
            continue;
        }
        const auto deadline = *deadline_;
        if (changed_.wait_until(lock, deadline,
                                [&] { return stopping_ || deadline_ != deadline; })) {
            continue;
        }
        std::printf("kernel-test: %s hung\n", step_.c_str());
        std::fflush(stdout);
        _exit(1);
    }
}
