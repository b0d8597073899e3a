#include "cli/Monitor.h"

#include <QDateTime>
#include <QEventLoop>
#include <QTimer>

#include <utility>

#include "cli/Cli.h"
#include "cli/Console.h"
#include "cli/UnitConnection.h"
#include "link/CsvRecorder.h"
#include "monitor/StatusSample.h"
#include "protocol/Status.h"

namespace cli {

namespace {

using Clock = std::chrono::steady_clock;

// A status reply comes within milliseconds; one that has not come in a
// second is not coming.
constexpr std::chrono::milliseconds StatusTimeout{1000};
// How often a stop request is looked for: often enough to feel immediate,
// rarely enough to cost nothing.
constexpr std::chrono::milliseconds StopCheck{100};

class Run {
public:
    Run(UnitConnection& connection, const QString& serial, CsvRecorder& recorder,
        const MonitorSettings& settings, const MonitorVoice& voice)
        : connection_(connection),
          serial_(serial),
          recorder_(recorder),
          settings_(settings),
          voice_(voice) {}

    int run() {
        QTimer stopCheck;
        QObject::connect(&stopCheck, &QTimer::timeout, &stopCheck, [this] {
            if (!stopping_ && stops_.asked()) {
                stopping_ = true;
                // A reply's wait ends as if the unit had left.
                connection_.cancel();
                wake();
            }
        });
        stopCheck.start(StopCheck);
        connection_.setOnChange([this] { wake(); });
        const int exit = loop();
        connection_.setOnChange({});
        return exit;
    }

private:
    int loop() {
        const Clock::time_point start = Clock::now();
        // No end is one that never comes.
        const Clock::time_point end =
            settings_.duration ? start + *settings_.duration : Clock::time_point::max();
        std::int64_t tick = 0;
        bool answering = true;
        showProgress();
        while (!stopping_) {
            if (present_ && !connection_.isOpen()) {
                present_ = false;
                voice_.message(
                    QStringLiteral("the unit %1 left; waiting for it to come back").arg(serial_));
                showProgress();
            }
            if (!present_) {
                if (reopen()) {
                    present_ = true;
                    answering = true;
                    voice_.message(QStringLiteral("the unit %1 is back").arg(serial_));
                    showProgress();
                } else {
                    waitUntil(end);
                    if (Clock::now() >= end) {
                        break;
                    }
                }
                continue;
            }
            // Deadlines on one grid from the start, so that no delay adds up.
            const Clock::time_point deadline = start + tick * settings_.interval;
            if (deadline >= end) {
                waitUntil(end);
                if (Clock::now() >= end) {
                    break;
                }
                continue;
            }
            if (!waitUntil(deadline)) {
                continue;
            }
            const std::optional<protocol::Reply> reply = ask();
            if (reply) {
                const qint64 arrival = QDateTime::currentMSecsSinceEpoch();
                if (!answering) {
                    answering = true;
                    voice_.message(QStringLiteral("the unit %1 answers again").arg(serial_));
                }
                if (voice_.beforeLine) {
                    voice_.beforeLine();
                }
                if (!recorder_.write(monitor::sampleOf(protocol::decodeStatus(*reply), arrival))) {
                    voice_.message(QStringLiteral("error writing the samples: %1")
                                       .arg(recorder_.errorString()));
                    return UsageError;
                }
                showProgress();
                if (settings_.samples && recorder_.lines() >= *settings_.samples) {
                    break;
                }
            } else if (!stopping_ && connection_.isOpen() && answering) {
                answering = false;
                voice_.message(
                    QStringLiteral("the unit %1 does not answer; still asking").arg(serial_));
            }
            // The next deadline not yet past: a late reply skips the ticks it
            // took instead of bunching the ones after it.
            tick = (Clock::now() - start) / settings_.interval + 1;
        }
        return Done;
    }

    std::optional<protocol::Reply> ask() {
        profile::UnitExchange& exchange = connection_.exchange();
        if (!exchange.send(protocol::requestStatus())) {
            return std::nullopt;
        }
        return exchange.waitFor(protocol::ReplyKind::Status, StatusTimeout);
    }

    // Opens the unit when it is listed again.
    bool reopen() {
        const std::vector<UnitListing>& units = connection_.units();
        for (std::size_t i = 0; i < units.size(); ++i) {
            if (units[i].serial == serial_ && units[i].mayOpen) {
                return connection_.open(i);
            }
        }
        return false;
    }

    // Runs the event loop until `until`; false when a device change or a
    // stop came first.
    bool waitUntil(Clock::time_point until) {
        woken_ = false;
        while (!stopping_ && !woken_) {
            const Clock::time_point now = Clock::now();
            if (now >= until) {
                return true;
            }
            QEventLoop loop;
            QTimer timer;
            timer.setSingleShot(true);
            timer.setTimerType(Qt::PreciseTimer);
            QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
            if (until != Clock::time_point::max()) {
                // Rounded up, so that the timer never ends the wait early.
                timer.start(std::chrono::ceil<std::chrono::milliseconds>(until - now));
            }
            loop_ = &loop;
            loop.exec();
            loop_ = nullptr;
        }
        return false;
    }

    void wake() {
        woken_ = true;
        if (loop_ != nullptr) {
            loop_->quit();
        }
    }

    void showProgress() {
        if (voice_.progress) {
            voice_.progress(
                QStringLiteral("%1 samples, unit %2")
                    .arg(recorder_.lines())
                    .arg(present_ ? QStringLiteral("present") : QStringLiteral("absent")));
        }
    }

    UnitConnection& connection_;
    const QString serial_;
    CsvRecorder& recorder_;
    const MonitorSettings& settings_;
    const MonitorVoice& voice_;
    console::StopRequests stops_;
    bool stopping_ = false;
    bool present_ = true;
    bool woken_ = false;
    QEventLoop* loop_ = nullptr;
};

}  // namespace

int monitor(UnitConnection& connection, const QString& serial, CsvRecorder& recorder,
            const MonitorSettings& settings, const MonitorVoice& voice) {
    return Run(connection, serial, recorder, settings, voice).run();
}

}  // namespace cli
