#pragma once

#include <QWidget>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "profile/UnitProfile.h"
#include "protocol/GsmNumbers.h"
#include "protocol/ReadChain.h"
#include "windows/MainLink.h"

class EmptyWriteGuard;
class QLineEdit;

namespace Ui {
class TfrmGSMNumbers;
}

// The six numbers the unit sends its SMS messages to: read all of them in one
// chain, write all of them in one acknowledged sequence.
class TfrmGSMNumbers : public QWidget {
    Q_OBJECT

public:
    explicit TfrmGSMNumbers(TMainLink& main, QWidget* parent = nullptr);
    ~TfrmGSMNumbers() override;

    // "GN": puts the number into its edit and requests the next one.
    void ReplyGN(const protocol::GsmNumberReply& reply);
    // "SN": the unit has stored the number being written.
    void ReplySN();
    // One tick of the main window for the read chain's watchdog; true when
    // the chain has stopped waiting for its next reply (its gauge hidden).
    bool readWatchdogTick();
    // The read chain waits for a reply.
    bool reading() const { return numberRead_.watchdog() > 0; }
    // Shows the values of `unit` that this window edits, as a read would;
    // the groups `unit` leaves out stay as they are.
    void showProfile(const profile::UnitProfile& unit);
    // A unit has connected; what the edits show was not read from it.
    void unitConnected();

private:
    void btGSMNReadClick();
    void btGSMNWriteClick();
    // The edit of number `index` (0 to 5), or null for any other index.
    QLineEdit* numberEdit(std::size_t index) const;
    void showNumber(std::size_t index, const std::u16string& number);

    TMainLink& main_;
    std::unique_ptr<Ui::TfrmGSMNumbers> ui_;
    std::uint8_t GSMNumbReadPointer = 0;
    protocol::ReadChain<std::uint8_t> numberRead_;
    bool WaitForOk = false;
    EmptyWriteGuard* emptyGuard_ = nullptr;
};
