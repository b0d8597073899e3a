#include "cli/Cli.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "cli/Monitor.h"
#include "cli/Provision.h"
#include "cli/UnitConnection.h"
#include "cli/UnitWorker.h"
#include "hid/SharedHidPlatform.h"
#include "hid/platform/SystemHidPlatform.h"
#include "link/CsvRecorder.h"
#include "link/QtUiThread.h"
#include "link/TraceWriter.h"
#include "link/UnitAccess.h"
#include "profile/ProfileFile.h"
#include "profile/SiteTemplate.h"
#include "profile/UnitHistory.h"
#include "profile/UnitOperations.h"
#include "protocol/NumberText.h"
#include "protocol/Status.h"
#include "sim/SimDevices.h"
#include "sim/SimHidPlatform.h"

namespace cli {

namespace {

const char Usage[] =
    "Usage: brevalon-cli [--simulate[=N]] [--trace FILE] [--unit SERIAL | --path PATH |\n"
    "                    --all] [--no-backup] COMMAND [ARG]\n"
    "       brevalon-cli [--simulate[=N]] [--trace FILE] [--unit SERIAL] monitor\n"
    "                    [--interval MS] [--samples N] [--duration SECONDS] [FILE]\n"
    "       brevalon-cli [--simulate[=N]] [--trace FILE] provision PROFILE\n"
    "                    [--sites CSV] [--report FILE] [--count N] [--no-backup]\n"
    "\n"
    "Sets up a Brevalon 8 unit attached by USB, for scripts and for provisioning\n"
    "many units.\n"
    "\n"
    "Commands:\n"
    "  list                 every unit present: serial number, product, path, and\n"
    "                       whether it may be opened (ok or no-access), one a line\n"
    "  info                 firmware text and serial number of the unit\n"
    "  status               one status reply, decoded, as JSON\n"
    "  read-profile FILE    read the unit into a profile (\"-\" for standard output)\n"
    "  write-profile FILE   check the profile, write it, read it back and compare\n"
    "                       (\"-\" for standard input)\n"
    "  verify-profile FILE  read the unit and list every difference from the profile\n"
    "                       (\"-\" for standard input)\n"
    "  read-memory FILE     the 4096-byte memory image (\"-\" for standard output)\n"
    "  history [--all]      the unit's history entries (every unit's with --all):\n"
    "                       file name, time, reason and firmware, one a line\n"
    "  restore ENTRY        write a history entry (a file name from history, latest\n"
    "                       or latest-before-format) to the unit, read it back and\n"
    "                       compare\n"
    "  provision PROFILE    every unit present and every unit plugged in afterwards,\n"
    "                       several at once: a backup, the profile written, read\n"
    "                       back and compared; PASS or FAIL, one line per unit;\n"
    "                       until --count N units are done or Ctrl-C (a second\n"
    "                       Ctrl-C stops at once). --sites CSV fills the profile's\n"
    "                       {{name}} placeholders from one row per unit; --report\n"
    "                       FILE appends one JSON line per unit\n"
    "  monitor [FILE]       the unit's status every --interval MS (100 by default, 50\n"
    "                       to 60000) as CSV, one line per reply, to FILE (\"-\", the\n"
    "                       default, for standard output), until --samples N lines,\n"
    "                       --duration SECONDS, or Ctrl-C; a unit that leaves is\n"
    "                       waited for\n"
    "\n"
    "Options:\n"
    "  --simulate[=N]  run with N virtual units (1 by default, 0 to 16) instead of\n"
    "                  the system's HID devices\n"
    "  --trace FILE    write every report sent to and received from the unit to\n"
    "                  FILE, one line each\n"
    "  --unit SERIAL   the unit with this serial number; needed when several are\n"
    "                  present\n"
    "  --path PATH     the unit with this device path (list's third column), for\n"
    "                  units that --unit cannot tell apart\n"
    "  --all           info, status, read-profile, write-profile, verify-profile and\n"
    "                  read-memory on every unit present at once, each output line\n"
    "                  starting with the unit's serial number; read-profile and\n"
    "                  read-memory take a FOLDER and write SERIAL.json or SERIAL.bin\n"
    "                  into it; the exit status is the highest of the units'\n"
    "  --no-backup     write-profile and restore keep no history entry of what the\n"
    "                  unit held before\n"
    "  -h, --help      show this text, as the command help does\n"
    "  --version       show the program's version\n"
    "\n"
    "Exit status:\n"
    "  0  done; for write-profile and verify-profile, the unit matches the profile\n"
    "  1  the unit differs from the profile\n"
    "  2  usage error or refused profile (nothing was sent), or a file that cannot\n"
    "     be written\n"
    "  3  no unit, several units without --unit, or a unit that may not be opened\n"
    "  4  the unit left or stopped answering\n";

enum class Command {
    List,
    Info,
    Status,
    ReadProfile,
    WriteProfile,
    VerifyProfile,
    ReadMemory,
    History,
    Restore,
    Monitor,
    Provision,
};

struct CommandName {
    const char* name;
    Command command;
    bool takesFile;
    // Takes --all.
    bool everyUnit;
};

constexpr std::array<CommandName, 11> Commands{{
    {"list", Command::List, false, false},
    {"info", Command::Info, false, true},
    {"status", Command::Status, false, true},
    {"read-profile", Command::ReadProfile, true, true},
    {"write-profile", Command::WriteProfile, true, true},
    {"verify-profile", Command::VerifyProfile, true, true},
    {"read-memory", Command::ReadMemory, true, true},
    {"history", Command::History, false, true},
    {"restore", Command::Restore, true, false},
    {"monitor", Command::Monitor, true, false},
    {"provision", Command::Provision, true, false},
}};

struct Options {
    std::optional<int> simulatedUnits;
    std::optional<QString> traceFile;
    std::optional<QString> unit;
    // The device path of the unit, as `list` shows it.
    std::optional<QString> path;
    const CommandName* command = nullptr;
    std::optional<QString> file;
    bool noBackup = false;
    // Every unit: in parallel, or for history every unit's entries.
    bool all = false;
    MonitorSettings monitor;
    // provision's.
    std::optional<QString> sites;
    std::optional<QString> report;
    std::optional<std::int64_t> count;
};

// Writes results and messages, and keeps the progress line out of the way
// of the messages.
class Session {
public:
    // `unit`, when given, is named in every message: one of several units'.
    explicit Session(Streams& streams, QString unit = {})
        : streams_(streams), unit_(std::move(unit)) {}

