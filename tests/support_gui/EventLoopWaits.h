#pragma once

// Waits in the event loop, so that timers, the readers' deliveries and
// repaints go on meanwhile. Shared by the GUI tests and the benchmarks; a
// header only, so that the benchmarks need none of the tests' libraries.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <functional>

// Runs the event loop until `done` holds; false when `timeoutMs` passed first.
inline bool pumpEventsUntil(const std::function<bool()>& done, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    // Wakes the loop at the deadline even when nothing else happens.
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Runs the event loop for `ms` milliseconds.
inline void pumpEventsFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}
