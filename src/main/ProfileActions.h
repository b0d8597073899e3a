#pragma once

#include <QString>

#include <functional>
#include <memory>

#include "profile/UnitExchange.h"
#include "profile/UnitProfile.h"

class QWidget;

namespace protocol {
class Reply;
}

// The main window's "Sačuvaj profil..." and "Učitaj profil...": a unit read
// into a profile file, and a profile file compared with the unit and, once
// the user agrees, written to it. While an operation runs, the main window
// hands every reply here rather than to the windows, does not poll the status
// and sends nothing of its own; the progress dialog keeps the user's hands
// off the other windows meanwhile.
class ProfileActions {
public:
    // Writes one report to the unit; false when it could not be written.
    using Sender = profile::EventLoopExchange::Sender;
    // Shows a unit's values in the windows that edit them.
    using ShowInWindows = std::function<void(const profile::UnitProfile& unit)>;

    // `window` is the dialogs' parent and must outlive this.
    ProfileActions(QWidget& window, Sender sender, ShowInWindows showInWindows);
    ~ProfileActions();
    ProfileActions(const ProfileActions&) = delete;
    ProfileActions& operator=(const ProfileActions&) = delete;

    bool running() const { return exchange_ != nullptr; }
    // A reply of the unit while an operation runs.
    void replyArrived(const protocol::Reply& reply);
    // The unit has left: a running operation ends and says how far it came.
    void unitLeft();

    // Reads the unit with a progress dialog that can be cancelled, then asks
    // where to save the profile, proposing a name made of `serial`, the
    // unit's serial number, and the time.
    void saveProfile(const QString& serial);
    // Asks for a profile file, checks it, reads the groups it holds from the
    // unit and shows the differences; on "Upiši" writes the groups that
    // differ, reads them back and says whether the unit now matches.
    void loadProfile();

private:
    template <typename Operation>
    auto run(const QString& title, bool cancellable, Operation operation);

    QWidget& window_;
    Sender sender_;
    ShowInWindows showInWindows_;
    std::unique_ptr<profile::EventLoopExchange> exchange_;
};