    void result(const QString& text) { result(text.toUtf8()); }
    void result(const QByteArray& bytes) {
        endProgress();
        streams_.out.write(bytes);
    }

    void message(const QString& text) {
        endProgress();
        const QString unit = unit_.isEmpty() ? QString() : unit_ + QStringLiteral(": ");
        streams_.err.write((QStringLiteral("brevalon-cli: ") + unit + text + u'\n').toUtf8());
    }
    // Messages as another session wrote them.
    void error(const QByteArray& bytes) {
        endProgress();
        streams_.err.write(bytes);
    }
    // A line that belongs to the message before it.
    void detail(const QString& text) {
        streams_.err.write((QStringLiteral("  ") + text + u'\n').toUtf8());
    }

    int usageError(const QString& problem) {
        message(problem);
        streams_.err.write(Usage);
        return UsageError;
    }

    void progress(const profile::Progress& p) {
        progress(QStringLiteral("%1 %2 %3/%4")
                     .arg(p.writing ? QStringLiteral("writing") : QStringLiteral("reading"), p.what)
                     .arg(p.done)
                     .arg(p.count));
    }

    void progress(const QString& line) {
        if (!streams_.progress) {
            return;
        }
        streams_.err.write(
            (u'\r' + line.leftJustified(std::max(progressWidth_, line.size()))).toUtf8());
        progressWidth_ = line.size();
    }

    void endProgress() {
        if (progressWidth_ > 0) {
            streams_.err.write((u'\r' + QString(progressWidth_, u' ') + u'\r').toUtf8());
            progressWidth_ = 0;
        }
    }

    profile::ProgressHandler progressHandler() {
        return [this](const profile::Progress& p) { progress(p); };
    }

    bool showsProgress() const { return streams_.progress; }
    Streams& streams() { return streams_; }
    QIODevice& out() { return streams_.out; }

private:
    Streams& streams_;
    QString unit_;
    qsizetype progressWidth_ = 0;
};

// A whole number from `low` to `high` in decimal digits, nothing otherwise.
std::optional<std::int64_t> wholeNumber(const QString& text, std::int64_t low, std::int64_t high) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,12}$"));
    if (!digits.match(text).hasMatch()) {
        return std::nullopt;
    }
    const std::int64_t value = text.toLongLong();
    return value >= low && value <= high ? std::optional(value) : std::nullopt;
}

// One of monitor's options at arguments[k], with its value after it; the
// exit status when it is not understood.
std::optional<int> parseMonitorOption(const QStringList& arguments, qsizetype& k, Options& o,
                                      Session& session) {
    const QString& arg = arguments[k];
    const QString value = k + 1 < arguments.size() ? arguments[++k] : QString();
    if (arg == u"--interval") {
        const auto ms = wholeNumber(value, 50, 60000);
        if (!ms) {
            return session.usageError(QStringLiteral("--interval takes MS from 50 to 60000"));
        }
        o.monitor.interval = std::chrono::milliseconds(*ms);
    } else if (arg == u"--samples") {
        o.monitor.samples = wholeNumber(value, 1, std::numeric_limits<std::int64_t>::max());
        if (!o.monitor.samples) {
            return session.usageError(QStringLiteral("--samples takes N of 1 or more"));
        }
    } else {
        // Up to about 31 years, which no clock arithmetic overflows.
        const auto seconds = wholeNumber(value, 1, 999'999'999);
        if (!seconds) {
            return session.usageError(
                QStringLiteral("--duration takes whole SECONDS from 1 to 999999999"));
        }
        o.monitor.duration = std::chrono::seconds(*seconds);
    }
    return std::nullopt;
}

