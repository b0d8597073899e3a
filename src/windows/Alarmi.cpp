#include "Alarmi.h"

#include <QPalette>

#include <array>
#include <vector>

#include "ADSettings.h"
#include "AnalogAlarm.h"
#include "DialogService.h"
#include "DigitalTriggers.h"
#include "SmsTexts.h"
#include "UserInput.h"
#include "WindowProtocol.h"
#include "ui_Alarmi.h"

namespace {

// The last slot a read chain asks for.
constexpr std::uint8_t LastSmsSlot = protocol::SmsSlotCount - 1;

}  // namespace

TfrmAlarmi::TfrmAlarmi(TMainLink& Main, QWidget* parent)
    : QWidget(parent), Main(Main), ui(std::make_unique<Ui::TfrmAlarmi>()) {
    ui->setupUi(this);
    ReadWatchdog.SetGauges({ui->gaSMSGauge1, ui->gaSMSGauge2});
    connect(ui->GetSMSs, &QPushButton::clicked, this, &TfrmAlarmi::GetSMSsClick);
    connect(ui->SetSMSs, &TClickPanel::clicked, this, &TfrmAlarmi::SetSMSsClick);
    connect(ui->btSMSProcitaj, &QPushButton::clicked, this, &TfrmAlarmi::btSMSProcitajClick);
    connect(ui->btSMSUpisi, &QPushButton::clicked, this, &TfrmAlarmi::btSMSUpisiClick);
    connect(ui->btnGetDINTrigers, &QPushButton::clicked, this, &TfrmAlarmi::btnGetDINTrigersClick);
    connect(ui->btnSetDINTrigers, &QPushButton::clicked, this, &TfrmAlarmi::btnSetDINTrigersClick);
    connect(ui->btGetAnalogAlarmSettings, &QPushButton::clicked, this,
            &TfrmAlarmi::btGetAnalogAlarmSettingsClick);
    connect(ui->btSetAnalogAlarmSettings, &QPushButton::clicked, this,
            &TfrmAlarmi::btSetAnalogAlarmSettingsClick);
    for (QLineEdit* edit : {ui->edSMSDIN1_UP, ui->edSMSDIN2_UP, ui->edSMSDIN3_UP, ui->edSMSDIN1_DN,
                            ui->edSMSDIN2_DN, ui->edSMSDIN3_DN}) {
        connect(edit, &QLineEdit::textChanged, this, [this, edit] { edSMSDINChange(edit); });
    }
}

TfrmAlarmi::~TfrmAlarmi() = default;

void TfrmAlarmi::SetADSettings(TfrmADSettings* adSettings) {
    ADSettings = adSettings;
}

// Text slots

QLineEdit* TfrmAlarmi::slotEdit(std::uint8_t slot) const {
    switch (slot) {
        case 0:
            return ui->edSMSDIN1_UP;
        case 1:
            return ui->edSMSDIN2_UP;
        case 2:
            return ui->edSMSDIN3_UP;
        case 3:
            return ui->edSMSDIN1_DN;
        case 4:
            return ui->edSMSDIN2_DN;
        case 5:
            return ui->edSMSDIN3_DN;
        case 6:
            return ADSettings != nullptr ? ADSettings->edSMSAnalog1() : nullptr;
        case 7:
            return ui->edSMSAlarmMax;
        case 8:
            return ui->edSMSAlarmMin;
        case 9:
            return ui->edSMSAlarmNormalizacija;
        default:
            return nullptr;
    }
}

void TfrmAlarmi::StartSMSRead(std::uint8_t FirstSlot) {
    SMSNumbReadPointer = FirstSlot;
    SendReport(Main, protocol::requestSmsText(FirstSlot));
    ReadWatchdog.Arm();
}

