#pragma once

#include <QWidget>

#include <cstdint>
#include <memory>

#include "MainLink.h"
#include "ReadWatchdog.h"

namespace Ui {
class TfrmCallPhonebook;
}

// The unit's call function and its phonebook of 100 records: switch the
// function on and off, read every record into the grid in one chain, and
// write one record at a time with an acknowledgement and a read-back.
class TfrmCallPhonebook : public QWidget {
    Q_OBJECT

public:
    explicit TfrmCallPhonebook(TMainLink& Main, QWidget* parent = nullptr);
    ~TfrmCallPhonebook() override;

    // "GC": puts the record into its row and requests the next one.
    void ReplyGC(const ReplyBytes& reply);
    // "SC": the unit has stored the record being written.
    void ReplySC();
    // One tick of the main window for the read chain's watchdog; true when
    // the chain has stopped waiting for its next reply (its gauge hidden).
    bool ReadWatchdogTick() { return ReadWatchdog.Tick(); }
    // Everything below the call-function buttons; the status decides whether
    // it is shown.
    QWidget* panCallNumbers() const;

private:
    void btnPhonebookReadClick();
    void btnSetOnePhonebookRecordClick();
    void btnEnableCallFunctionClick();
    void btnDissableCallFunctionClick();
    void Grid1ColRowChanged(int col, int row);
    void Grid1GutterClick(int row);
    void edCallNapomenaChange(const QString& text);
    // Copies grid row `row` into the editing fields.
    void selectRecord(int row);
    void requestRecord(std::uint16_t index);

    TMainLink& Main;
    std::unique_ptr<Ui::TfrmCallPhonebook> ui;
    std::uint16_t GSMCallPhoneBookReadPointer = 0;
    std::uint16_t GSMCallPhoneBookReadStop = 0;
    TReadWatchdog ReadWatchdog;
    bool WaitForOk = false;
};
