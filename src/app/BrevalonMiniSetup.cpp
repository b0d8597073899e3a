// Brevalon Mini Setup: sets up and watches a Brevalon 8 unit attached by USB.
//
// Usage: BrevalonMiniSetup [--simulate[=N]] [--trace FILE]
// Without options it talks to the system's HID devices. A run with the
// environment variable BREVALON_SCREENSHOTS set to a folder instead writes a
// picture of every window there once the unit's status has been shown, and
// ends (used by `make screenshots`).

#include "hid/platform/SystemHidPlatform.h"
#include "link/QtUiThread.h"
#include "link/TraceWriter.h"
#include "main/ApplicationWindows.h"
#include "main/DevReader.h"
#include "sim/SimDevices.h"
#include "widgets/QtTexts.h"
#include "widgets/ScreenFit.h"
#include "windows/Chart.h"
#include "windows/Commissioning.h"
#include "windows/UserInput.h"

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace {

const char Usage[] =
    "Usage: BrevalonMiniSetup [--simulate[=N]] [--trace FILE]\n"
    "\n"
    "Sets up and watches a Brevalon 8 unit attached by USB.\n"
    "\n"
    "  --simulate[=N]  run with N virtual units (1 by default, 0 to 16)\n"
    "                  instead of the system's HID devices\n"
    "  --trace FILE    write every report sent to and received from the units\n"
    "                  to FILE, one line each\n"
    "  --help          show this text\n";

struct Options {
    std::optional<int> simulatedUnits;
    std::optional<QString> traceFile;
};

int usageError() {
    std::fputs(Usage, stderr);
    return 2;
}

// Nothing when the program is to run; otherwise its exit status: 0 after
// --help, 2 for anything not understood.
std::optional<int> parseOptions(int argc, char** argv, Options& options) {
    for (int k = 1; k < argc; ++k) {
        const std::string_view arg = argv[k];
        constexpr std::string_view simulateWith = "--simulate=";
        if (arg == "--help") {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (arg == "--simulate" && !options.simulatedUnits) {
            options.simulatedUnits = 1;
        } else if (arg.starts_with(simulateWith) && !options.simulatedUnits) {
            options.simulatedUnits = demoUnitCount(arg.substr(simulateWith.size()));
            if (!options.simulatedUnits) {
                return usageError();
            }
        } else if (arg == "--trace" && k + 1 < argc && !options.traceFile) {
            options.traceFile = QString::fromLocal8Bit(argv[++k]);
        } else {
            return usageError();
        }
    }
    return std::nullopt;
}

// Time for every read chain started by fillWindows to end on a demo unit,
// and for the chart to show twenty seconds of the unit's traces.
constexpr int FillTimeMs = 25000;
// When the commissioning run of the pictures starts: after the reads.
constexpr int CommissioningStartMs = 3000;

// Reads every group of settings from the unit, so the pictures show the
// windows as a technician sees them after reading.
void fillWindows(TApplicationWindows& windows) {
    static const char* const readButtons[] = {
        "btGSMNRead", "GetSMSs",          "btnGetDINTrigers", "btGetAnalogAlarmSettings",
        "btGetKoef",  "btnPhonebookRead", "btReadRelayDelay", "btReadMemory"};
    for (QWidget* window : windows.all()) {
        for (const char* name : readButtons) {
            if (auto* button = window->findChild<QPushButton*>(QString::fromLatin1(name))) {
                button->click();
            }
        }
    }
}

// Runs commissioning as a technician in a hurry would, so that its picture
// shows a run that has ended: the shortest signal check, the inputs skipped,
// the analog value expected as it reads, the SMS not sent.
void runCommissioning(TApplicationWindows& windows) {
    TfrmCommissioning* window = windows.windows().frmCommissioning;
    window->findChild<QSpinBox*>(QStringLiteral("spCommissioningSignalSeconds"))->setValue(10);
    window->findChild<QLineEdit*>(QStringLiteral("edCommissioningSite"))
        ->setText(QStringLiteral("Kula 3, ulaz B"));
    window->findChild<QLineEdit*>(QStringLiteral("edCommissioningTechnician"))
        ->setText(QStringLiteral("Đorđe Petrović"));
    const auto button = [window](const char* name) {
        return window->findChild<QPushButton*>(QString::fromLatin1(name));
    };
    button("btCommissioningStart")->click();
    auto* hands = new QTimer(window);
    QObject::connect(hands, &QTimer::timeout, hands, [window, hands, button] {
        const commissioning::CommissioningRun* run = window->run();
        switch (run->need()) {
            case commissioning::Need::ActivateInput:
            case commissioning::Need::SmsConsent:
                button("btCommissioningSkip")->click();
                break;
            case commissioning::Need::ExpectedAnalog:
                if (run->latest()) {
                    window->findChild<QLineEdit*>(QStringLiteral("edCommissioningExpected"))
                        ->setText(UserInput::fixedPointText(run->latest()->analogValue1));
                    window->findChild<QLineEdit*>(QStringLiteral("edCommissioningTolerance"))
                        ->setText(QStringLiteral("5"));
                    button("btCommissioningMeasure")->click();
                }
                break;
            case commissioning::Need::Done:
                hands->stop();
                break;
            case commissioning::Need::UnitRead:
            case commissioning::Need::Nothing:
                break;
        }
    });
    hands->start(300);
}

void grabWindows(TApplicationWindows& windows, const QString& folder) {
    for (QWidget* window : windows.all()) {
        // As the main window's buttons show them: within the screen.
        if (window != &windows.mainForm()) {
            ScreenFit::fitToScreen(*window, true);
        }
        window->show();
        QCoreApplication::processEvents();
        window->grab().save(QDir(folder).filePath(
            QString::fromLatin1(window->metaObject()->className()) + QStringLiteral(".png")));
    }
    // The dialog is modal: grab it from inside its own event loop.
    QTimer::singleShot(500, [folder] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            dialog->grab().save(QDir(folder).filePath(QStringLiteral("TInfoForm.png")));
            dialog->close();
        }
    });
    windows.mainForm().findChild<QPushButton*>(QStringLiteral("btHIDInfo"))->click();
    QCoreApplication::quit();
}

