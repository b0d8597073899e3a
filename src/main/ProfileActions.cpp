#include "main/ProfileActions.h"

#include "profile/ProfileFile.h"
#include "profile/ProfileGroups.h"
#include "profile/UnitOperations.h"
#include "widgets/DialogService.h"
#include "widgets/FileProposal.h"
#include "widgets/ScreenFit.h"
#include "windows/ProfileDiff.h"
#include "windows/ProfileTexts.h"

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

ProfileActions::ProfileActions(QWidget& window, Sender sender, ShowInWindows showInWindows)
    : window_(window), sender_(std::move(sender)), showInWindows_(std::move(showInWindows)) {}

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

void ProfileActions::saveProfile(const QString& serial) {
    DialogService& dialogs = DialogService::instance();
    const auto [read, cancelled] =
        run(QStringLiteral("Čitanje profila"), true,
            [](profile::UnitExchange& exchange, const profile::ProgressHandler& progress) {
                return profile::readUnit(exchange, profile::AllGroups, progress);
            });
    if (cancelled) {
        return;
    }
    if (read.stopped) {
        dialogs.error(QStringLiteral("Čitanje uređaja nije završeno (%1). Profil nije sačuvan.")
                          .arg(ProfileTexts::stopText(*read.stopped)));
        return;
    }
    // A text longer than the unit accepts is kept as read, but the user should
    // know that this profile cannot be written back as it is.
    const std::vector<profile::ProfileFault> faults = profile::checkProfile(read.profile);
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
    if (const auto fault = profile::saveProfile(path, read.profile)) {
        dialogs.error(ProfileTexts::faultText(*fault));
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
    std::vector<profile::Group> groups = profile::groupsOf(*file.profile);
    std::erase(groups, profile::Group::Firmware);
    const auto [read, readCancelled] =
        run(QStringLiteral("Čitanje uređaja"), true,
            [&groups](profile::UnitExchange& exchange, const profile::ProgressHandler& progress) {
                return profile::readUnit(exchange, groups, progress);
            });
    if (readCancelled) {
        return;
    }
    if (read.stopped) {
        dialogs.error(QStringLiteral("Čitanje uređaja nije završeno (%1). U uređaj nije ništa "
                                     "upisano.")
                          .arg(ProfileTexts::stopText(*read.stopped)));
        return;
    }
    const std::vector<profile::Difference> differences =
        profile::compareProfiles(read.profile, *file.profile);
    if (differences.empty()) {
        dialogs.info(QStringLiteral("Uređaj već sadrži sve vrednosti iz profila."));
        return;
    }
    TfrmProfileDiff diff(QFileInfo(path).fileName(), differences, &window_);
    ScreenFit::fitToScreen(diff, true);
    if (diff.exec() != QDialog::Accepted) {
        return;
    }

    const profile::UnitProfile part = profile::differingGroups(read.profile, *file.profile);
    const auto [write, writeCancelled] =
        run(QStringLiteral("Upisivanje profila"), false,
            [&part](profile::UnitExchange& exchange, const profile::ProgressHandler& progress) {
                return profile::writeUnit(exchange, part, progress);
            });
    switch (write.outcome) {
        case profile::UnitWrite::Outcome::Matches:
            showInWindows_(write.readBack);
            dialogs.info(
                QStringLiteral("Profil je upisan i pročitan nazad: uređaj sada sadrži "
                               "sve vrednosti iz profila."));
            break;
        case profile::UnitWrite::Outcome::Differs:
            showInWindows_(write.readBack);
            dialogs.error(QStringLiteral("Profil je upisan, ali uređaj posle upisa sadrži druge "
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
