#include "windows/Alarmi.h"

#include <QPalette>

#include <array>
#include <utility>
#include <vector>

#include "ui_Alarmi.h"
#include "widgets/DialogService.h"
#include "widgets/LengthLimit.h"
#include "windows/EmptyWriteGuard.h"
#include "windows/ProfileTexts.h"
#include "windows/UserInput.h"
#include "windows/WindowProtocol.h"

namespace {

// The last slot a read chain asks for.
constexpr std::uint8_t LastSmsSlot = protocol::SmsSlotCount - 1;

}  // namespace

TfrmAlarmi::TfrmAlarmi(TMainLink& main, QWidget* parent)
    : QWidget(parent),
      main_(main),
      ui_(std::make_unique<Ui::TfrmAlarmi>()),
      smsRead_(SMSNumbReadPointer, [&main](std::uint8_t slot) {
          sendToCurrentDevice(main, protocol::requestSmsText(slot));
      }) {
    ui_->setupUi(this);
    connect(ui_->GetSMSs, &QPushButton::clicked, this, &TfrmAlarmi::GetSMSsClick);
    connect(ui_->SetSMSs, &TClickPanel::clicked, this, &TfrmAlarmi::SetSMSsClick);
    connect(ui_->btSMSProcitaj, &QPushButton::clicked, this, &TfrmAlarmi::btSMSProcitajClick);
    connect(ui_->btSMSUpisi, &QPushButton::clicked, this, &TfrmAlarmi::btSMSUpisiClick);
    connect(ui_->btnGetDINTrigers, &QPushButton::clicked, this, &TfrmAlarmi::btnGetDINTrigersClick);
    connect(ui_->btnSetDINTrigers, &QPushButton::clicked, this, &TfrmAlarmi::btnSetDINTrigersClick);
    connect(ui_->btGetAnalogAlarmSettings, &QPushButton::clicked, this,
            &TfrmAlarmi::btGetAnalogAlarmSettingsClick);
    connect(ui_->btSetAnalogAlarmSettings, &QPushButton::clicked, this,
            &TfrmAlarmi::btSetAnalogAlarmSettingsClick);
    for (QLineEdit* edit : {ui_->edSMSDIN1_UP, ui_->edSMSDIN2_UP, ui_->edSMSDIN3_UP,
                            ui_->edSMSDIN1_DN, ui_->edSMSDIN2_DN, ui_->edSMSDIN3_DN}) {
        connect(edit, &QLineEdit::textChanged, this, [this, edit] { edSMSDINChange(edit); });
    }
    std::vector<QLineEdit*> inputTexts;
    for (std::uint8_t slot = 0; slot < protocol::SmsSlotCount; ++slot) {
        if (QLineEdit* edit = slotEdit(slot)) {
            LengthLimit::limit(edit, int(profile::maxLength(profile::TextField::SmsText)));
        }
        if (slot < 6) {
            inputTexts.push_back(slotEdit(slot));
        }
    }
    inputTextsGuard_ = new EmptyWriteGuard(std::move(inputTexts), this);
}

void TfrmAlarmi::unitConnected() {
    inputTextsGuard_->unitConnected();
}

TfrmAlarmi::~TfrmAlarmi() = default;

// Text slots

QLineEdit* TfrmAlarmi::slotEdit(std::uint8_t slot) const {
    switch (slot) {
        case 0:
            return ui_->edSMSDIN1_UP;
        case 1:
            return ui_->edSMSDIN2_UP;
        case 2:
            return ui_->edSMSDIN3_UP;
        case 3:
            return ui_->edSMSDIN1_DN;
        case 4:
            return ui_->edSMSDIN2_DN;
        case 5:
            return ui_->edSMSDIN3_DN;
        case 7:
            return ui_->edSMSAlarmMax;
        case 8:
            return ui_->edSMSAlarmMin;
        case 9:
            return ui_->edSMSAlarmNormalizacija;
        default:
            return nullptr;
    }
}

void TfrmAlarmi::startSmsRead(std::uint8_t firstSlot) {
    smsRead_.start(firstSlot, LastSmsSlot);
}

void TfrmAlarmi::showSmsText(std::uint8_t slot, const std::u16string& text) {
    if (slot < 6) {
        inputTextsGuard_->filled();
    }
    if (QLineEdit* edit = slotEdit(slot)) {
        LengthLimit::show(edit, QString::fromStdU16String(text));
    } else if (slot < protocol::SmsSlotCount) {
        emit smsTextRead(slot, QString::fromStdU16String(text));
    }
}

