#pragma once

#include <QWidget>

#include <cstdint>
#include <memory>

#include "profile/UnitProfile.h"
#include "protocol/Calibration.h"
#include "windows/MainLink.h"

class TfrmAlarmi;

namespace Ui {
class TfrmADSettings;
}

// Calibration of the analog inputs (K, N, raw offset, voltage output of both
// channels; only channel 1 is shown), the zero/full-scale capture that computes
// K and the offset of channel 1, and the SMS text of the analog input (slot 6),
// whose read chain and acknowledgement belong to the alarm window: this window
// asks it to read or write the slot and shows what it reads.
class TfrmADSettings : public QWidget {
    Q_OBJECT

public:
    // `alarmi` reads and writes the text of slot 6.
    TfrmADSettings(TMainLink& main, TfrmAlarmi& alarmi, QWidget* parent = nullptr);
    ~TfrmADSettings() override;

    // "GK" with selector "A": fills the controls of both channels.
    void ReplyGK(const protocol::Calibration& calibration);
    // Shows the values of `unit` that this window edits, as a read would;
    // the groups `unit` leaves out stay as they are. Slot 6 comes
    // through the alarm window.
    void showProfile(const profile::UnitProfile& unit);

private:
    void btGetKoefClick();
    void btSetKoefClick();
    void btADZerroClick();
    void btADFullscaleClick();
    void btADCalcKNClick();
    void sBitBtn1Click();
    void sBitBtn2Click();
    // The alarm window has read a text slot this window shows.
    void showSmsText(std::uint8_t slot, const QString& text);

    TMainLink& main_;
    std::unique_ptr<Ui::TfrmADSettings> ui_;
    TfrmAlarmi& alarmi_;
};
