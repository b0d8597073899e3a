#include "DispatcherHarness.h"

#include "main/ApplicationWindows.h"
#include "main/DevReader.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <array>

namespace {

struct Tag {
    char first;
    char second;
    char selector;  // byte 4, or 0 where the dispatcher does not look at it
};

// Every row of the dispatcher's table.
constexpr std::array<Tag, 13> Tags{{{'G', 'F', 0},
                                    {'G', 'S', 0},
                                    {'G', 'M', 0},
                                    {'G', 'N', 0},
                                    {'S', 'N', 0},
                                    {'G', 'P', 0},
                                    {'S', 'P', 0},
                                    {'G', 'A', 'D'},
                                    {'G', 'A', 'A'},
                                    {'G', 'K', 'A'},
                                    {'G', 'C', 0},
                                    {'S', 'C', 0},
                                    {'G', 'O', 0}}};

constexpr int ConnectTimeoutMs = 10000;
// The trace and the dialog record are emptied this often, so that a long
// fuzzing run keeps its memory flat.
constexpr unsigned ClearEvery = 4096;

}  // namespace

DispatcherHarness::DispatcherHarness() : unit_(platform_, "FUZZ-1") {
    unit_.unit().behaviour().dropAllReplies = true;
    QString error;
    // The trace formats every report the dispatcher sees; where it goes does
    // not matter.
    trace_.open(QProcess::nullDevice(), error);
    windows_ = std::make_unique<TApplicationWindows>(platform_, ui_);
    main().setTrace(&trace_);
    main().show();

    const QDeadlineTimer deadline(ConnectTimeoutMs);
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(ConnectTimeoutMs);
    while (!connected() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

DispatcherHarness::~DispatcherHarness() {
    // The main window releases the unit while the platform still exists.
    windows_.reset();
}

bool DispatcherHarness::connected() const {
    return main().hasCurrentDevice();
}

TMainForm& DispatcherHarness::main() const {
    return windows_->mainForm();
}

std::vector<std::uint8_t> DispatcherHarness::report(const std::uint8_t* input, std::size_t size) {
    if (size == 0) {
        return {};
    }
    const std::size_t choice = input[0] % (Tags.size() + 1);
    std::vector<std::uint8_t> bytes;
    if (choice < Tags.size()) {
        const Tag& tag = Tags[choice];
        bytes = {static_cast<std::uint8_t>(tag.first), static_cast<std::uint8_t>(tag.second)};
        bytes.insert(bytes.end(), input + 1, input + size);
        // Data byte 3 is report byte 4.
        if (tag.selector != 0 && bytes.size() > 3) {
            bytes[3] = static_cast<std::uint8_t>(tag.selector);
        }
    } else {
        bytes.assign(input + 1, input + size);
    }
    bytes.resize(std::min(bytes.size(), MaxReportBytes));
    return bytes;
}

void DispatcherHarness::dispatch(const std::uint8_t* input, std::size_t size) {
    // Exactly as many bytes as the report has, so that a read past its end
    // is caught.
    const std::vector<std::uint8_t> bytes = report(input, size);
    auto data = std::make_unique<std::uint8_t[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), data.get());
    main().ShowRead(nullptr, 0, data.get(), static_cast<std::uint16_t>(bytes.size()));
    QCoreApplication::processEvents();
    if (++dispatched_ % ClearEvery == 0) {
        platform_.clearTranscript();
        dialogs_->clear();
    }
}
