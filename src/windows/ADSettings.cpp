#include "windows/ADSettings.h"

#include <array>

#include "ui_ADSettings.h"
#include "widgets/DialogService.h"
#include "widgets/LengthLimit.h"
#include "windows/Alarmi.h"
#include "windows/ProfileTexts.h"
#include "windows/UserInput.h"
#include "windows/WindowProtocol.h"

namespace {

// The text slot of the analog input.
constexpr std::uint8_t AnalogSmsSlot = 6;

}  // namespace

TfrmADSettings::TfrmADSettings(TMainLink& main, TfrmAlarmi& alarmi, QWidget* parent)
    : QWidget(parent), main_(main), ui_(std::make_unique<Ui::TfrmADSettings>()), alarmi_(alarmi) {
    ui_->setupUi(this);
    LengthLimit::limit(ui_->edSMSAnalog1, int(profile::maxLength(profile::TextField::SmsText)));
    connect(&alarmi, &TfrmAlarmi::smsTextRead, this, &TfrmADSettings::showSmsText);
    connect(ui_->btGetKoef, &QPushButton::clicked, this, &TfrmADSettings::btGetKoefClick);
    connect(ui_->btSetKoef, &QPushButton::clicked, this, &TfrmADSettings::btSetKoefClick);
    connect(ui_->btADZerro, &QPushButton::clicked, this, &TfrmADSettings::btADZerroClick);
    connect(ui_->btADFullscale, &QPushButton::clicked, this, &TfrmADSettings::btADFullscaleClick);
    connect(ui_->btADCalcKN, &QPushButton::clicked, this, &TfrmADSettings::btADCalcKNClick);
    connect(ui_->sBitBtn1, &QPushButton::clicked, this, &TfrmADSettings::sBitBtn1Click);
    connect(ui_->sBitBtn2, &QPushButton::clicked, this, &TfrmADSettings::sBitBtn2Click);
}

TfrmADSettings::~TfrmADSettings() = default;

// Calibration of both channels

void TfrmADSettings::btGetKoefClick() {
    if (main_.hasCurrentDevice()) {
        sendReport(main_, protocol::requestCalibration());
    }
}

void TfrmADSettings::ReplyGK(const protocol::Calibration& calibration) {
    const auto& ch1 = calibration.channels[0];
    const auto& ch2 = calibration.channels[1];
    ui_->edKoefKCh1->setText(UserInput::fixedPointText(ch1.k));
    ui_->edKoefNCh1->setText(UserInput::fixedPointText(ch1.n));
    ui_->edKoefKCh2->setText(UserInput::fixedPointText(ch2.k));
    ui_->edKoefNCh2->setText(UserInput::fixedPointText(ch2.n));
    ui_->edADRawOffsetCh1->setText(QString::number(ch1.offset));
    ui_->edADRawOffsetCh2->setText(QString::number(ch2.offset));
    ui_->cbUseVoltageOUTCH1->setChecked(ch1.voltageOut);
    ui_->cbUseVoltageOUTCH2->setChecked(ch2.voltageOut);
}

void TfrmADSettings::showProfile(const profile::UnitProfile& unit) {
    if (unit.calibration) {
        ReplyGK(profile::calibrationOf(*unit.calibration));
    }
}

void TfrmADSettings::btSetKoefClick() {
    if (!main_.hasCurrentDevice()) {
        return;
    }
    protocol::Calibration calibration;
    auto& ch1 = calibration.channels[0];
    auto& ch2 = calibration.channels[1];
    // In this order, so the first text that cannot be sent is the one shown.
    const std::array coefficients{
        std::pair{ui_->edKoefKCh1, &ch1.k}, std::pair{ui_->edKoefNCh1, &ch1.n},
        std::pair{ui_->edKoefKCh2, &ch2.k}, std::pair{ui_->edKoefNCh2, &ch2.n}};
    for (const auto& [edit, value] : coefficients) {
        const auto scaled = UserInput::fixedPoint(edit);
        if (!scaled) {
            return;
        }
        *value = *scaled;
    }
    const std::array offsets{std::pair{ui_->edADRawOffsetCh1, &ch1.offset},
                             std::pair{ui_->edADRawOffsetCh2, &ch2.offset}};
    for (const auto& [edit, value] : offsets) {
        const auto offset = UserInput::integer(edit, protocol::RawOffsetLimits);
        if (!offset) {
            return;
        }
        *value = static_cast<std::int16_t>(*offset);
    }
    ch1.voltageOut = ui_->cbUseVoltageOUTCH1->isChecked();
    ch2.voltageOut = ui_->cbUseVoltageOUTCH2->isChecked();
    sendReport(main_, protocol::writeCalibration(calibration));
}

// Zero and full-scale capture, and K and the offset computed from them

void TfrmADSettings::btADZerroClick() {
    ui_->edADZerro->setText(QString::number(main_.ADRawCH1()));
}

void TfrmADSettings::btADFullscaleClick() {
    ui_->edADFullScale->setText(QString::number(main_.ADRawCH1()));
}

void TfrmADSettings::btADCalcKNClick() {
    const auto zero = UserInput::decimal(ui_->edADZerro);
    if (!zero) {
        return;
    }
    const auto fullScale = UserInput::decimal(ui_->edADFullScale);
    if (!fullScale) {
        return;
    }
    const auto valueAtFullScale = UserInput::decimal(ui_->edVrednostPriFS);
    if (!valueAtFullScale) {
        return;
    }
    const protocol::CapturedK captured = protocol::captureK(*zero, *fullScale, *valueAtFullScale);
    switch (captured.fault) {
        case protocol::CapturedK::Fault::ZeroOverZero:
            DialogService::instance().error(QStringLiteral("Invalid floating point operation"));
            return;
        case protocol::CapturedK::Fault::DivisionByZero:
            DialogService::instance().error(QStringLiteral("Floating point division by zero"));
            return;
        case protocol::CapturedK::Fault::Overflow:
            DialogService::instance().error(QStringLiteral("Floating point overflow"));
            return;
        case protocol::CapturedK::Fault::None:
            break;
    }
    ui_->edKoefKCh1->setText(UserInput::generalText(captured.k));
    const auto zeroReading = UserInput::integer(ui_->edADZerro);
    if (!zeroReading) {
        return;
    }
    ui_->edADRawOffsetCh1->setText(QString::number(protocol::captureOffset(*zeroReading)));
}

// Text of slot 6, read and written through the alarm window's chain and flag

void TfrmADSettings::sBitBtn1Click() {
    if (main_.hasCurrentDevice()) {
        alarmi_.startSmsRead(AnalogSmsSlot);
    }
}

void TfrmADSettings::sBitBtn2Click() {
    if (!main_.hasCurrentDevice()) {
        return;
    }
    auto text =
        UserInput::text(ui_->edSMSAnalog1, profile::TextField::SmsText,
                        ProfileTexts::fieldName(QStringLiteral("smsTexts[%1]").arg(AnalogSmsSlot)));
    if (!text) {
        return;
    }
    const std::array<TfrmAlarmi::SmsSlotText, 1> slot{{{AnalogSmsSlot, std::move(*text)}}};
    alarmi_.writeSmsTexts(slot, TfrmAlarmi::EmptyText::skip, nullptr);
}

void TfrmADSettings::showSmsText(std::uint8_t slot, const QString& text) {
    if (slot == AnalogSmsSlot) {
        LengthLimit::show(ui_->edSMSAnalog1, text);
    }
}
