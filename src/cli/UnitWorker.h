#pragma once

#include <QByteArray>

#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "cli/UnitConnection.h"

class QtUiThread;
class SharedHidPlatform;
class TTraceWriter;

namespace cli {

struct Streams;

// One unit's command on a thread of its own, with its own controller,
// exchange and event loop, so that the profile operations, which wait for
// each reply in an event loop, run on several units at once unchanged. Its
// results and messages are kept for the thread that made it, which reads them
// once the worker has finished.
//
// What a worker runs must not match a QRegularExpression, directly or through
// QDir's name filters: with the Windows toolchain (mingw-w64) a thread that
// did crashes when it ends, because the storage of Qt's thread_local match
// stack is freed before its destructor runs.
class UnitWorker {
public:
    // Runs on the worker's thread with the unit opened; returns the exit status.
    using Work = std::function<int(UnitConnection& connection, Streams& streams)>;

    // Starts at once. `finished`, when set, is the worker thread's last call.
    UnitWorker(SharedHidPlatform& platforms, UnitListing unit, TTraceWriter* trace, Work work,
               std::function<void()> finished = {});
    // Waits for the thread.
    ~UnitWorker();
    UnitWorker(const UnitWorker&) = delete;
    UnitWorker& operator=(const UnitWorker&) = delete;

    const UnitListing& unit() const { return unit_; }
    // From any thread: the wait that runs ends as if the unit had left.
    void cancel();
    // Waits for the thread; the three below are read after it.
    void join();
    int exit() const { return exit_; }
    const QByteArray& out() const { return out_; }
    const QByteArray& err() const { return err_; }

private:
    void run(SharedHidPlatform& platforms, TTraceWriter* trace, const Work& work);

    const UnitListing unit_;
    int exit_ = 0;
    QByteArray out_;
    QByteArray err_;
    std::mutex mutex_;
    // The worker's event loop and its link to the unit, while they exist.
    QtUiThread* uiThread_ = nullptr;
    UnitConnection* connection_ = nullptr;
    bool cancelled_ = false;
    std::thread thread_;
};

}  // namespace cli