// Waits (on the event loop, checking every 100 ms) until the status panel
// shows a status reply or five seconds have gone, then reads every group of
// settings, grabs every window and the HID information dialog into
// `folder`, and ends the program.
void takeScreenshots(TApplicationWindows& windows, const QString& folder) {
    QDir().mkpath(folder);
    auto* poll = new QTimer(&windows.mainForm());
    const QDeadlineTimer deadline(5000);
    QObject::connect(poll, &QTimer::timeout, poll, [&windows, folder, poll, deadline] {
        auto* signal = windows.mainForm().findChild<QLabel*>(QStringLiteral("lbGSMSignal"));
        if (!signal->text().startsWith(QStringLiteral("GSM Signal [RSSI")) &&
            !deadline.hasExpired()) {
            return;
        }
        poll->stop();
        // The chart's shortest span, where twenty seconds fill a third of it.
        windows.windows()
            .frmChart->findChild<QComboBox*>(QStringLiteral("cmbChartSpan"))
            ->setCurrentIndex(0);
        fillWindows(windows);
        QTimer::singleShot(CommissioningStartMs, &windows.mainForm(),
                           [&windows] { runCommissioning(windows); });
        QTimer::singleShot(FillTimeMs, &windows.mainForm(),
                           [&windows, folder] { grabWindows(windows, folder); });
    });
    poll->start(100);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (const std::optional<int> status = parseOptions(argc, argv, options)) {
        return *status;
    }

    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("BrevalonMini Setup"));
    QtTexts::install(app);

    std::unique_ptr<HidPlatform> platform;
    std::vector<std::unique_ptr<SimUnitDevice>> units;
    if (options.simulatedUnits) {
        auto simulated = std::make_unique<SimHidPlatform>();
        units = attachDemoUnits(*simulated, *options.simulatedUnits);
        startWandering(units);
        platform = std::move(simulated);
    } else {
        platform = createSystemHidPlatform();
    }

    TTraceWriter trace;
    if (options.traceFile) {
        QString error;
        if (!trace.open(*options.traceFile, error)) {
            std::fprintf(stderr, "Cannot write the trace to %s: %s\n",
                         options.traceFile->toLocal8Bit().constData(),
                         error.toLocal8Bit().constData());
            return 1;
        }
    }

    QtUiThread ui;
    TApplicationWindows windows(*platform, ui);
    TMainForm& main = windows.mainForm();
    if (options.traceFile) {
        main.setTrace(&trace);
    }
    ScreenFit::fitToScreen(main, true);
    main.show();

    const QString screenshots = qEnvironmentVariable("BREVALON_SCREENSHOTS");
    if (!screenshots.isEmpty()) {
        takeScreenshots(windows, screenshots);
    }
    return app.exec();
}
