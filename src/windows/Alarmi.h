#pragma once

#include <QWidget>

#include <cstdint>
#include <memory>
#include <span>

#include "MainLink.h"
#include "ReadWatchdog.h"

class QLineEdit;
class TGauge;
class TfrmADSettings;

namespace Ui {
class TfrmAlarmi;
}

// The alarm parameters: the SMS texts of slots 0 to 5 and 7 to 9, the digital
// input triggers and the analog alarm thresholds. It owns the read chain and
// the acknowledgement flag of all ten text slots, slot 6 included, whose edit
// is in the analog input window.
class TfrmAlarmi : public QWidget {
    Q_OBJECT

public:
    // A text slot and the edit that shows it.
    struct TSmsSlot {
        std::uint8_t Slot;
        QLineEdit* Edit;
    };
    enum class TEmptyText { Send, Skip };

    explicit TfrmAlarmi(TMainLink& Main, QWidget* parent = nullptr);
    ~TfrmAlarmi() override;

    // "GP": one text slot into its edit, then the next request of the chain.
    void ReplyGP(const ReplyBytes& reply);
    // "SP": the unit has stored the text being written.
    void ReplySP();
    // One tick of the main window for the read chain's watchdog; true when
    // the chain has stopped waiting for its next reply (its gauges hidden).
    bool ReadWatchdogTick() { return ReadWatchdog.Tick(); }
    // "GA" with selector "D": the digital input triggers.
    void ReplyGAD(const ReplyBytes& reply);
    // "GA" with selector "A": the analog alarm settings.
    void ReplyGAA(const ReplyBytes& reply);
    void SetADSettings(TfrmADSettings* adSettings);

    // Starts the read chain at `FirstSlot`; it reads every slot up to 9.
    void StartSMSRead(std::uint8_t FirstSlot);
    // Writes `Slots` in order, each acknowledged, after checking that every
    // text can be sent. `Gauge` (may be null) is shown during the write and
    // shows entry i of the list as progress i + 1.
    void WriteSMSSlots(std::span<const TSmsSlot> Slots, TEmptyText Empty, TGauge* Gauge);

private:
    void GetSMSsClick();
    void SetSMSsClick();
    void btSMSProcitajClick();
    void btSMSUpisiClick();
    void btnGetDINTrigersClick();
    void btnSetDINTrigersClick();
    void btGetAnalogAlarmSettingsClick();
    void btSetAnalogAlarmSettingsClick();
    // Red font for a digital input text longer than the unit stores.
    void edSMSDINChange(QLineEdit* edit);
    // The edit of text `slot`, or null for a slot no edit shows.
    QLineEdit* slotEdit(std::uint8_t slot) const;

    TMainLink& Main;
    std::unique_ptr<Ui::TfrmAlarmi> ui;
    TfrmADSettings* ADSettings = nullptr;
    std::uint8_t SMSNumbReadPointer = 0;
    TReadWatchdog ReadWatchdog;
    bool WaitForOk = false;
};
