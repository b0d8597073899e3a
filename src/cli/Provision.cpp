#include "cli/Provision.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "cli/Cli.h"
#include "cli/Console.h"
#include "cli/UnitConnection.h"
#include "cli/UnitWorker.h"
#include "hid/SharedHidPlatform.h"
#include "link/QtUiThread.h"
#include "link/UnitAccess.h"
#include "profile/UnitHistory.h"
#include "profile/UnitOperations.h"

namespace cli {

namespace {

// How often a stop request is looked for, as monitor does.
constexpr std::chrono::milliseconds StopCheck{100};

// What a unit's worker found; written on its thread, read once it has ended.
struct Outcome {
    bool passed = false;
    // Why not, when the unit answered to the end.
    QStringList faults;
    // Where it ended early: the unit left, stopped answering or was stopped.
    std::optional<profile::Stop> stopped;
    // The write had begun: a unit stopped now holds part of the profile.
    bool writing = false;
    QString backup;
};

struct Job {
    UnitListing unit;
    Assignment assignment;
    QDateTime started;
    QElapsedTimer clock;
    Outcome outcome;
    // The user stopped it (a second Ctrl-C).
    bool cancelled = false;
    std::unique_ptr<UnitWorker> worker;
};

// Backs the unit up, writes the profile, reads it back and compares.
int provisionUnit(profile::UnitExchange& exchange, const QString& serial,
                  const profile::UnitProfile& profile, bool noBackup, Outcome& outcome) {
    if (!noBackup) {
        const profile::UnitHistory history;
        if (const auto fault = history.prepare(serial)) {
            outcome.faults << fault->text() + QStringLiteral("; nothing was written");
            return Differs;
        }
        const profile::UnitRead read = profile::readUnit(exchange);
        if (read.stopped) {
            outcome.stopped = read.stopped;
            return read.stopped->left ? NotAnswering : Differs;
        }
        const profile::UnitHistory::Added added =
            history.add(serial, profile::BackupReason::BeforeProfileWrite, read.profile);
        if (added.fault) {
            outcome.faults << added.fault->text() + QStringLiteral("; nothing was written");
            return Differs;
        }
        outcome.backup = added.entry->fileName;
    }
    outcome.writing = true;
    const profile::UnitWrite write = profile::writeUnit(exchange, profile);
    switch (write.outcome) {
        case profile::UnitWrite::Outcome::Matches:
            outcome.passed = true;
            return Done;
        case profile::UnitWrite::Outcome::Differs:
            for (const profile::Difference& difference : write.differences) {
                outcome.faults << difference.text();
            }
            return Differs;
        case profile::UnitWrite::Outcome::Refused:
            for (const profile::ProfileFault& fault : write.faults) {
                outcome.faults << fault.text();
            }
            return Differs;
        case profile::UnitWrite::Outcome::Stopped:
            break;
    }
    outcome.stopped = write.stopped;
    return write.stopped.left ? NotAnswering : Differs;
}

QJsonValue orNull(const QString& text) {
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

class Station {
public:
    Station(HidPlatform& platform, TTraceWriter* trace, const ProvisionSettings& settings,
            Streams& streams)
        : settings_(settings), streams_(streams), trace_(trace), platforms_(platform) {}

    ~Station() {
        for (const auto& job : running_) {
            job->cancelled = true;
            job->worker->cancel();
        }
        running_.clear();
    }

    int run() {
        if (settings_.report && !openReport()) {
            return UsageError;
        }
        view_ = platforms_.view();
        watch_ = std::make_unique<UnitConnection>(*view_, ui_, nullptr);
        message(QStringLiteral("provisioning every unit present and plugged in; Ctrl-C ends"));
        QEventLoop loop;
        loop_ = &loop;
        QTimer stopCheck;
        QObject::connect(&stopCheck, &QTimer::timeout, &stopCheck, [this] { lookForStop(); });
        stopCheck.start(StopCheck);
        watch_->setOnChange([this] { arrivals(); });
        arrivals();
        if (!ended()) {
            loop.exec();
        }
        watch_->setOnChange({});
        loop_ = nullptr;
        if (!halfWritten_.isEmpty()) {
            message(QStringLiteral("stopped at once; left half-written: %1")
                        .arg(halfWritten_.join(QStringLiteral(", "))));
        }
        return exit_;
    }

private:
    bool openReport() {
        report_.setFileName(*settings_.report);
        if (!report_.open(QIODevice::WriteOnly | QIODevice::Append)) {
            message(QStringLiteral("cannot write the report to \"%1\": %2")
                        .arg(QDir::toNativeSeparators(*settings_.report), report_.errorString()));
            return false;
        }
        return true;
    }

    void message(const QString& text) {
        streams_.err.write((QStringLiteral("brevalon-cli: ") + text + u'\n').toUtf8());
    }

    bool taking() const { return !stopping_ && !(settings_.count && started_ >= *settings_.count); }

    bool ended() const { return running_.empty() && !taking(); }

    void lookForStop() {
        const int asked = stops_.count();
        if (asked == stopsSeen_) {
            return;
        }
        stopsSeen_ = asked;
        if (!stopping_) {
            stopping_ = true;
            if (asked == 1 && !running_.empty()) {
                message(QStringLiteral("finishing the %1 in progress; Ctrl-C again stops at once")
                            .arg(running_.size() == 1
                                     ? QStringLiteral("unit")
                                     : QStringLiteral("%1 units").arg(running_.size())));
            }
        }
        if (asked >= 2) {
            for (const auto& job : running_) {
                job->cancelled = true;
                job->worker->cancel();
            }
        }
        quitWhenEnded();
    }

    void quitWhenEnded() {
        if (ended() && loop_ != nullptr) {
            loop_->quit();
        }
    }

    // Units that came since the last look start; those that left may come
    // again and are then provisioned again.
    void arrivals() {
        const std::vector<UnitListing> units = watch_->units();
        std::erase_if(attached_, [&](const QString& path) {
            return std::none_of(units.begin(), units.end(),
                                [&](const UnitListing& u) { return u.path == path; });
        });
        for (const UnitListing& unit : units) {
            if (!attached_.insert(unit.path).second || !taking()) {
                continue;
            }
            start(unit, units);
        }
        quitWhenEnded();
    }

    void start(const UnitListing& unit, const std::vector<UnitListing>& units) {
        ++started_;
        auto job = std::make_unique<Job>();
        job->unit = unit;
        job->started = QDateTime::currentDateTime();
        job->clock.start();
        QStringList alike;
        for (const UnitListing& other : units) {
            if (other.serial == unit.serial && other.path != unit.path) {
                alike << other.path;
            }
        }
        if (!alike.isEmpty()) {
            job->outcome.faults << QStringLiteral(
                                       "another unit present has the serial number \"%1\" (%2); "
                                       "units that cannot be told apart are not written")
                                       .arg(unit.serial, alike.join(QStringLiteral(", ")));
        } else if (!unit.mayOpen) {
            job->outcome.faults << noAccessMessage(unit.displayName());
        } else {
            job->assignment = settings_.assign(unit.serial);
            job->outcome.faults = job->assignment.faults;
        }
        if (!job->assignment.profile) {
            done(*job);
            return;
        }
        Job* const raw = job.get();
        const bool noBackup = settings_.noBackup;
        job->worker = std::make_unique<UnitWorker>(
            platforms_, unit, trace_,
            [raw, noBackup](UnitConnection& connection, Streams&) {
                return provisionUnit(connection.exchange(), raw->unit.serial,
                                     *raw->assignment.profile, noBackup, raw->outcome);
            },
            [this, raw] { ui_.post([this, raw] { finished(raw); }); });
        running_.push_back(std::move(job));
    }

    void finished(Job* job) {
        job->worker->join();
        const QByteArray err = job->worker->err();
        if (!err.isEmpty() && !job->outcome.stopped) {
            job->outcome.faults << QString::fromUtf8(err).trimmed().remove(
                QStringLiteral("brevalon-cli: %1: ").arg(job->unit.serial));
        }
        done(*job);
        std::erase_if(running_, [job](const auto& j) { return j.get() == job; });
        quitWhenEnded();
    }

    // The unit's line, its report line and its share of the exit status.
    void done(const Job& job) {
        const Outcome& o = job.outcome;
        const double seconds = static_cast<double>(job.clock.elapsed()) / 1000.0;
        QString why;
        const int exit = job.worker ? job.worker->exit() : Differs;
        if (o.stopped) {
            const profile::Stop& s = *o.stopped;
            if (job.cancelled) {
                why = QStringLiteral("stopped by the user while %1 %2")
                          .arg(s.writing ? QStringLiteral("writing") : QStringLiteral("reading"),
                               s.where);
            } else if (!s.left && s.writing) {
                why = s.where + QStringLiteral(" sent but not acknowledged");
            } else {
                why = s.text();
            }
            if (!o.writing) {
                why += QStringLiteral(" for the backup; nothing was written");
            }
            if (job.cancelled && o.writing) {
                halfWritten_ << job.unit.serial;
            }
        } else if (!o.faults.isEmpty()) {
            why = o.faults.front();
            if (o.faults.size() > 1) {
                why += QStringLiteral(" (and %1 more)").arg(o.faults.size() - 1);
            }
        }
        const QString site = job.assignment.site.isEmpty()
                                 ? QString()
                                 : QStringLiteral(" site=") + job.assignment.site;
        const QString line = o.passed
                                 ? QStringLiteral("PASS %1%2 %3 s\n")
                                       .arg(job.unit.serial, site, QString::number(seconds, 'f', 1))
                                 : QStringLiteral("FAIL %1%2 %3\n").arg(job.unit.serial, site, why);
        streams_.out.write(line.toUtf8());
        reportLine(job, seconds, why);
        exit_ = std::max(exit_, exit);
    }

    void reportLine(const Job& job, double seconds, const QString& why) {
        const Outcome& o = job.outcome;
        QStringList faults = o.faults;
        if (o.stopped) {
            faults.prepend(why);
        }
        if (!report_.isOpen()) {
            QString text = QStringLiteral("%1: %2").arg(
                job.unit.serial, o.passed ? QStringLiteral("PASS") : QStringLiteral("FAIL"));
            if (!job.assignment.row.isEmpty()) {
                text +=
                    QStringLiteral(", site %1 (%2)").arg(job.assignment.site, job.assignment.row);
            }
            text += QStringLiteral(", %1 s").arg(QString::number(seconds, 'f', 1));
            if (!o.backup.isEmpty()) {
                text += QStringLiteral(", backup %1").arg(o.backup);
            }
            message(text);
            for (const QString& fault : faults) {
                streams_.err.write((QStringLiteral("  ") + fault + u'\n').toUtf8());
            }
            return;
        }
        const QJsonObject entry{
            {QStringLiteral("serial"), job.unit.serial},
            {QStringLiteral("path"), job.unit.path},
            {QStringLiteral("site"), orNull(job.assignment.site)},
            {QStringLiteral("row"), orNull(job.assignment.row)},
            {QStringLiteral("time"),
             job.started.toOffsetFromUtc(job.started.offsetFromUtc()).toString(Qt::ISODate)},
            {QStringLiteral("seconds"), QString::number(seconds, 'f', 1).toDouble()},
            {QStringLiteral("result"), o.passed ? QStringLiteral("PASS") : QStringLiteral("FAIL")},
            {QStringLiteral("faults"), QJsonArray::fromStringList(faults)},
            {QStringLiteral("backup"), orNull(o.backup)},
        };
        const QByteArray bytes = QJsonDocument(entry).toJson(QJsonDocument::Compact) + '\n';
        if (report_.write(bytes) != bytes.size() || !report_.flush()) {
            message(QStringLiteral("cannot write the report to \"%1\": %2; no more units are taken")
                        .arg(QDir::toNativeSeparators(report_.fileName()), report_.errorString()));
            stopping_ = true;
            exit_ = std::max(exit_, int(UsageError));
        }
    }

    const ProvisionSettings& settings_;
    Streams& streams_;
    TTraceWriter* trace_;
    SharedHidPlatform platforms_;
    QtUiThread ui_;
    std::unique_ptr<HidPlatform> view_;
    std::unique_ptr<UnitConnection> watch_;
    console::StopRequests stops_;
    int stopsSeen_ = 0;
    bool stopping_ = false;
    QEventLoop* loop_ = nullptr;
    QFile report_;
    // The paths of the units present at the last look, each provisioned once.
    std::set<QString> attached_;
    std::vector<std::unique_ptr<Job>> running_;
    std::int64_t started_ = 0;
    int exit_ = Done;
    QStringList halfWritten_;
};

}  // namespace

int provision(HidPlatform& platform, TTraceWriter* trace, const ProvisionSettings& settings,
              Streams& streams) {
    Station station(platform, trace, settings, streams);
    return station.run();
}

}  // namespace cli
