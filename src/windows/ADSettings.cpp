#include "ADSettings.h"

#include "Alarmi.h"
#include "ui_ADSettings.h"

TfrmADSettings::TfrmADSettings(TMainLink& Main, QWidget* parent)
    : QWidget(parent), Main(Main), ui(std::make_unique<Ui::TfrmADSettings>()) {
    ui->setupUi(this);
}

TfrmADSettings::~TfrmADSettings() = default;

void TfrmADSettings::ReplyGK(const ReplyBytes&) {}

void TfrmADSettings::SetAlarmi(TfrmAlarmi* alarmi) {
    Alarmi = alarmi;
}

QLineEdit* TfrmADSettings::edSMSAnalog1() const {
    return ui->edSMSAnalog1;
}

void TfrmADSettings::btGetKoefClick() {}
void TfrmADSettings::btSetKoefClick() {}
void TfrmADSettings::btADZerroClick() {}
void TfrmADSettings::btADFullscaleClick() {}
void TfrmADSettings::btADCalcKNClick() {}
void TfrmADSettings::sBitBtn1Click() {}
void TfrmADSettings::sBitBtn2Click() {}