void TfrmAlarmi::showProfile(const profile::UnitProfile& unit) {
    if (unit.smsTexts) {
        for (std::uint8_t slot = 0; slot < protocol::SmsSlotCount; ++slot) {
            showSmsText(slot, (*unit.smsTexts)[slot]);
        }
    }
    if (unit.digitalInputs && unit.digitalInputsAllEnabled) {
        protocol::DigitalTriggers triggers;
        profile::putDigitalInputs(*unit.digitalInputs, triggers);
        triggers.allEnabled = *unit.digitalInputsAllEnabled;
        ReplyGAD(triggers);
    }
    if (unit.analogAlarm) {
        const profile::AnalogAlarm& a = *unit.analogAlarm;
        ReplyGAA({a.max, a.min, a.repeatMinutes, a.smsCount, a.on, a.userTexts});
    }
}

void TfrmAlarmi::ReplyGP(const protocol::SmsTextReply& reply) {
    showSmsText(reply.slot, reply.text);
    if (!smsRead_.replyArrived()) {
        ui_->gaSMSGauge1->hide();
        ui_->gaSMSGauge2->hide();
        return;
    }
    ui_->gaSMSGauge1->setValue(SMSNumbReadPointer + 1);
    ui_->gaSMSGauge2->setValue(SMSNumbReadPointer + 1);
}

bool TfrmAlarmi::readWatchdogTick() {
    return watchdogTick(smsRead_, {ui_->gaSMSGauge1, ui_->gaSMSGauge2});
}

void TfrmAlarmi::ReplySP() {
    WaitForOk = false;
}

void TfrmAlarmi::writeSmsTexts(std::span<const SmsSlotText> texts, EmptyText empty, TGauge* gauge) {
    if (gauge != nullptr) {
        gauge->show();
    }
    auto write = acknowledgedWrite(main_);
    write.send = [&](std::size_t i) {
        sendReport(main_, protocol::writeSmsText(texts[i].slot, texts[i].text));
    };
    write.skip = [&](std::size_t i) {
        return empty == EmptyText::skip && texts[i].text.size() == 0;
    };
    write.progress = [gauge](std::size_t i) {
        if (gauge != nullptr) {
            gauge->setValue(static_cast<int>(i) + 1);
        }
    };
    write.run(texts.size(), WaitForOk);
    if (gauge != nullptr) {
        gauge->hide();
    }
}

void TfrmAlarmi::writeSlotEdits(std::span<const std::pair<std::uint8_t, QLineEdit*>> edits,
                                EmptyText empty, TGauge* gauge, const EmptyWriteGuard* guard) {
    // Every text is checked before the first record goes out, so a refused
    // character never leaves the unit with part of the group written.
    std::vector<SmsSlotText> texts;
    for (const auto& [slot, edit] : edits) {
        auto text =
            UserInput::text(edit, profile::TextField::SmsText,
                            ProfileTexts::fieldName(QStringLiteral("smsTexts[%1]").arg(slot)));
        if (!text) {
            return;
        }
        texts.push_back({slot, std::move(*text)});
    }
    if (guard != nullptr && !guard->mayWrite()) {
        return;
    }
    writeSmsTexts(texts, empty, gauge);
}

void TfrmAlarmi::GetSMSsClick() {
    if (!main_.hasCurrentDevice()) {
        return;
    }
    ui_->gaSMSGauge1->setMaximum(5);
    ui_->gaSMSGauge1->show();
    startSmsRead(0);
}

void TfrmAlarmi::btSMSProcitajClick() {
    if (!main_.hasCurrentDevice()) {
        return;
    }
    ui_->gaSMSGauge2->setMaximum(LastSmsSlot);
    ui_->gaSMSGauge2->show();
    startSmsRead(7);
}

void TfrmAlarmi::SetSMSsClick() {
    if (!main_.hasCurrentDevice()) {
        return;
    }
    const std::array<std::pair<std::uint8_t, QLineEdit*>, 6> group{{{0, ui_->edSMSDIN1_UP},
                                                                    {1, ui_->edSMSDIN2_UP},
                                                                    {2, ui_->edSMSDIN3_UP},
                                                                    {3, ui_->edSMSDIN1_DN},
                                                                    {4, ui_->edSMSDIN2_DN},
                                                                    {5, ui_->edSMSDIN3_DN}}};
    writeSlotEdits(group, EmptyText::send, ui_->gaSMSGauge1, inputTextsGuard_);
}