// One of provision's options at arguments[k], with its value after it; the
// exit status when it is not understood.
std::optional<int> parseProvisionOption(const QStringList& arguments, qsizetype& k, Options& o,
                                        Session& session) {
    const QString& arg = arguments[k];
    if (k + 1 == arguments.size()) {
        return session.usageError(QStringLiteral("%1 takes one value").arg(arg));
    }
    const QString value = arguments[++k];
    if (arg == u"--count") {
        o.count = wholeNumber(value, 1, std::numeric_limits<std::int64_t>::max());
        if (!o.count) {
            return session.usageError(QStringLiteral("--count takes N of 1 or more"));
        }
        return std::nullopt;
    }
    std::optional<QString>& file = arg == u"--sites" ? o.sites : o.report;
    if (file) {
        return session.usageError(QStringLiteral("%1 given twice").arg(arg));
    }
    file = value;
    return std::nullopt;
}

// Nothing when the command line is understood; otherwise the exit status,
// which is Done after --help and --version.
std::optional<int> parse(const QStringList& arguments, Options& o, Session& session) {
    const QString simulateWith = QStringLiteral("--simulate=");
    for (qsizetype k = 0; k < arguments.size(); ++k) {
        const QString& arg = arguments[k];
        if (arg == u"--help" || arg == u"-h" || (arg == u"help" && o.command == nullptr)) {
            session.result(QString::fromLatin1(Usage));
            return Done;
        }
        if (arg == u"--version") {
            session.result(QStringLiteral("brevalon-cli " BREVALON_VERSION "\n"));
            return Done;
        }
        if ((arg == u"--simulate" || arg.startsWith(simulateWith)) && o.simulatedUnits) {
            return session.usageError(QStringLiteral("--simulate given twice"));
        }
        if (arg == u"--simulate") {
            o.simulatedUnits = 1;
        } else if (arg.startsWith(simulateWith)) {
            o.simulatedUnits = demoUnitCount(arg.mid(simulateWith.size()).toStdString());
            if (!o.simulatedUnits) {
                return session.usageError(
                    QStringLiteral("--simulate=N takes N from 0 to %1").arg(MaxDemoUnits));
            }
        } else if (arg == u"--trace" || arg == u"--unit" || arg == u"--path") {
            std::optional<QString>& value =
                arg == u"--trace" ? o.traceFile : (arg == u"--unit" ? o.unit : o.path);
            if (value || k + 1 == arguments.size()) {
                return session.usageError(
                    QStringLiteral("%1 takes one value, given once").arg(arg));
            }
            value = arguments[++k];
        } else if (arg == u"--no-backup") {
            o.noBackup = true;
        } else if (arg == u"--all") {
            o.all = true;
        } else if (o.command != nullptr && o.command->command == Command::Provision &&
                   (arg == u"--sites" || arg == u"--report" || arg == u"--count")) {
            if (const std::optional<int> exit = parseProvisionOption(arguments, k, o, session)) {
                return exit;
            }
        } else if (o.command != nullptr && o.command->command == Command::Monitor &&
                   (arg == u"--interval" || arg == u"--samples" || arg == u"--duration")) {
            if (const std::optional<int> exit = parseMonitorOption(arguments, k, o, session)) {
                return exit;
            }
        } else if (arg.startsWith(u"--")) {
            return session.usageError(QStringLiteral("unknown option %1").arg(arg));
        } else if (o.command == nullptr) {
            const auto known = std::find_if(Commands.begin(), Commands.end(), [&](const auto& c) {
                return arg == QLatin1StringView(c.name);
            });
            if (known == Commands.end()) {
                return session.usageError(QStringLiteral("unknown command %1").arg(arg));
            }
            o.command = &*known;
        } else if (o.command->takesFile && !o.file) {
            o.file = arg;
        } else {
            return session.usageError(QStringLiteral("unexpected argument %1").arg(arg));
        }
    }
    if (o.command == nullptr) {
        return session.usageError(QStringLiteral("no command given"));
    }
    if (o.all && !o.command->everyUnit) {
        return session.usageError(
            QStringLiteral("--all is not an option of %1").arg(QLatin1StringView(o.command->name)));
    }
    if (o.all && (o.unit || o.path) && o.command->command != Command::History) {
        return session.usageError(
            QStringLiteral("--all runs on every unit; leave out %1")
                .arg(o.unit ? QStringLiteral("--unit") : QStringLiteral("--path")));
    }
    if (o.command->command == Command::Monitor && !o.file) {
        o.file = QStringLiteral("-");
    }
    if (o.command->takesFile && !o.file) {
        return session.usageError(
            QStringLiteral("%1 needs %2")
                .arg(QLatin1StringView(o.command->name),
                     o.command->command == Command::Restore
                         ? QStringLiteral("an ENTRY")
                         : (o.command->command == Command::Provision ? QStringLiteral("a PROFILE")
                                                                     : QStringLiteral("a FILE"))));
    }
    return std::nullopt;
}

QString listLine(const UnitListing& unit) {
    return QStringLiteral("%1\t%2\t%3\t%4\n")
        .arg(unit.serial, unit.product, unit.path,
             unit.mayOpen ? QStringLiteral("ok") : QStringLiteral("no-access"));
}