void TfrmAlarmi::ReplyGP(const ReplyBytes& bytes) {
    const auto reply = protocol::decodeSmsText(ToReply(bytes));
    if (QLineEdit* edit = slotEdit(reply.slot)) {
        edit->setText(QString::fromStdU16String(reply.text));
    }
    ++SMSNumbReadPointer;
    if (SMSNumbReadPointer > LastSmsSlot) {
        ui->gaSMSGauge1->hide();
        ui->gaSMSGauge2->hide();
        ReadWatchdog.Disarm();
        return;
    }
    ui->gaSMSGauge1->setValue(SMSNumbReadPointer + 1);
    ui->gaSMSGauge2->setValue(SMSNumbReadPointer + 1);
    if (Main.HasCurrentDevice()) {
        SendReport(Main, protocol::requestSmsText(SMSNumbReadPointer));
    }
    ReadWatchdog.Arm();
}

void TfrmAlarmi::ReplySP() {
    WaitForOk = false;
}

void TfrmAlarmi::WriteSMSSlots(std::span<const TSmsSlot> Slots, TEmptyText Empty, TGauge* Gauge) {
    // Every text is checked before the first record goes out, so a refused
    // character never leaves the unit with part of the group written.
    std::vector<protocol::WireText> texts;
    for (const TSmsSlot& slot : Slots) {
        auto text = UserInput::Text(slot.Edit);
        if (!text) {
            return;
        }
        texts.push_back(std::move(*text));
    }
    if (Gauge != nullptr) {
        Gauge->show();
    }
    for (std::size_t i = 0; i < Slots.size(); ++i) {
        const bool skip = Empty == TEmptyText::Skip && texts[i].size() == 0;
        if (!skip) {
            WaitForOk = true;
            SendReport(Main, protocol::writeSmsText(Slots[i].Slot, texts[i]));
        }
        if (Gauge != nullptr) {
            Gauge->setValue(static_cast<int>(i) + 1);
        }
        if (!skip) {
            Main.WaitForAcknowledge(WaitForOk);
        }
    }
    if (Gauge != nullptr) {
        Gauge->hide();
    }
}

void TfrmAlarmi::GetSMSsClick() {
    if (!Main.HasCurrentDevice()) {
        return;
    }
    ui->gaSMSGauge1->setMaximum(5);
    ui->gaSMSGauge1->show();
    StartSMSRead(0);
}

void TfrmAlarmi::btSMSProcitajClick() {
    if (!Main.HasCurrentDevice()) {
        return;
    }
    ui->gaSMSGauge2->setMaximum(LastSmsSlot);
    ui->gaSMSGauge2->show();
    StartSMSRead(7);
}

void TfrmAlarmi::SetSMSsClick() {
    if (!Main.HasCurrentDevice()) {
        return;
    }
    const std::array<TSmsSlot, 6> group{{{0, ui->edSMSDIN1_UP},
                                         {1, ui->edSMSDIN2_UP},
                                         {2, ui->edSMSDIN3_UP},
                                         {3, ui->edSMSDIN1_DN},
                                         {4, ui->edSMSDIN2_DN},
                                         {5, ui->edSMSDIN3_DN}}};
    WriteSMSSlots(group, TEmptyText::Send, ui->gaSMSGauge1);
}

void TfrmAlarmi::btSMSUpisiClick() {
    if (!Main.HasCurrentDevice()) {
        return;
    }
    const std::array<TSmsSlot, 3> group{
        {{7, ui->edSMSAlarmMax}, {8, ui->edSMSAlarmMin}, {9, ui->edSMSAlarmNormalizacija}}};
    ui->gaSMSGauge2->setMaximum(static_cast<int>(group.size()));
    ui->gaSMSGauge2->setValue(1);
    WriteSMSSlots(group, TEmptyText::Skip, ui->gaSMSGauge2);
}

void TfrmAlarmi::edSMSDINChange(QLineEdit* edit) {
    // The unit stores 30 characters; a longer text is sent cut, and red is the
    // warning.
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Text,
                     edit->text().size() > static_cast<qsizetype>(protocol::SmsTextMaxLength)
                         ? Qt::red
                         : Qt::black);
    edit->setPalette(palette);
}

// Digital input triggers

void TfrmAlarmi::btnGetDINTrigersClick() {
    if (Main.HasCurrentDevice()) {
        SendReport(Main, protocol::requestDigitalTriggers());
    }
}

