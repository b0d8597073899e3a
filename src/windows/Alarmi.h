#pragma once

#include <QWidget>

#include <cstdint>
#include <memory>
#include <span>
#include <utility>

#include "profile/UnitProfile.h"
#include "protocol/AnalogAlarm.h"
#include "protocol/DigitalTriggers.h"
#include "protocol/ReadChain.h"
#include "protocol/SmsTexts.h"
#include "protocol/WireText.h"
#include "windows/MainLink.h"

class EmptyWriteGuard;
class QLineEdit;
class TGauge;

namespace Ui {
class TfrmAlarmi;
}

// The alarm parameters: the SMS texts of slots 0 to 5 and 7 to 9, the digital
// input triggers and the analog alarm thresholds. It owns the read chain and
// the acknowledgement flag of all ten text slots, slot 6 included, whose edit
// is in the analog input window: that window asks for slot 6 through the
// verbs below and shows what smsTextRead() hands it.
class TfrmAlarmi : public QWidget {
    Q_OBJECT

public:
    // A text slot and the text to write into it.
    struct SmsSlotText {
        std::uint8_t slot;
        protocol::WireText text;
    };
    enum class EmptyText { send, skip };

    explicit TfrmAlarmi(TMainLink& main, QWidget* parent = nullptr);
    ~TfrmAlarmi() override;

    // "GP": one text slot into its edit, then the next request of the chain.
    void ReplyGP(const protocol::SmsTextReply& reply);
    // "SP": the unit has stored the text being written.
    void ReplySP();
    // One tick of the main window for the read chain's watchdog; true when
    // the chain has stopped waiting for its next reply (its gauges hidden).
    bool readWatchdogTick();
    // The read chain waits for a reply.
    bool reading() const { return smsRead_.watchdog() > 0; }
    // "GA" with selector "D": the digital input triggers.
    void ReplyGAD(const protocol::DigitalTriggers& triggers);
    // "GA" with selector "A": the analog alarm settings.
    void ReplyGAA(const protocol::AnalogAlarmReply& alarm);
    // Shows the values of `unit` that this window edits, as a read would;
    // the groups `unit` leaves out stay as they are. Slot 6 goes to
    // smsTextRead(), and the digital inputs need both of their values.
    void showProfile(const profile::UnitProfile& unit);

    // A unit has connected; what the edits show was not read from it.
    void unitConnected();

    // Starts the read chain at `firstSlot`; it reads every slot up to 9.
    void startSmsRead(std::uint8_t firstSlot);
    // Writes `texts` in order, each acknowledged. `gauge` (may be null) is
    // shown during the write and shows entry i of the list as progress i + 1.
    void writeSmsTexts(std::span<const SmsSlotText> texts, EmptyText empty, TGauge* gauge);

signals:
    // A text slot that no edit of this window shows has been read.
    void smsTextRead(std::uint8_t slot, const QString& text);

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
    // The edit of text `slot`, or null for a slot this window does not show.
    QLineEdit* slotEdit(std::uint8_t slot) const;
    // Into the slot's edit, or to smsTextRead() for a slot without one.
    void showSmsText(std::uint8_t slot, const std::u16string& text);
    // Checks the edits' texts, then writes them into their slots; `guard`,
    // when set, may still stop a write that would only empty the slots.
    void writeSlotEdits(std::span<const std::pair<std::uint8_t, QLineEdit*>> edits, EmptyText empty,
                        TGauge* gauge, const EmptyWriteGuard* guard = nullptr);

    TMainLink& main_;
    std::unique_ptr<Ui::TfrmAlarmi> ui_;
    std::uint8_t SMSNumbReadPointer = 0;
    protocol::ReadChain<std::uint8_t> smsRead_;
    bool WaitForOk = false;
    // The texts of the digital inputs, slots 0 to 5.
    EmptyWriteGuard* inputTextsGuard_ = nullptr;
};
