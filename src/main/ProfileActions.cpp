#include "main/ProfileActions.h"

#include "profile/ProfileFile.h"
#include "profile/ProfileGroups.h"
#include "profile/UnitOperations.h"
#include "widgets/DialogService.h"
#include "widgets/FileProposal.h"
#include "widgets/ScreenFit.h"
#include "windows/ProfileDiff.h"
#include "windows/ProfileTexts.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

const QList<DialogService::FileFilter> ProfileFilters = {
    {QStringLiteral("Profil *.json"), QStringLiteral("*.json")},
    {QStringLiteral("All Files *.*"), QStringLiteral("*.*")}};

// The lines of a list message: a few dozen at most, so that the box fits on
// the screen; the rest are counted.
constexpr qsizetype MaxListedLines = 30;

QString listed(QStringList lines) {
    if (lines.size() > MaxListedLines) {
        const qsizetype rest = lines.size() - MaxListedLines;
        lines.resize(MaxListedLines);
        lines << QStringLiteral("... i još %1").arg(rest);
    }
    return lines.join(u'\n');
}

// A history entry's profile, or nothing after a message naming the entry
// and its faults.
std::optional<profile::UnitProfile> loadEntry(const profile::HistoryEntry& entry) {
    profile::ProfileReadResult file = profile::loadProfile(entry.path);
    if (!file.profile) {
        DialogService::instance().error(
            QStringLiteral("Zapis istorije \"%1\" ne može da se pročita.\n\n%2")
                .arg(QDir::toNativeSeparators(entry.path),
                     listed(ProfileTexts::faultTexts(file.faults))));
    }
    return std::move(file.profile);
}

// "Imenik, zapis 13: napomena: uređaj "Dom", datoteka "Servis"".
QStringList differenceTexts(const std::vector<profile::Difference>& differences) {
    QStringList lines;
    for (const profile::Difference& d : differences) {
        lines << QStringLiteral("%1: uređaj %2, datoteka %3")
                     .arg(ProfileTexts::fieldName(d.path),
                          ProfileTexts::valueText(d.unitValue, d.kind),
                          ProfileTexts::valueText(d.fileValue, d.kind));
    }
    return lines;
}

}  // namespace

ProfileActions::ProfileActions(QWidget& window, Sender sender, ShowInWindows showInWindows,
                               Serial serial)
    : window_(window),
      sender_(std::move(sender)),
      showInWindows_(std::move(showInWindows)),
      serial_(std::move(serial)) {}

ProfileActions::~ProfileActions() = default;

void ProfileActions::replyArrived(const protocol::Reply& reply) {
    if (exchange_ != nullptr) {
        exchange_->replyArrived(reply);
    }
}

void ProfileActions::unitLeft() {
    if (exchange_ != nullptr) {
        exchange_->unitLeft();
    }
}

// Runs `operation(exchange, progress)` with a progress dialog; answers its
// result and whether the user cancelled it.
template <typename Operation>
auto ProfileActions::run(const QString& title, bool cancellable, Operation operation) {
    QProgressDialog dialog(&window_);
    dialog.setWindowTitle(title);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setMinimumDuration(0);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog.setMinimumWidth(360);
    if (cancellable) {
        dialog.setCancelButtonText(QStringLiteral("Odustani"));
    } else {
        dialog.setCancelButton(nullptr);
    }
    exchange_ = std::make_unique<profile::EventLoopExchange>(sender_);
    if (cancellable) {
        QObject::connect(&dialog, &QProgressDialog::canceled, &dialog,
                         [exchange = exchange_.get()] { exchange->cancel(); });
    }
    dialog.show();
    auto result = operation(*exchange_, [&dialog](const profile::Progress& progress) {
        dialog.setLabelText(ProfileTexts::progressText(progress));
        dialog.setMaximum(static_cast<int>(progress.count));
        dialog.setValue(static_cast<int>(progress.done));
    });
    const bool cancelled = exchange_->cancelled();
    exchange_.reset();
    return std::pair{std::move(result), cancelled};
}

std::optional<profile::UnitProfile> ProfileActions::readWholeUnit(const QString& title,
                                                                  const QString& notDone) {
    auto [read, cancelled] = run(
        title, true, [](profile::UnitExchange& exchange, const profile::ProgressHandler& progress) {
            return profile::readUnit(exchange, profile::AllGroups, progress);
        });
    if (cancelled) {
        return std::nullopt;
    }
    if (read.stopped) {
        DialogService::instance().error(QStringLiteral("Čitanje uređaja nije završeno (%1).%2")
                                            .arg(ProfileTexts::stopText(*read.stopped), notDone));
        return std::nullopt;
    }
    return std::move(read.profile);
}

