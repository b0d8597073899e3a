#include "BenchTool.h"

#include "EventLoopWaits.h"
#include "SilentDialogs.h"
#include "main/ApplicationWindows.h"
#include "main/DevReader.h"

#include <QCheckBox>
#include <QPushButton>

#include <cstdio>
#include <cstdlib>

void UseOffscreenUnlessSet() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

void CountingUiThread::post(std::function<void()> task) {
    inner_.post([this, task = std::move(task)] {
        lastStarted_ = std::chrono::steady_clock::now();
        task();
        ++ran_;
        lastEnded_ = std::chrono::steady_clock::now();
    });
}

BenchTool::BenchTool(std::uint32_t latencyMs)
    : unit_(platform_, "BENCH-1"),
      previousDialogs_(DialogService::install(std::make_unique<SilentDialogs>())) {
    unit_.unit().behaviour().latencyMs = latencyMs;
    // The phonebook's controls are usable only while the unit reports its
    // call function on.
    unit_.unit().setCallFunction(1);
    windows_ = std::make_unique<TApplicationWindows>(platform_, ui_);
}

BenchTool::~BenchTool() {
    // The main window releases the unit while the platform still exists.
    windows_.reset();
    DialogService::install(std::move(previousDialogs_));
}

TMainForm& BenchTool::main() const {
    return windows_->mainForm();
}

bool BenchTool::askStatus() {
    const std::uint64_t expected = ui_.ran() + 1;
    getStatus_->click();
    return pumpUntil([&] { return ui_.ran() >= expected; });
}

bool BenchTool::connect() {
    main().show();
    if (!pumpUntil([this] { return main().hasCurrentDevice(); })) {
        return false;
    }
    // The device changes of the start-up may connect the unit more than once,
    // each time with polling on: polling goes off once they have run.
    pumpFor(500);
    auto* automatic = control<QCheckBox>("cbGetStatusAuto");
    automatic->setChecked(false);
    // One status shown; its reply arrives meanwhile.
    getStatus_ = control<QPushButton>("btGetStatus");
    getStatus_->click();
    pumpFor(200);
    return main().hasCurrentDevice() && !automatic->isChecked();
}

double BenchTool::readMemory() {
    auto* read = control<QPushButton>("btReadMemory", window("TfrmMemory"));
    return timedRead(read, 128, [read] { return read->isEnabled(); });
}

double BenchTool::readPhonebook() {
    QWidget* phonebook = window("TfrmCallPhonebook");
    auto* gauge = control<QWidget>("sGauge1", phonebook);
    return timedRead(control<QPushButton>("btnPhonebookRead", phonebook), 100,
                     [gauge] { return gauge->isHidden(); });
}

double BenchTool::timedRead(QAbstractButton* start, std::uint64_t replies,
                            const std::function<bool()>& finished) {
    const std::uint64_t before = ui_.ran();
    const auto begin = std::chrono::steady_clock::now();
    start->click();
    if (!pumpUntil(finished, 30000) || ui_.ran() - before != replies) {
        return -1;
    }
    return std::chrono::duration<double, std::milli>(ui_.lastEnded() - begin).count();
}

QWidget* BenchTool::window(const char* className) const {
    for (QWidget* window : windows_->all()) {
        if (qstrcmp(window->metaObject()->className(), className) == 0) {
            return window;
        }
    }
    missing(className);
}

QWidget* BenchTool::findControl(const char* name, QWidget* window) const {
    const QList<QWidget*> windows = window != nullptr ? QList<QWidget*>{window} : windows_->all();
    for (QWidget* candidate : windows) {
        if (auto* child = candidate->findChild<QWidget*>(QLatin1String(name))) {
            return child;
        }
    }
    return nullptr;
}

void BenchTool::missing(const char* name) {
    std::fprintf(stderr, "no window or control %s\n", name);
    std::exit(2);
}

bool BenchTool::pumpUntil(const std::function<bool()>& done, int timeoutMs) {
    return pumpEventsUntil(done, timeoutMs);
}

void BenchTool::pumpFor(int ms) {
    pumpEventsFor(ms);
}
