#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "profile/UnitExchange.h"
#include "profile/UnitHistory.h"
#include "profile/UnitProfile.h"

class QWidget;
class TfrmProfileDiff;

namespace protocol {
class Reply;
}

namespace profile {
struct UnitRead;
struct UnitWrite;
}  // namespace profile

// The main window's operations on a whole unit: "Sačuvaj profil..." and
// "Učitaj profil...", the backups kept in the unit's history before anything
// that could lose its settings, and comparing with and restoring a history
// entry. While an operation runs, the main window hands every reply here
// rather than to the windows, does not poll the status and sends nothing of
// its own; the progress dialog keeps the user's hands off the other windows
// meanwhile.
class ProfileActions {
public:
    // Writes one report to the unit; false when it could not be written.
    using Sender = profile::EventLoopExchange::Sender;
    // Shows a unit's values in the windows that edit them.
    using ShowInWindows = std::function<void(const profile::UnitProfile& unit)>;
    // The serial number of the unit connected.
    using Serial = std::function<QString()>;

    // `window` is the dialogs' parent and must outlive this.
    ProfileActions(QWidget& window, Sender sender, ShowInWindows showInWindows, Serial serial);
    ~ProfileActions();
    ProfileActions(const ProfileActions&) = delete;
    ProfileActions& operator=(const ProfileActions&) = delete;

    bool running() const { return exchange_ != nullptr; }
    // A reply of the unit while an operation runs.
    void replyArrived(const protocol::Reply& reply);
    // The unit has left: a running operation ends and says how far it came.
    void unitLeft();

    // Reads the unit with a progress dialog that can be cancelled, keeps it
    // as a "saved" entry of its history, and asks where to save the profile.
    void saveProfile();
    // Asks for a profile file, checks it, reads the groups it holds from the
    // unit and shows the differences; "Upiši" keeps a backup, writes the rows
    // ticked, reads them back and says whether the unit now matches.
    void loadProfile();

    // Reads the whole unit (and, before a format, its memory image) and keeps
    // it in its history before `reason` changes it. Answers whether the
    // operation may start: after a backup; after a failure only when the user
    // says so; never when the unit left or the user cancelled the read.
    bool backUp(profile::BackupReason reason);
    // Reads the whole unit with a progress dialog that can be cancelled and
    // keeps it as a "commissioning" entry of its history; nothing, after
    // saying why, when it could not.
    std::optional<profile::KeptUnit> keepForCommissioning();
    // The unit is back after a format that a backup came before: offers to
    // write that backup to it.
    void unitBackAfterFormat();
    // Shows how the unit differs from `entry` of a history; with `restore`,
    // the differences chosen can then be written.
    void compareWithEntry(const profile::HistoryEntry& entry, bool restore);

    const profile::UnitHistory& history() const { return history_; }

private:
    struct Backup {
        bool proceed = false;
        // The unit as the backup read it.
        std::optional<profile::UnitProfile> unit;
        std::optional<profile::HistoryEntry> entry;
    };
    Backup backUpUnit(profile::BackupReason reason);
    // The whole unit, read under a cancellable progress dialog titled
    // `title`; nothing when cancelled, or after saying that the read did not
    // end, followed by `notDone`.
    std::optional<profile::UnitProfile> readWholeUnit(const QString& title, const QString& notDone);
    // Reads the groups `file` holds; nothing after saying why it could not.
    std::optional<profile::UnitRead> readGroupsOf(const profile::UnitProfile& file);
    // Shows the differences between `unit` and `file`; "Upiši" keeps a
    // backup for `reason` and writes the rows ticked.
    void showDifferences(const QString& title, const QString& note,
                         const profile::UnitProfile& unit, const profile::UnitProfile& file,
                         bool writable, profile::BackupReason reason);
    void writeChosen(TfrmProfileDiff& diff, const profile::UnitProfile& unit,
                     const profile::UnitProfile& file, profile::BackupReason reason);
    // Says how a write ended; `done` is the text for a unit that now holds
    // everything it was meant to.
    void reportWrite(const profile::UnitWrite& write, const QString& done);

    template <typename Operation>
    auto run(const QString& title, bool cancellable, Operation operation);

    QWidget& window_;
    Sender sender_;
    ShowInWindows showInWindows_;
    Serial serial_;
    profile::UnitHistory history_;
    std::unique_ptr<profile::EventLoopExchange> exchange_;
    // The backup made before the last format, until the unit is back.
    std::optional<profile::HistoryEntry> formatBackup_;
};