void ProfileActions::saveProfile() {
    DialogService& dialogs = DialogService::instance();
    std::optional<profile::UnitProfile> unit =
        readWholeUnit(QStringLiteral("Čitanje profila"), QStringLiteral(" Profil nije sačuvan."));
    if (!unit) {
        return;
    }
    const QString serial = serial_();
    unit->serial = serial.toStdU16String();
    // A text longer than the unit accepts is kept as read, but the user should
    // know that this profile cannot be written back as it is.
    const std::vector<profile::ProfileFault> faults = profile::checkProfile(*unit);
    if (!faults.empty() &&
        dialogs.warningOkCancel(
            QStringLiteral("Uređaj sadrži vrednosti koje se ne mogu upisati nazad:\n%1\n\n"
                           "Profil se može sačuvati, ali se ne može upisati dok se one ne "
                           "isprave. Sačuvati ga?")
                .arg(listed(ProfileTexts::faultTexts(faults)))) != DialogService::Answer::Ok) {
        return;
    }
    const QString path = dialogs.saveFileName(
        QStringLiteral("Sačuvaj profil"), ProfileFilters, QStringLiteral("json"),
        FileProposal::inLastFolder(
            FileProposal::fileName(serial, QDateTime::currentDateTime(), QStringLiteral("json"))));
    FileProposal::chosen(path);
    if (path.isEmpty()) {
        return;
    }
    if (const auto fault = profile::saveProfile(path, *unit)) {
        dialogs.error(ProfileTexts::faultText(*fault));
        return;
    }
    const profile::UnitHistory::Added added =
        history_.add(serial, profile::BackupReason::Saved, *unit);
    if (added.fault) {
        dialogs.error(QStringLiteral("Profil je sačuvan, ali zapis u istoriji uređaja nije "
                                     "napravljen: %1.")
                          .arg(ProfileTexts::historyFaultText(*added.fault)));
    }
}

void ProfileActions::loadProfile() {
    DialogService& dialogs = DialogService::instance();
    const QString path = dialogs.openFileName(QStringLiteral("Učitaj profil"), ProfileFilters,
                                              FileProposal::lastFolder());
    FileProposal::chosen(path);
    if (path.isEmpty()) {
        return;
    }
    profile::ProfileReadResult file = profile::loadProfile(path);
    if (file.profile && !profile::holdsSettings(*file.profile)) {
        file = {std::nullopt, {profile::noSettingsFault()}};
    }
    if (!file.profile) {
        dialogs.error(
            QStringLiteral("Profil \"%1\" nije učitan; u uređaj nije ništa poslato.\n\n%2")
                .arg(QDir::toNativeSeparators(path),
                     listed(ProfileTexts::faultTexts(file.faults))));
        return;
    }
    const std::optional<profile::UnitRead> read = readGroupsOf(*file.profile);
    if (!read) {
        return;
    }
    QString note;
    const QString serial = serial_();
    if (file.profile->serial && QString::fromStdU16String(*file.profile->serial) != serial) {
        note = QStringLiteral("Profil je napravljen od uređaja %1, a povezan je uređaj %2.")
                   .arg(QString::fromStdU16String(*file.profile->serial), serial);
    }
    if (profile::compareProfiles(read->profile, *file.profile).empty()) {
        dialogs.info((note.isEmpty() ? QString() : note + u'\n') +
                     QStringLiteral("Uređaj već sadrži sve vrednosti iz profila."));
        return;
    }
    showDifferences(QStringLiteral("Profil: %1").arg(QFileInfo(path).fileName()), note,
                    read->profile, *file.profile, true, profile::BackupReason::BeforeProfileWrite);
}

void ProfileActions::compareWithEntry(const profile::HistoryEntry& entry, bool restore) {
    DialogService& dialogs = DialogService::instance();
    const QString serial = serial_();
    if (entry.serial != serial &&
        dialogs.warningYesNo(
            QStringLiteral("Zapis istorije je napravljen od uređaja %1, a "
                           "povezan je uređaj %2. %3 ga ipak sa ovim uređajem?")
                .arg(entry.serial, serial,
                     restore ? QStringLiteral("Vratiti") : QStringLiteral("Uporediti"))) !=
            DialogService::Answer::Yes) {
        return;
    }
    const std::optional<profile::UnitProfile> file = loadEntry(entry);
    if (!file) {
        return;
    }
    const std::optional<profile::UnitRead> read = readGroupsOf(*file);
    if (!read) {
        return;
    }
    if (profile::compareProfiles(read->profile, *file).empty()) {
        dialogs.info(QStringLiteral("Uređaj već sadrži sve vrednosti iz zapisa istorije."));
        return;
    }
    showDifferences(QStringLiteral("Istorija: %1").arg(entry.fileName), QString(), read->profile,
                    *file, restore, profile::BackupReason::BeforeRestore);
}