// Several units answer to one serial number (or none): one of them could be
// written in the other's place.
void sayAlike(const std::vector<UnitListing>& units, const std::vector<std::size_t>& alike,
              Session& session) {
    QStringList paths;
    for (const std::size_t i : alike) {
        paths << units[i].path;
    }
    const QString serial = units[alike.front()].serial;
    const QString who =
        serial.isEmpty()
            ? (alike.size() == 1
                   ? QStringLiteral("a unit without a serial number")
                   : QStringLiteral("%1 units without a serial number").arg(alike.size()))
            : QStringLiteral("%1 units with the serial number \"%2\"")
                  .arg(alike.size())
                  .arg(serial);
    session.message(
        QStringLiteral("%1 cannot be told apart by --unit: %2; pick one with --path PATH")
            .arg(who, paths.join(QStringLiteral(", "))));
}

// The unit the command talks to, or nothing after saying why there is none.
std::optional<std::size_t> chooseUnit(const std::vector<UnitListing>& units,
                                      const std::optional<QString>& serial,
                                      const std::optional<QString>& path, Session& session) {
    std::vector<std::size_t> matching;
    for (std::size_t i = 0; i < units.size(); ++i) {
        if ((!serial || units[i].serial == *serial) && (!path || units[i].path == *path)) {
            matching.push_back(i);
        }
    }
    if (matching.size() == 1) {
        return matching.front();
    }
    if (matching.size() > 1 && (serial || path)) {
        sayAlike(units, matching, session);
        return std::nullopt;
    }
    if (path) {
        session.message(QStringLiteral("no unit with the device path %1 is present").arg(*path));
    } else if (serial) {
        session.message(QStringLiteral("no unit with serial number %1 is present").arg(*serial));
    } else if (units.empty()) {
        session.message(QStringLiteral("no unit is present"));
        return std::nullopt;
    } else {
        session.message(
            QStringLiteral("%1 units are present; pick one with --unit SERIAL").arg(units.size()));
    }
    for (const UnitListing& unit : units) {
        session.detail(listLine(unit).trimmed());
    }
    return std::nullopt;
}

