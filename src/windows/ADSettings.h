#pragma once

#include <QWidget>

#include <memory>

#include "MainLink.h"

class QLineEdit;
class TfrmAlarmi;

namespace Ui {
class TfrmADSettings;
}

// Calibration of the analog inputs (K, N, raw offset, voltage output of both
// channels; only channel 1 is shown), the zero/full-scale capture that computes
// K and the offset of channel 1, and the SMS text of the analog input (slot 6),
// whose read chain and acknowledgement belong to the alarm window.
class TfrmADSettings : public QWidget {
    Q_OBJECT

public:
    explicit TfrmADSettings(TMainLink& Main, QWidget* parent = nullptr);
    ~TfrmADSettings() override;

    // "GK" with selector "A": fills the controls of both channels.
    void ReplyGK(const ReplyBytes& reply);
    void SetAlarmi(TfrmAlarmi* alarmi);

    // The edit of text slot 6, which the alarm window's read chain fills.
    QLineEdit* edSMSAnalog1() const;

private:
    void btGetKoefClick();
    void btSetKoefClick();
    void btADZerroClick();
    void btADFullscaleClick();
    void btADCalcKNClick();
    void sBitBtn1Click();
    void sBitBtn2Click();

    TMainLink& Main;
    std::unique_ptr<Ui::TfrmADSettings> ui;
    TfrmAlarmi* Alarmi = nullptr;
};