std::optional<profile::UnitRead> ProfileActions::readGroupsOf(const profile::UnitProfile& file) {
    std::vector<profile::Group> groups = profile::groupsOf(file);
    std::erase(groups, profile::Group::Firmware);
    auto [read, cancelled] =
        run(QStringLiteral("Čitanje uređaja"), true,
            [&groups](profile::UnitExchange& exchange, const profile::ProgressHandler& progress) {
                return profile::readUnit(exchange, groups, progress);
            });
    if (cancelled) {
        return std::nullopt;
    }
    if (read.stopped) {
        DialogService::instance().error(
            QStringLiteral("Čitanje uređaja nije završeno (%1). U uređaj nije ništa upisano.")
                .arg(ProfileTexts::stopText(*read.stopped)));
        return std::nullopt;
    }
    return std::move(read);
}

void ProfileActions::showDifferences(const QString& title, const QString& note,
                                     const profile::UnitProfile& unit,
                                     const profile::UnitProfile& file, bool writable,
                                     profile::BackupReason reason) {
    TfrmProfileDiff diff(title, note, profile::compareProfiles(unit, file), writable, &window_);
    ScreenFit::fitToScreen(diff, true);
    QObject::connect(&diff, &TfrmProfileDiff::writeRequested, &diff,
                     [&] { writeChosen(diff, unit, file, reason); });
    diff.exec();
}

void ProfileActions::writeChosen(TfrmProfileDiff& diff, const profile::UnitProfile& unit,
                                 const profile::UnitProfile& file, profile::BackupReason reason) {
    const Backup backup = backUpUnit(reason);
    if (!backup.proceed) {
        return;
    }
    const std::vector<profile::Difference> rows = profile::compareProfiles(unit, file);
    const std::vector<profile::Difference> chosen = diff.chosen();
    // The backup's read is the newest view of the unit: what stays as the
    // unit holds it comes from there.
    const profile::ChosenWrite change =
        profile::chosenWrite(backup.unit.value_or(unit), file, chosen);
    const auto [write, cancelled] =
        run(QStringLiteral("Upisivanje"), false,
            [&change](profile::UnitExchange& exchange, const profile::ProgressHandler& progress) {
                return profile::writeUnit(exchange, change.profile, progress, change.records);
            });
    if (write.outcome == profile::UnitWrite::Outcome::Matches ||
        write.outcome == profile::UnitWrite::Outcome::Differs) {
        const std::vector<profile::Group> readBack = profile::groupsOf(write.readBack);
        std::vector<bool> matches;
        for (const profile::Difference& row : rows) {
            const std::optional<profile::Group> group = profile::groupOfPath(row.path);
            bool match = false;
            if (group && std::find(readBack.begin(), readBack.end(), *group) != readBack.end()) {
                const std::vector<profile::Difference> still =
                    profile::compareGroup(*group, write.readBack, file);
                match = std::none_of(still.begin(), still.end(),
                                     [&](const auto& d) { return d.path == row.path; });
            }
            matches.push_back(match);
        }
        diff.showWritten(matches);
    }
    reportWrite(write, chosen.size() == rows.size()
                           ? QStringLiteral("Profil je upisan i pročitan nazad: uređaj sada "
                                            "sadrži sve vrednosti iz profila.")
                           : QStringLiteral("Označene vrednosti su upisane i pročitane nazad: "
                                            "uređaj ih sada sadrži."));
}

void ProfileActions::reportWrite(const profile::UnitWrite& write, const QString& done) {
    DialogService& dialogs = DialogService::instance();
    switch (write.outcome) {
        case profile::UnitWrite::Outcome::Matches:
            showInWindows_(write.readBack);
            dialogs.info(done);
            break;
        case profile::UnitWrite::Outcome::Differs:
            showInWindows_(write.readBack);
            dialogs.error(QStringLiteral("Upisano je, ali uređaj posle upisa sadrži druge "
                                         "vrednosti:\n%1")
                              .arg(listed(differenceTexts(write.differences))));
            break;
        case profile::UnitWrite::Outcome::Stopped:
            dialogs.error(QStringLiteral("Upis nije završen (%1).\n\n%2\n\nPokrenite upis ponovo "
                                         "kada uređaj bude spreman.")
                              .arg(ProfileTexts::stopText(write.stopped),
                                   ProfileTexts::writeStates(write).join(u'\n')));
            break;
        case profile::UnitWrite::Outcome::Refused:
            dialogs.error(QStringLiteral("Profil ne može da se upiše; u uređaj nije ništa "
                                         "poslato.\n\n%1")
                              .arg(listed(ProfileTexts::faultTexts(write.faults))));
            break;
    }
}