QString jsonString(const QString& text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QString fixedPoint(std::int32_t value) {
    return jsonString(QString::fromStdU16String(protocol::formatFixedPoint(value, u".")));
}

template <typename T, std::size_t N, typename Write>
QString jsonArray(const std::array<T, N>& values, Write write) {
    QStringList items;
    for (const T& value : values) {
        items << write(value);
    }
    return u'[' + items.join(QStringLiteral(", ")) + u']';
}

// The status reply in the order of its bytes, with the names the tool's
// decoder gives its fields.
QString statusJson(const protocol::StatusReply& s) {
    const auto number = [](auto value) { return QString::number(value); };
    const std::vector<std::pair<const char*, QString>> members{
        {"gsmSignal", number(s.gsmSignal)},
        {"rssi", number(s.rssi)},
        {"digitalInputs", jsonArray(s.digitalInputs, number)},
        {"relay", number(s.relay)},
        {"adRaw", jsonArray(s.adRaw, number)},
        {"smsSent", number(s.smsSent)},
        {"smsReceived", number(s.smsReceived)},
        {"adValue", jsonArray(s.adValue, fixedPoint)},
        {"phoneNumber", jsonString(QString::fromStdU16String(s.phoneNumber))},
        {"mainState", number(s.mainState)},
        {"smsListState", number(s.smsListState)},
        {"gsmInitState", number(s.gsmInitState)},
        {"gsmLiveRemaining", number(s.gsmLiveRemaining)},
        {"usartDataReady", number(s.usartDataReady)},
        {"raportSmsState", number(s.raportSmsState)},
        {"sendSmsTextState", number(s.sendSmsTextState)},
        {"networkState", number(s.networkState)},
        {"callFunction", s.callFunctionOn ? QStringLiteral("true") : QStringLiteral("false")},
        {"anAlarmDebounceCounter", number(s.anAlarmDebounceCounter)},
    };
    QStringList lines;
    for (const auto& [key, value] : members) {
        lines << QStringLiteral("  \"%1\": %2").arg(QLatin1StringView(key), value);
    }
    return QStringLiteral("{\n") + lines.join(QStringLiteral(",\n")) + QStringLiteral("\n}\n");
}

QString nativePath(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// Where a command's file goes: a file written all or nothing, or the results.
class Output {
public:
    // False with a message when the file cannot be created.
    bool open(const QString& path, Session& session) {
        if (path == u"-") {
            return true;
        }
        file_ = std::make_unique<QSaveFile>(path);
        if (!file_->open(QIODevice::WriteOnly)) {
            session.message(QStringLiteral("cannot create file \"%1\": %2")
                                .arg(nativePath(path), file_->errorString()));
            return false;
        }
        return true;
    }

    // False with a message when the file could not be written.
    bool write(const QByteArray& bytes, Session& session) {
        if (!file_) {
            session.result(bytes);
            return true;
        }
        if (file_->write(bytes) != bytes.size() || !file_->commit()) {
            session.message(QStringLiteral("error writing file \"%1\": %2")
                                .arg(nativePath(file_->fileName()), file_->errorString()));
            return false;
        }
        return true;
    }

private:
    std::unique_ptr<QSaveFile> file_;
};

int stopped(Session& session, const QString& why) {
    session.message(why);
    return NotAnswering;
}

int info(profile::UnitExchange& exchange, const UnitListing& unit, Session& session) {
    const std::array groups{profile::Group::Firmware};
    const profile::UnitRead read = profile::readUnit(exchange, groups);
    if (read.stopped) {
        return stopped(session, read.stopped->text());
    }
    session.result(QStringLiteral("firmware: %1\nserial: %2\n")
                       .arg(QString::fromStdU16String(*read.profile.firmware), unit.serial));
    return Done;
}

int status(profile::UnitExchange& exchange, Session& session) {
    const auto reply =
        profile::ask(exchange, protocol::requestStatus(), protocol::ReplyKind::Status);
    if (!reply) {
        return stopped(session, QStringLiteral("the unit %1 while reading its status")
                                    .arg(exchange.present() ? QStringLiteral("stopped answering")
                                                            : QStringLiteral("left")));
    }
    session.result(statusJson(protocol::decodeStatus(*reply)));
    return Done;
}

int readProfile(profile::UnitExchange& exchange, const UnitListing& unit, Output& output,
                Session& session) {
    profile::UnitRead read =
        profile::readUnit(exchange, profile::AllGroups, session.progressHandler());
    if (read.stopped) {
        return stopped(session, read.stopped->text() + QStringLiteral("; nothing was saved"));
    }
    read.profile.serial = unit.serial.toStdU16String();
    const std::vector<profile::ProfileFault> faults = profile::checkProfile(read.profile);
    if (!faults.empty()) {
        session.message(QStringLiteral(
            "warning: saved as read, but the unit would refuse these values if written back:"));
        for (const profile::ProfileFault& fault : faults) {
            session.detail(fault.text());
        }
    }
    return output.write(profile::writeProfile(read.profile), session) ? Done : UsageError;
}

int writeProfile(profile::UnitExchange& exchange, const profile::UnitProfile& file,
                 Session& session) {
    const profile::UnitWrite write = profile::writeUnit(exchange, file, session.progressHandler());
    session.endProgress();
    const QStringList groups = profile::describeWrite(write);
    switch (write.outcome) {
        case profile::UnitWrite::Outcome::Refused:
            session.message(QStringLiteral("the profile is refused:"));
            for (const profile::ProfileFault& fault : write.faults) {
                session.detail(fault.text());
            }
            return UsageError;
        case profile::UnitWrite::Outcome::Stopped:
            session.message(write.stopped.text() + QStringLiteral("; the unit now holds:"));
            for (const QString& line : groups) {
                session.detail(line);
            }
            return NotAnswering;
        case profile::UnitWrite::Outcome::Matches:
        case profile::UnitWrite::Outcome::Differs:
            break;
    }
    for (const QString& line : groups) {
        session.result(line + u'\n');
    }
    for (const profile::Difference& difference : write.differences) {
        session.result(difference.text() + u'\n');
    }
    if (write.outcome == profile::UnitWrite::Outcome::Differs) {
        session.message(QStringLiteral("the unit does not hold the profile after writing it"));
        return Differs;
    }
    return Done;
}

// A profile made from another unit is no fault, but the user may not know.
void warnOfAnotherUnit(const profile::UnitProfile& file, const UnitListing& unit,
                       Session& session) {
    if (file.serial && QString::fromStdU16String(*file.serial) != unit.serial) {
        session.message(QStringLiteral("warning: the profile was made from the unit %1; this is %2")
                            .arg(QString::fromStdU16String(*file.serial), unit.serial));
    }
}

// Keeps in the unit's history what it holds before `reason` changes it.
// Nothing when the command may go on; otherwise its exit status, nothing
// having been written.
std::optional<int> backUp(profile::UnitExchange& exchange, const UnitListing& unit,
                          profile::BackupReason reason, Session& session) {
    const profile::UnitHistory history;
    if (const auto fault = history.prepare(unit.serial)) {
        session.message(fault->text() +
                        QStringLiteral("; nothing was sent (--no-backup writes without one)"));
        return UsageError;
    }
    const profile::UnitRead read =
        profile::readUnit(exchange, profile::AllGroups, session.progressHandler());
    if (read.stopped) {
        return stopped(
            session, read.stopped->text() + QStringLiteral(" for the backup; nothing was written"));
    }
    const profile::UnitHistory::Added added = history.add(unit.serial, reason, read.profile);
    if (added.fault) {
        session.message(added.fault->text() +
                        QStringLiteral("; nothing was written (--no-backup writes without one)"));
        return UsageError;
    }
    session.message(QStringLiteral("backup: %1").arg(nativePath(added.entry->path)));
    return std::nullopt;
}

int history(const std::optional<QString>& serial, bool all, Session& session) {
    const profile::UnitHistory history;
    std::vector<QString> units = all ? history.units() : std::vector<QString>{*serial};
    for (const QString& unit : units) {
        for (const profile::HistoryEntry& entry : history.entries(unit)) {
            session.result((all ? unit + u'\t' : QString()) +
                           QStringLiteral("%1\t%2\t%3\t%4\n")
                               .arg(entry.fileName,
                                    entry.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                                    entry.reason, entry.firmware));
        }
    }
    return Done;
}

int verifyProfile(profile::UnitExchange& exchange, const UnitListing& unit,
                  const profile::UnitProfile& file, Session& session) {
    warnOfAnotherUnit(file, unit, session);
    std::vector<profile::Group> groups = profile::groupsOf(file);
    std::erase(groups, profile::Group::Firmware);
    const profile::UnitRead read = profile::readUnit(exchange, groups, session.progressHandler());
    if (read.stopped) {
        return stopped(session, read.stopped->text());
    }
    const std::vector<profile::Difference> differences =
        profile::compareProfiles(read.profile, file);
    for (const profile::Difference& difference : differences) {
        session.result(difference.text() + u'\n');
    }
    if (!differences.empty()) {
        session.message(
            QStringLiteral("the unit differs from the profile in %1 %2")
                .arg(differences.size())
                .arg(differences.size() == 1 ? QStringLiteral("value") : QStringLiteral("values")));
        return Differs;
    }
    return Done;
}

int readMemory(profile::UnitExchange& exchange, Output& output, Session& session) {
    const profile::MemoryRead read = profile::readMemory(exchange, session.progressHandler());
    if (read.stopped) {
        return stopped(session, read.stopped->text() + QStringLiteral("; nothing was saved"));
    }
    const QByteArray image(reinterpret_cast<const char*>(read.image.data()),
                           static_cast<qsizetype>(read.image.size()));
    return output.write(image, session) ? Done : UsageError;
}

// The samples go to a file only once there is a unit to take them from, so
// that a run without one leaves an earlier recording as it was.
int monitorUnit(UnitConnection& connection, const UnitListing& unit, const Options& o,
                Session& session) {
    CsvRecorder recorder;
    const bool toOutput = *o.file == u"-";
    if (!(toOutput ? recorder.attach(session.out()) : recorder.open(*o.file))) {
        session.message(
            QStringLiteral("cannot write the samples to \"%1\": %2")
                .arg(toOutput ? QStringLiteral("-") : nativePath(*o.file), recorder.errorString()));
        return UsageError;
    }
    MonitorVoice voice;
    voice.message = [&session](const QString& text) { session.message(text); };
    if (session.showsProgress()) {
        voice.progress = [&session](const QString& line) { session.progress(line); };
        if (toOutput) {
            voice.beforeLine = [&session] { session.endProgress(); };
        }
    }
    const int exit = monitor(connection, unit.serial, recorder, o.monitor, voice);
    recorder.close();
    return exit;
}

// The profile a command writes or compares with, or nothing after naming
// every fault that refuses it: a write needs a profile that the unit takes
// whole; a comparison only one that is well-formed.
std::optional<profile::UnitProfile> profileToUse(const QString& path, bool forWriting,
                                                 Session& session, QIODevice* input) {
    const bool fromInput = path == u"-";
    QBuffer nothing;
    nothing.open(QIODevice::ReadOnly);
    profile::ProfileReadResult loaded =
        fromInput ? profile::loadProfile(input != nullptr ? *input : nothing,
                                         QStringLiteral("standard input"))
                  : profile::loadProfile(path);
    std::vector<profile::ProfileFault> faults = std::move(loaded.faults);
    if (loaded.profile && !profile::holdsSettings(*loaded.profile)) {
        faults.push_back(profile::noSettingsFault());
    } else if (loaded.profile && forWriting) {
        faults = profile::checkProfile(*loaded.profile);
    }
    if (faults.empty() && loaded.profile) {
        return std::move(loaded.profile);
    }
    session.message(QStringLiteral("the profile %1 is refused:")
                        .arg(fromInput ? QStringLiteral("on standard input")
                                       : QStringLiteral("\"%1\"").arg(nativePath(path))));
    for (const profile::ProfileFault& fault : faults) {
        session.detail(fault.text());
    }
    return std::nullopt;
}

// The command on `unit`, opened on `connection`.
int onUnit(const Options& o, UnitConnection& connection, const UnitListing& unit,
           const std::optional<profile::UnitProfile>& file, Output& output, Session& session) {
    const Command command = o.command->command;
    if (command == Command::Monitor) {
        return monitorUnit(connection, unit, o, session);
    }
    profile::UnitExchange& exchange = connection.exchange();
    switch (command) {
        case Command::Info:
            return info(exchange, unit, session);
        case Command::Status:
            return status(exchange, session);
        case Command::ReadProfile:
            return readProfile(exchange, unit, output, session);
        case Command::WriteProfile:
        case Command::Restore: {
            if (command == Command::Restore) {
                warnOfAnotherUnit(*file, unit, session);
            }
            const auto reason = command == Command::Restore
                                    ? profile::BackupReason::BeforeRestore
                                    : profile::BackupReason::BeforeProfileWrite;
            if (!o.noBackup) {
                if (const std::optional<int> exit = backUp(exchange, unit, reason, session)) {
                    return *exit;
                }
            }
            return writeProfile(exchange, *file, session);
        }
        case Command::VerifyProfile:
            return verifyProfile(exchange, unit, *file, session);
        case Command::ReadMemory:
            return readMemory(exchange, output, session);
        case Command::List:
        case Command::History:
        case Command::Monitor:
        case Command::Provision:
            break;
    }
    return Done;
}

// Each line of `bytes` with `prefix` before it.
QByteArray prefixLines(const QByteArray& bytes, const QByteArray& prefix) {
    QByteArray lines;
    for (const QByteArray& line : bytes.split('\n')) {
        if (!line.isEmpty()) {
            lines += prefix + line + '\n';
        }
    }
    return lines;
}

// The units present now, or nothing after saying why they cannot all be
// worked on: none, or some that no serial number tells apart, whose files
// and history would be mixed up.
std::optional<std::vector<UnitListing>> everyUnit(SharedHidPlatform& platforms, Session& session) {
    const std::unique_ptr<HidPlatform> platform = platforms.view();
    QtUiThread uiThread;
    const UnitConnection connection(*platform, uiThread, nullptr);
    const std::vector<UnitListing>& units = connection.units();
    if (units.empty()) {
        session.message(QStringLiteral("no unit is present"));
        return std::nullopt;
    }
    bool apart = true;
    for (std::size_t i = 0; i < units.size(); ++i) {
        std::vector<std::size_t> alike;
        for (std::size_t j = 0; j < units.size(); ++j) {
            if (units[j].serial == units[i].serial) {
                alike.push_back(j);
            }
        }
        if ((alike.size() > 1 && alike.front() == i) || units[i].serial.isEmpty()) {
            sayAlike(units, alike, session);
            apart = false;
        }
    }
    if (!apart) {
        return std::nullopt;
    }
    return units;
}

// The command on every unit at once, each on a thread of its own; their
// results and messages, each line naming its unit, in the order of the
// units. The exit status is the highest of the units'.
int onEveryUnit(const Options& o, const std::optional<profile::UnitProfile>& file,
                HidPlatform& platform, TTraceWriter* trace, Session& session) {
    const Command command = o.command->command;
    const bool toFolder = command == Command::ReadProfile || command == Command::ReadMemory;
    const QString suffix =
        command == Command::ReadProfile ? QStringLiteral(".json") : QStringLiteral(".bin");
    if (toFolder && (*o.file == u"-" || !QDir().mkpath(*o.file))) {
        session.message(QStringLiteral("%1 --all needs a folder to write each unit's file to; "
                                       "\"%2\" cannot be one")
                            .arg(QLatin1StringView(o.command->name), nativePath(*o.file)));
        return UsageError;
    }
    SharedHidPlatform platforms(platform);
    const std::optional<std::vector<UnitListing>> units = everyUnit(platforms, session);
    if (!units) {
        return NoUnit;
    }
    std::vector<std::unique_ptr<UnitWorker>> workers;
    for (const UnitListing& unit : *units) {
        const QString path =
            toFolder
                ? QDir(*o.file).filePath(profile::UnitHistory::folderName(unit.serial) + suffix)
                : QString();
        workers.push_back(std::make_unique<UnitWorker>(
            platforms, unit, trace, [&o, &file, unit, path](UnitConnection& c, Streams& s) {
                Session unitSession(s, unit.serial);
                Output output;
                if (!path.isEmpty() && !output.open(path, unitSession)) {
                    return int(UsageError);
                }
                return onUnit(o, c, unit, file, output, unitSession);
            }));
    }
    int exit = Done;
    for (const std::unique_ptr<UnitWorker>& worker : workers) {
        worker->join();
        session.result(prefixLines(worker->out(), worker->unit().serial.toUtf8() + '\t'));
        session.error(worker->err());
        exit = std::max(exit, worker->exit());
    }
    return exit;
}

// Names every fault of `what`, a file the command was given.
void refuse(const QString& what, const std::vector<profile::SiteFault>& faults, Session& session) {
    session.message(QStringLiteral("%1 is refused:").arg(what));
    for (const profile::SiteFault& fault : faults) {
        session.detail(fault.text());
    }
}

// What the station needs, or nothing after naming every fault of the profile
// and the site list: what no unit could be given is refused before any
// arrives.
std::optional<ProvisionSettings> stationSettings(const Options& o, Session& session) {
    std::optional<profile::SiteList> sites;
    if (o.sites) {
        profile::SiteListResult loaded = profile::loadSiteList(*o.sites);
        if (!loaded.sites) {
            refuse(QStringLiteral("the site list \"%1\"").arg(nativePath(*o.sites)), loaded.faults,
                   session);
            return std::nullopt;
        }
        sites = std::move(loaded.sites);
    }
    const QString name = QFileInfo(*o.file).fileName();
    QFile file(*o.file);
    if (!file.open(QIODevice::ReadOnly)) {
        session.message(QStringLiteral("cannot open file \"%1\": %2")
                            .arg(nativePath(*o.file), file.errorString()));
        return std::nullopt;
    }
    const QByteArray document = profile::readAtMost(file, profile::MaxProfileFileSize);
    if (document.size() > profile::MaxProfileFileSize || file.error() != QFileDevice::NoError) {
        session.message(
            QStringLiteral("cannot read file \"%1\": %2")
                .arg(nativePath(*o.file), file.error() != QFileDevice::NoError
                                              ? file.errorString()
                                              : QStringLiteral("larger than a profile can be")));
        return std::nullopt;
    }
    profile::SiteTemplateResult read =
        profile::SiteTemplate::read(document, name, sites ? &*sites : nullptr);
    if (!read.siteTemplate) {
        refuse(QStringLiteral("the profile \"%1\"").arg(nativePath(*o.file)), read.faults, session);
        return std::nullopt;
    }
    const profile::SiteProfileResult trial = read.siteTemplate->fill(nullptr);
    if (trial.profile && !profile::holdsSettings(*trial.profile)) {
        refuse(QStringLiteral("the profile \"%1\"").arg(nativePath(*o.file)),
               {{name, {}, profile::noSettingsFault().message}}, session);
        return std::nullopt;
    }
    ProvisionSettings settings;
    auto assigner = std::make_shared<profile::SiteAssigner>(sites ? &*sites : nullptr);
    settings.assign = [assigner, siteTemplate = std::move(*read.siteTemplate),
                       sites](const QString& serial) {
        Assignment assignment;
        const profile::SiteAssigner::Assignment row = assigner->assign(serial);
        if (row.fault) {
            assignment.faults << row.fault->text();
            return assignment;
        }
        if (row.row != nullptr) {
            assignment.site = sites->label(*row.row);
            assignment.row = sites->place(*row.row);
        }
        profile::SiteProfileResult filled = siteTemplate.fill(row.row);
        for (const profile::SiteFault& fault : filled.faults) {
            assignment.faults << fault.text();
        }
        assignment.profile = std::move(filled.profile);
        return assignment;
    };
    settings.report = o.report;
    settings.count = o.count;
    settings.noBackup = o.noBackup;
    return settings;
}

int execute(const Options& o, Session& session, HidPlatform* systemPlatform, QIODevice* input) {
    const Command command = o.command->command;
    // What needs no unit comes first, so that a refusal sends nothing.
    std::optional<profile::UnitProfile> file;
    if (command == Command::WriteProfile || command == Command::VerifyProfile) {
        file = profileToUse(*o.file, command == Command::WriteProfile, session, input);
        if (!file) {
            return UsageError;
        }
    }
    std::optional<ProvisionSettings> station;
    if (command == Command::Provision) {
        station = stationSettings(o, session);
        if (!station) {
            return UsageError;
        }
    }
    Output output;
    if ((command == Command::ReadProfile || command == Command::ReadMemory) && !o.all &&
        !output.open(*o.file, session)) {
        return UsageError;
    }
    // A unit's history is looked at without the unit.
    if (command == Command::History && (o.all || o.unit)) {
        return history(o.unit, o.all, session);
    }

    std::unique_ptr<HidPlatform> ownPlatform;
    std::vector<std::unique_ptr<SimUnitDevice>> simulatedUnits;
    if (o.simulatedUnits) {
        auto simulated = std::make_unique<SimHidPlatform>();
        simulatedUnits = attachDemoUnits(*simulated, *o.simulatedUnits);
        startWandering(simulatedUnits);
        ownPlatform = std::move(simulated);
    } else if (systemPlatform == nullptr) {
        ownPlatform = createSystemHidPlatform();
    }
    HidPlatform& platform = ownPlatform ? *ownPlatform : *systemPlatform;

    TTraceWriter trace;
    if (o.traceFile) {
        QString error;
        if (!trace.open(*o.traceFile, error)) {
            session.message(QStringLiteral("cannot write the trace to \"%1\": %2")
                                .arg(nativePath(*o.traceFile), error));
            return UsageError;
        }
    }
    TTraceWriter* const traceTo = o.traceFile ? &trace : nullptr;
    if (command == Command::Provision) {
        return provision(platform, traceTo, *station, session.streams());
    }
    if (o.all && command != Command::History) {
        return onEveryUnit(o, file, platform, traceTo, session);
    }
    QtUiThread uiThread;
    UnitConnection connection(platform, uiThread, traceTo);
    if (command == Command::List) {
        for (const UnitListing& unit : connection.units()) {
            session.result(listLine(unit));
        }
        return Done;
    }
    const std::optional<std::size_t> chosen =
        chooseUnit(connection.units(), o.unit, o.path, session);
    if (!chosen) {
        return NoUnit;
    }
    // A copy: the list is made anew whenever the devices change.
    const UnitListing unit = connection.units()[*chosen];
    if (command == Command::History) {
        return history(unit.serial, false, session);
    }
    if (command == Command::Restore) {
        const std::optional<profile::HistoryEntry> entry =
            profile::UnitHistory().find(unit.serial, *o.file);
        if (!entry) {
            session.message(QStringLiteral("the unit %1 has no history entry %2; see history")
                                .arg(unit.serial, *o.file));
            return UsageError;
        }
        file = profileToUse(entry->path, true, session, nullptr);
        if (!file) {
            return UsageError;
        }
    }
    if (!connection.open(*chosen)) {
        session.message(noAccessMessage(unit.displayName()));
        return NoUnit;
    }
    return onUnit(o, connection, unit, file, output, session);
}

}  // namespace

int run(const QStringList& arguments, Streams& streams, HidPlatform* platform) {
    Session session(streams);
    Options options;
    if (const std::optional<int> exit = parse(arguments, options, session)) {
        return *exit;
    }
    const int exit = execute(options, session, platform, streams.in);
    session.endProgress();
    return exit;
}

}  // namespace cli
