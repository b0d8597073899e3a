#pragma once

#include <QWidget>

#include <cstdint>
#include <memory>

#include "profile/UnitProfile.h"
#include "protocol/Phonebook.h"
#include "protocol/ReadChain.h"
#include "windows/MainLink.h"

namespace Ui {
class TfrmCallPhonebook;
}

// The unit's call function and its phonebook of 100 records: switch the
// function on and off, read every record into the grid in one chain, and
// write one record at a time with an acknowledgement and a read-back.
class TfrmCallPhonebook : public QWidget {
    Q_OBJECT

public:
    explicit TfrmCallPhonebook(TMainLink& main, QWidget* parent = nullptr);
    ~TfrmCallPhonebook() override;

    // "GC": puts the record into its row and requests the next one.
    void ReplyGC(const protocol::PhonebookReply& record);
    // "SC": the unit has stored the record being written.
    void ReplySC();
    // One tick of the main window for the read chain's watchdog; true when
    // the chain has stopped waiting for its next reply (its gauge hidden).
    bool readWatchdogTick();
    // The read chain waits for a reply.
    bool reading() const { return phonebookRead_.watchdog() > 0; }
    // The status reply's call function: everything below the call-function
    // buttons is usable and shown only while it is on.
    void ShowCallFunction(bool on);
    // Shows the values of `unit` that this window edits, as a read would;
    // the groups `unit` leaves out stay as they are.
    void showProfile(const profile::UnitProfile& unit);

private:
    void btnPhonebookReadClick();
    void btnSetOnePhonebookRecordClick();
    void btnEnableCallFunctionClick();
    void btnDissableCallFunctionClick();
    void Grid1ColRowChanged(int col, int row);
    void Grid1GutterClick(int row);
    // Copies grid row `row` into the editing fields.
    void selectRecord(int row);
    void showRecord(std::size_t row, const std::u16string& number, const std::u16string& note,
                    bool active);

    TMainLink& main_;
    std::unique_ptr<Ui::TfrmCallPhonebook> ui_;
    std::uint16_t GSMCallPhoneBookReadPointer = 0;
    // Reads records from the pointer up to its last one, the read's stop.
    protocol::ReadChain<std::uint16_t> phonebookRead_;
    bool WaitForOk = false;
};