ProfileActions::Backup ProfileActions::backUpUnit(profile::BackupReason reason) {
    DialogService& dialogs = DialogService::instance();
    const auto withoutBackup = [&dialogs](const QString& failure) {
        return dialogs.warningYesNo(QStringLiteral("Rezervna kopija podešavanja nije napravljena: "
                                                   "%1.\n\nNastaviti bez rezervne kopije?")
                                        .arg(failure)) == DialogService::Answer::Yes;
    };
    // A history that cannot be written is known before the unit is read.
    if (const auto fault = history_.prepare(serial_())) {
        return {withoutBackup(ProfileTexts::historyFaultText(*fault)), std::nullopt, std::nullopt};
    }
    const bool withMemory = reason == profile::BackupReason::BeforeFormat;
    struct Read {
        profile::UnitRead unit;
        std::optional<profile::MemoryRead> memory;
    };
    const auto [read, cancelled] = run(
        QStringLiteral("Rezervna kopija podešavanja"), true,
        [withMemory](profile::UnitExchange& exchange, const profile::ProgressHandler& progress) {
            Read r{profile::readUnit(exchange, profile::AllGroups, progress), std::nullopt};
            if (!r.unit.stopped && withMemory) {
                r.memory = profile::readMemory(exchange, progress);
            }
            return r;
        });
    if (cancelled) {
        return {};
    }
    std::optional<profile::Stop> stopped = read.unit.stopped;
    if (!stopped && read.memory) {
        stopped = read.memory->stopped;
    }
    if (stopped && stopped->left) {
        dialogs.error(
            QStringLiteral("Uređaj je isključen tokom čitanja za rezervnu kopiju; u "
                           "uređaj nije ništa poslato."));
        return {};
    }
    QString failure;
    if (stopped) {
        failure = ProfileTexts::stopText(*stopped);
    } else {
        profile::UnitHistory::Added added = history_.add(
            serial_(), reason, read.unit.profile, read.memory ? &read.memory->image : nullptr);
        if (!added.fault) {
            return {true, read.unit.profile, std::move(added.entry)};
        }
        failure = ProfileTexts::historyFaultText(*added.fault);
    }
    return {withoutBackup(failure), stopped ? std::nullopt : std::optional(read.unit.profile),
            std::nullopt};
}

bool ProfileActions::backUp(profile::BackupReason reason) {
    Backup backup = backUpUnit(reason);
    if (reason == profile::BackupReason::BeforeFormat) {
        formatBackup_ = std::move(backup.entry);
    }
    return backup.proceed;
}

std::optional<profile::KeptUnit> ProfileActions::keepForCommissioning() {
    std::optional<profile::UnitProfile> unit =
        readWholeUnit(QStringLiteral("Čitanje uređaja"), QString());
    if (!unit) {
        return std::nullopt;
    }
    profile::UnitHistory::Added added =
        history_.add(serial_(), profile::BackupReason::Commissioning, *unit);
    if (added.fault) {
        DialogService::instance().error(
            QStringLiteral("Podešavanja uređaja nisu sačuvana u istoriji: %1.")
                .arg(ProfileTexts::historyFaultText(*added.fault)));
        return std::nullopt;
    }
    return profile::KeptUnit{std::move(*unit), std::move(*added.entry)};
}

void ProfileActions::unitBackAfterFormat() {
    if (!formatBackup_) {
        return;
    }
    const profile::HistoryEntry entry = *std::exchange(formatBackup_, std::nullopt);
    DialogService& dialogs = DialogService::instance();
    if (dialogs.confirm(QStringLiteral("Memorija je formatirana. Vratiti podešavanja sačuvana "
                                       "pre formatiranja?")) != DialogService::Answer::Yes) {
        return;
    }
    const std::optional<profile::UnitProfile> file = loadEntry(entry);
    if (!file) {
        return;
    }
    if (!backUp(profile::BackupReason::BeforeRestore)) {
        return;
    }
    const auto [write, cancelled] =
        run(QStringLiteral("Vraćanje podešavanja"), false,
            [&file](profile::UnitExchange& exchange, const profile::ProgressHandler& progress) {
                return profile::writeUnit(exchange, *file, progress);
            });
    reportWrite(write, QStringLiteral("Podešavanja sačuvana pre formatiranja su vraćena i "
                                      "pročitana nazad: uređaj ih sada sadrži."));
}
