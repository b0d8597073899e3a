#include "cli/UnitWorker.h"

#include <QBuffer>

#include <utility>

#include "cli/Cli.h"
#include "hid/SharedHidPlatform.h"
#include "link/QtUiThread.h"
#include "link/TraceWriter.h"
#include "link/UnitAccess.h"

namespace cli {

UnitWorker::UnitWorker(SharedHidPlatform& platforms, UnitListing unit, TTraceWriter* trace,
                       Work work, std::function<void()> finished)
    : unit_(std::move(unit)) {
    thread_ = std::thread(
        [this, &platforms, trace, work = std::move(work), finished = std::move(finished)] {
            run(platforms, trace, work);
            if (finished) {
                finished();
            }
        });
}

UnitWorker::~UnitWorker() {
    join();
}

void UnitWorker::join() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

void UnitWorker::cancel() {
    const std::lock_guard lock(mutex_);
    cancelled_ = true;
    if (uiThread_ != nullptr) {
        // Runs on the worker's thread, in the wait's event loop.
        UnitConnection* connection = connection_;
        uiThread_->post([connection] { connection->cancel(); });
    }
}

void UnitWorker::run(SharedHidPlatform& platforms, TTraceWriter* trace, const Work& work) {
    QBuffer out(&out_);
    QBuffer err(&err_);
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    Streams streams{out, err};
    const std::unique_ptr<HidPlatform> platform = platforms.view();
    std::unique_ptr<TTraceWriter> unitTrace;
    if (trace != nullptr) {
        unitTrace = std::make_unique<TTraceWriter>(*trace, unit_.serial);
    }
    QtUiThread uiThread;
    UnitConnection connection(*platform, uiThread, unitTrace.get());
    const auto& units = connection.units();
    std::size_t index = 0;
    while (index < units.size() && units[index].path != unit_.path) {
        ++index;
    }
    bool givenUp = false;
    {
        const std::lock_guard lock(mutex_);
        uiThread_ = &uiThread;
        connection_ = &connection;
        givenUp = cancelled_;
    }
    if (givenUp) {
        exit_ = NotAnswering;
    } else if (index == units.size()) {
        err.write(QStringLiteral("brevalon-cli: %1: the unit left before it could be opened\n")
                      .arg(unit_.serial)
                      .toUtf8());
        exit_ = NotAnswering;
    } else if (!connection.open(index)) {
        err.write(QStringLiteral("brevalon-cli: %1: %2\n")
                      .arg(unit_.serial, noAccessMessage(unit_.displayName()))
                      .toUtf8());
        exit_ = NoUnit;
    } else {
        exit_ = work(connection, streams);
    }
    const std::lock_guard lock(mutex_);
    uiThread_ = nullptr;
    connection_ = nullptr;
}

}  // namespace cli