void TfrmAlarmi::btSMSUpisiClick() {
    if (!main_.hasCurrentDevice()) {
        return;
    }
    const std::array<std::pair<std::uint8_t, QLineEdit*>, 3> group{
        {{7, ui_->edSMSAlarmMax}, {8, ui_->edSMSAlarmMin}, {9, ui_->edSMSAlarmNormalizacija}}};
    ui_->gaSMSGauge2->setMaximum(static_cast<int>(group.size()));
    ui_->gaSMSGauge2->setValue(1);
    writeSlotEdits(group, EmptyText::skip, ui_->gaSMSGauge2);
}

void TfrmAlarmi::edSMSDINChange(QLineEdit* edit) {
    // The unit stores 30 characters; red marks a longer text read from a
    // unit, which the write refuses.
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Text,
                     edit->text().size() > static_cast<qsizetype>(protocol::SmsTextMaxLength)
                         ? Qt::red
                         : Qt::black);
    edit->setPalette(palette);
}

// Digital input triggers

void TfrmAlarmi::btnGetDINTrigersClick() {
    if (main_.hasCurrentDevice()) {
        sendReport(main_, protocol::requestDigitalTriggers());
    }
}

void TfrmAlarmi::ReplyGAD(const protocol::DigitalTriggers& triggers) {
    ui_->cbDINTr1->setChecked(triggers.enabled[0]);
    ui_->cbDINTr2->setChecked(triggers.enabled[1]);
    ui_->cbDINTr3->setChecked(triggers.enabled[2]);
    ui_->edDebounceDelayDIN1->setText(QString::number(triggers.delays[0]));
    ui_->edDebounceDelayDIN2->setText(QString::number(triggers.delays[1]));
    ui_->edDebounceDelayDIN3->setText(QString::number(triggers.delays[2]));
    ui_->cbDinsAllEnabled->setChecked(triggers.allEnabled);
}

void TfrmAlarmi::btnSetDINTrigersClick() {
    if (!main_.hasCurrentDevice()) {
        return;
    }
    protocol::DigitalTriggers triggers;
    triggers.enabled = {ui_->cbDINTr1->isChecked(), ui_->cbDINTr2->isChecked(),
                        ui_->cbDINTr3->isChecked()};
    const std::array delayEdits{ui_->edDebounceDelayDIN1, ui_->edDebounceDelayDIN2,
                                ui_->edDebounceDelayDIN3};
    for (std::size_t i = 0; i < delayEdits.size(); ++i) {
        const auto delay = UserInput::integer(delayEdits[i], protocol::DetectionDelayLimits);
        if (!delay) {
            return;
        }
        triggers.delays[i] = static_cast<std::uint8_t>(*delay);
    }
    triggers.allEnabled = ui_->cbDinsAllEnabled->isChecked();
    sendReport(main_, protocol::writeDigitalTriggers(triggers));
}

// Analog alarm thresholds

void TfrmAlarmi::btGetAnalogAlarmSettingsClick() {
    if (main_.hasCurrentDevice()) {
        sendReport(main_, protocol::requestAnalogAlarm());
    }
}

void TfrmAlarmi::ReplyGAA(const protocol::AnalogAlarmReply& alarm) {
    ui_->edANAlarmMaxVal->setText(UserInput::fixedPointText(alarm.maximum));
    ui_->edANAlarmMinVal->setText(UserInput::fixedPointText(alarm.minimum));
    ui_->edANVremePonavljanja->setText(QString::number(alarm.repeatMinutes));
    ui_->edMaxSMSForSendind->setText(QString::number(alarm.smsCount));
    ui_->cbAN1AlarmOn->setChecked(alarm.alarmOn);
    if (alarm.useCustomSms) {
        ui_->cbCustomANAlarmSMSs->setChecked(*alarm.useCustomSms);
    }
}

void TfrmAlarmi::btSetAnalogAlarmSettingsClick() {
    if (!main_.hasCurrentDevice()) {
        return;
    }
    const auto maximum = UserInput::fixedPoint(ui_->edANAlarmMaxVal);
    if (!maximum) {
        return;
    }
    const auto minimum = UserInput::fixedPoint(ui_->edANAlarmMinVal);
    if (!minimum) {
        return;
    }
    const auto repeat = UserInput::integer(ui_->edANVremePonavljanja, protocol::RepeatTimeLimits);
    if (!repeat) {
        return;
    }
    const auto count = UserInput::integer(ui_->edMaxSMSForSendind, protocol::SmsCountLimits);
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
    settings.alarmOn = ui_->cbAN1AlarmOn->isChecked();
    settings.useCustomSms = ui_->cbCustomANAlarmSMSs->isChecked();
    sendReport(main_, protocol::writeAnalogAlarm(settings));
}
