// How long reading the unit's 4096-byte memory (128 "GM" packets, one request
// after each reply) takes through the whole stack, wired as the program wires
// it: memory window, main window and dispatcher, HID layer with its reader
// thread, simulated platform, virtual unit. Measured with a unit that answers
// at once and with one that answers after 1 ms, from the click on "Read" to
// the reply that ends the read. The status polling is switched off so that
// only the read is timed.

#include "link/QtUiThread.h"
#include "main/ApplicationWindows.h"
#include "main/DevReader.h"
#include "sim/SimHidPlatform.h"
#include "sim/SimUnitDevice.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRuns = 15;
constexpr int kGiveUpMs = 20000;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs the event loop until the unit is connected, looking every 10 ms, or
// until kGiveUpMs have gone.
bool waitForConnection(const TMainForm& main) {
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (main.hasCurrentDevice()) {
            loop.quit();
        }
    });
    check.start(10);
    QTimer::singleShot(kGiveUpMs, &loop, &QEventLoop::quit);
    loop.exec();
    return main.hasCurrentDevice();
}

// Ends a loop the moment its button is enabled again, which is what the reply
// that ends a read does.
class EnabledWatch : public QObject {
public:
    EnabledWatch(QWidget& button, QEventLoop& loop) : button_(button), loop_(loop) {
        button_.installEventFilter(this);
    }
    ~EnabledWatch() override { button_.removeEventFilter(this); }

    std::chrono::steady_clock::time_point enabledAt{};

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::EnabledChange && button_.isEnabled()) {
            enabledAt = std::chrono::steady_clock::now();
            loop_.quit();
        }
        return false;
    }

private:
    QWidget& button_;
    QEventLoop& loop_;
};

// The median time of kRuns memory reads, in milliseconds; a negative value
// when a read did not end.
double measure(std::uint32_t latencyMs) {
    SimHidPlatform platform;
    SimUnitDevice device(platform, "BENCH-1");
    device.unit().behaviour().latencyMs = latencyMs;
    QtUiThread ui;
    TApplicationWindows windows(platform, ui);
    TMainForm& main = windows.mainForm();
    main.show();
    if (!waitForConnection(main)) {
        return -1;
    }
    main.findChild<QCheckBox*>(QStringLiteral("cbGetStatusAuto"))->setChecked(false);
    QPushButton* read = nullptr;
    for (QWidget* window : windows.all()) {
        read = read ? read : window->findChild<QPushButton*>(QStringLiteral("btReadMemory"));
    }

    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        QEventLoop loop;
        EnabledWatch watch(*read, loop);
        QTimer::singleShot(kGiveUpMs, &loop, &QEventLoop::quit);
        const auto start = std::chrono::steady_clock::now();
        read->click();
        loop.exec();
        if (!read->isEnabled()) {
            return -1;
        }
        times.push_back(std::chrono::duration<double, std::milli>(watch.enabledAt - start).count());
    }
    return median(times);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    for (const std::uint32_t latencyMs : {0u, 1u}) {
        const double ms = measure(latencyMs);
        if (ms < 0) {
            std::printf("memory read, unit latency %u ms: did not finish\n", latencyMs);
            return 1;
        }
        std::printf(
            "memory read (128 packets), unit latency %u ms: median %.1f ms of %d runs, "
            "%.1f us per packet\n",
            latencyMs, ms, kRuns, ms * 1000.0 / 128);
    }
    return 0;
}
