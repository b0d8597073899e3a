// CPU use of the whole tool, as a share of one core: while "Automatic" polls
// a unit that answers at once (10 s), and while acknowledgement waits time out
// with polling off (5 waits of about 1 s). The share is the process's CPU
// time (every thread: user-interface thread, reader thread, the simulated
// platform and the virtual unit) divided by the wall time. Polling is
// measured again with the chart shown and recording every reply.

#include "SilentDialogs.h"
#include "link/QtUiThread.h"
#include "main/ApplicationWindows.h"
#include "main/DevReader.h"
#include "sim/SimHidPlatform.h"
#include "sim/SimUnitDevice.h"
#include "widgets/DialogService.h"
#include "windows/Chart.h"

#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// CPU and wall time of running `work`.
struct Share {
    double cpu = 0;
    double wall = 0;
    double percent() const { return wall > 0 ? 100.0 * cpu / wall : 0; }
};

template <typename Work>
Share measure(Work&& work) {
    const double cpuStart = cpuSeconds();
    const auto wallStart = std::chrono::steady_clock::now();
    work();
    return {cpuSeconds() - cpuStart,
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count()};
}

void runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

QString cpuModel() {
    QFile info(QStringLiteral("/proc/cpuinfo"));
    if (info.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : info.readAll().split('\n')) {
            if (line.startsWith("model name")) {
                return QString::fromLatin1(line.mid(line.indexOf(':') + 1).trimmed());
            }
        }
    }
    return QStringLiteral("unknown");
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    // The recording's file: the one file dialog this bench answers.
    QTemporaryDir folder;
    DialogService::install(
        std::make_unique<SilentDialogs>(folder.filePath(QStringLiteral("recording.csv"))));

    SimHidPlatform platform;
    SimUnitDevice device(platform, "BENCH-1");
    device.unit().behaviour().latencyMs = 0;
    QtUiThread ui;
    TApplicationWindows windows(platform, ui);
    TMainForm& main = windows.mainForm();
    main.show();
    runFor(1000);
    if (!main.hasCurrentDevice()) {
        std::printf("the unit was not connected\n");
        return 1;
    }
    auto* automatic = main.findChild<QCheckBox*>(QStringLiteral("cbGetStatusAuto"));
    auto* counters = main.findChild<QLabel*>(QStringLiteral("StatusPanel2"));

    std::printf("machine: %u cores, %s; Qt platform %s\n", std::thread::hardware_concurrency(),
                qPrintable(cpuModel()), qPrintable(QGuiApplication::platformName()));

    automatic->setChecked(true);
    const std::size_t before = platform.transcript().size();
    const Share polling = measure([] { runFor(10000); });
    const std::size_t reports = platform.transcript().size() - before;
    std::printf(
        "polling with Automatic, 10 s: %.2f%% of one core (%.3f s CPU in %.2f s), "
        "%zu reports on the link, status bar \"%s\"\n",
        polling.percent(), polling.cpu, polling.wall, reports, qPrintable(counters->text()));

    // The same with the chart shown and every reply recorded.
    QWidget* chart = windows.windows().frmChart;
    chart->resize(1200, 520);
    chart->show();
    chart->findChild<QPushButton*>(QStringLiteral("btChartRecord"))->click();
    const Share charting = measure([] { runFor(10000); });
    auto* recording = chart->findChild<QLabel*>(QStringLiteral("lbChartRecording"));
    std::printf(
        "polling with the chart shown and recording, 10 s: %.2f%% of one core (%.3f s CPU "
        "in %.2f s), \"%s\"\n",
        charting.percent(), charting.cpu, charting.wall, qPrintable(recording->text()));
    chart->findChild<QPushButton*>(QStringLiteral("btChartRecord"))->click();
    chart->hide();

    automatic->setChecked(false);
    runFor(200);
    constexpr int waits = 5;
    const Share waiting = measure([&main] {
        for (int k = 0; k < waits; ++k) {
            const bool waitForOk = true;
            main.waitForAcknowledge(waitForOk);
        }
    });
    std::printf(
        "acknowledgement waits timing out, polling off: %.2f%% of one core "
        "(%.3f s CPU in %.2f s for %d waits)\n",
        waiting.percent(), waiting.cpu, waiting.wall, waits);
    return 0;
}