void TfrmAlarmi::ReplyGAD(const ReplyBytes& bytes) {
    const auto triggers = protocol::decodeDigitalTriggers(ToReply(bytes));
    ui->cbDINTr1->setChecked(triggers.enabled[0]);
    ui->cbDINTr2->setChecked(triggers.enabled[1]);
    ui->cbDINTr3->setChecked(triggers.enabled[2]);
    ui->edDebounceDelayDIN1->setText(QString::number(triggers.delays[0]));
    ui->edDebounceDelayDIN2->setText(QString::number(triggers.delays[1]));
    ui->edDebounceDelayDIN3->setText(QString::number(triggers.delays[2]));
    ui->cbDinsAllEnabled->setChecked(triggers.allEnabled);
}

void TfrmAlarmi::btnSetDINTrigersClick() {
    if (!Main.HasCurrentDevice()) {
        return;
    }
    protocol::DigitalTriggers triggers;
    triggers.enabled = {ui->cbDINTr1->isChecked(), ui->cbDINTr2->isChecked(),
                        ui->cbDINTr3->isChecked()};
    const std::array delayEdits{ui->edDebounceDelayDIN1, ui->edDebounceDelayDIN2,
                                ui->edDebounceDelayDIN3};
    for (std::size_t i = 0; i < delayEdits.size(); ++i) {
        const auto delay = UserInput::Integer(delayEdits[i], protocol::DetectionDelayLimits);
        if (!delay) {
            return;
        }
        triggers.delays[i] = static_cast<std::uint8_t>(*delay);
    }
    triggers.allEnabled = ui->cbDinsAllEnabled->isChecked();
    SendReport(Main, protocol::writeDigitalTriggers(triggers));
}

// Analog alarm thresholds

void TfrmAlarmi::btGetAnalogAlarmSettingsClick() {
    if (Main.HasCurrentDevice()) {
        SendReport(Main, protocol::requestAnalogAlarm());
    }
}

void TfrmAlarmi::ReplyGAA(const ReplyBytes& bytes) {
    const auto alarm = protocol::decodeAnalogAlarm(ToReply(bytes));
    ui->edANAlarmMaxVal->setText(UserInput::FixedPointText(alarm.maximum));
    ui->edANAlarmMinVal->setText(UserInput::FixedPointText(alarm.minimum));
    ui->edANVremePonavljanja->setText(QString::number(alarm.repeatMinutes));
    ui->edMaxSMSForSendind->setText(QString::number(alarm.smsCount));
    ui->cbAN1AlarmOn->setChecked(alarm.alarmOn);
    if (alarm.useCustomSms) {
        ui->cbCustomANAlarmSMSs->setChecked(*alarm.useCustomSms);
    }
}

void TfrmAlarmi::btSetAnalogAlarmSettingsClick() {
    if (!Main.HasCurrentDevice()) {
        return;
    }
    const auto maximum = UserInput::FixedPoint(ui->edANAlarmMaxVal);
    if (!maximum) {
        return;
    }
    const auto minimum = UserInput::FixedPoint(ui->edANAlarmMinVal);
    if (!minimum) {
        return;
    }
    const auto repeat = UserInput::Integer(ui->edANVremePonavljanja, protocol::RepeatTimeLimits);
    if (!repeat) {
        return;
    }
    const auto count = UserInput::Integer(ui->edMaxSMSForSendind, protocol::SmsCountLimits);
    if (!count) {
        return;
    }
    if (*minimum >= *maximum) {
        DialogService::instance().info(
            QStringLiteral("Maximalna vrednost mora biti VECA od Minimalne!"));
        return;
    }
    protocol::AnalogAlarmSettings settings;
    settings.maximum = *maximum;
    settings.minimum = *minimum;
    settings.repeatMinutes = static_cast<std::uint16_t>(*repeat);
    settings.smsCount = static_cast<std::uint8_t>(*count);
    settings.alarmOn = ui->cbAN1AlarmOn->isChecked();
    settings.useCustomSms = ui->cbCustomANAlarmSMSs->isChecked();
    SendReport(Main, protocol::writeAnalogAlarm(settings));
}
