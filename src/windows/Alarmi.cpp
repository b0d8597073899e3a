#include "Alarmi.h"

#include "ADSettings.h"
#include "ui_Alarmi.h"

TfrmAlarmi::TfrmAlarmi(TMainLink& Main, QWidget* parent)
    : QWidget(parent), Main(Main), ui(std::make_unique<Ui::TfrmAlarmi>()) {
    ui->setupUi(this);
}

TfrmAlarmi::~TfrmAlarmi() = default;

void TfrmAlarmi::ReplyGP(const ReplyBytes&) {}
void TfrmAlarmi::ReplySP() {
    WaitForOk = false;
}
void TfrmAlarmi::ReplyGAD(const ReplyBytes&) {}
void TfrmAlarmi::ReplyGAA(const ReplyBytes&) {}
void TfrmAlarmi::SetADSettings(TfrmADSettings* adSettings) {
    ADSettings = adSettings;
}
void TfrmAlarmi::StartSMSRead(std::uint8_t) {}
void TfrmAlarmi::WriteSMSSlots(std::span<const TSmsSlot>, TEmptyText, QProgressBar*) {}
void TfrmAlarmi::GetSMSsClick() {}
void TfrmAlarmi::SetSMSsClick() {}
void TfrmAlarmi::btSMSProcitajClick() {}
void TfrmAlarmi::btSMSUpisiClick() {}
void TfrmAlarmi::btnGetDINTrigersClick() {}
void TfrmAlarmi::btnSetDINTrigersClick() {}
void TfrmAlarmi::btGetAnalogAlarmSettingsClick() {}
void TfrmAlarmi::btSetAnalogAlarmSettingsClick() {}
void TfrmAlarmi::dinTextChange(QLineEdit*) {}
