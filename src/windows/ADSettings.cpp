#include "ADSettings.h"

#include <array>
#include <cmath>

#include "Alarmi.h"
#include "Calibration.h"
#include "DialogService.h"
#include "UserInput.h"
#include "WindowProtocol.h"
#include "ui_ADSettings.h"

TfrmADSettings::TfrmADSettings(TMainLink& Main, QWidget* parent)
    : QWidget(parent), Main(Main), ui(std::make_unique<Ui::TfrmADSettings>()) {
    ui->setupUi(this);
    connect(ui->btGetKoef, &QPushButton::clicked, this, &TfrmADSettings::btGetKoefClick);
    connect(ui->btSetKoef, &QPushButton::clicked, this, &TfrmADSettings::btSetKoefClick);
    connect(ui->btADZerro, &QPushButton::clicked, this, &TfrmADSettings::btADZerroClick);
    connect(ui->btADFullscale, &QPushButton::clicked, this, &TfrmADSettings::btADFullscaleClick);
    connect(ui->btADCalcKN, &QPushButton::clicked, this, &TfrmADSettings::btADCalcKNClick);
    connect(ui->sBitBtn1, &QPushButton::clicked, this, &TfrmADSettings::sBitBtn1Click);
    connect(ui->sBitBtn2, &QPushButton::clicked, this, &TfrmADSettings::sBitBtn2Click);
}

TfrmADSettings::~TfrmADSettings() = default;

void TfrmADSettings::SetAlarmi(TfrmAlarmi* alarmi) {
    Alarmi = alarmi;
}

QLineEdit* TfrmADSettings::edSMSAnalog1() const {
    return ui->edSMSAnalog1;
}

// Calibration of both channels

void TfrmADSettings::btGetKoefClick() {
    if (Main.HasCurrentDevice()) {
        SendReport(Main, protocol::requestCalibration());
    }
}

void TfrmADSettings::ReplyGK(const ReplyBytes& bytes) {
    const auto calibration = protocol::decodeCalibration(ToReply(bytes));
    const auto& ch1 = calibration.channels[0];
    const auto& ch2 = calibration.channels[1];
    ui->edKoefKCh1->setText(UserInput::FixedPointText(ch1.k));
    ui->edKoefNCh1->setText(UserInput::FixedPointText(ch1.n));
    ui->edKoefKCh2->setText(UserInput::FixedPointText(ch2.k));
    ui->edKoefNCh2->setText(UserInput::FixedPointText(ch2.n));
    ui->edADRawOffsetCh1->setText(QString::number(ch1.offset));
    ui->edADRawOffsetCh2->setText(QString::number(ch2.offset));
    ui->cbUseVoltageOUTCH1->setChecked(ch1.voltageOut);
    ui->cbUseVoltageOUTCH2->setChecked(ch2.voltageOut);
}

void TfrmADSettings::btSetKoefClick() {
    if (!Main.HasCurrentDevice()) {
        return;
    }
    protocol::Calibration calibration;
    auto& ch1 = calibration.channels[0];
    auto& ch2 = calibration.channels[1];
    // In this order, so the first text that cannot be sent is the one shown.
    const std::array coefficients{
        std::pair{ui->edKoefKCh1, &ch1.k}, std::pair{ui->edKoefNCh1, &ch1.n},
        std::pair{ui->edKoefKCh2, &ch2.k}, std::pair{ui->edKoefNCh2, &ch2.n}};
    for (const auto& [edit, value] : coefficients) {
        const auto scaled = UserInput::FixedPoint(edit);
        if (!scaled) {
            return;
        }
        *value = *scaled;
    }
    const std::array offsets{std::pair{ui->edADRawOffsetCh1, &ch1.offset},
                             std::pair{ui->edADRawOffsetCh2, &ch2.offset}};
    for (const auto& [edit, value] : offsets) {
        const auto offset = UserInput::Integer(edit, protocol::RawOffsetLimits);
        if (!offset) {
            return;
        }
        *value = static_cast<std::int16_t>(*offset);
    }
    ch1.voltageOut = ui->cbUseVoltageOUTCH1->isChecked();
    ch2.voltageOut = ui->cbUseVoltageOUTCH2->isChecked();
    SendReport(Main, protocol::writeCalibration(calibration));
}

// Zero and full-scale capture, and K and the offset computed from them

void TfrmADSettings::btADZerroClick() {
    ui->edADZerro->setText(QString::number(Main.ADRawCH1()));
}

void TfrmADSettings::btADFullscaleClick() {
    ui->edADFullScale->setText(QString::number(Main.ADRawCH1()));
}

void TfrmADSettings::btADCalcKNClick() {
    const auto zero = UserInput::Double(ui->edADZerro);
    if (!zero) {
        return;
    }
    const auto fullScale = UserInput::Double(ui->edADFullScale);
    if (!fullScale) {
        return;
    }
    const auto valueAtFullScale = UserInput::Double(ui->edVrednostPriFS);
    if (!valueAtFullScale) {
        return;
    }
    const double span = *fullScale - *zero;
    if (span == 0) {
        DialogService::instance().error(*valueAtFullScale == 0
                                            ? QStringLiteral("Invalid floating point operation")
                                            : QStringLiteral("Floating point division by zero"));
        return;
    }
    const double k = *valueAtFullScale / span;
    if (!std::isfinite(k)) {
        DialogService::instance().error(QStringLiteral("Floating point overflow"));
        return;
    }
    ui->edKoefKCh1->setText(UserInput::GeneralText(k));
    const auto zeroReading = UserInput::Integer(ui->edADZerro);
    if (!zeroReading) {
        return;
    }
    ui->edADRawOffsetCh1->setText(QString::number(-*zeroReading));
}

// Text of slot 6, read and written through the alarm window's chain and flag

void TfrmADSettings::sBitBtn1Click() {
    if (Main.HasCurrentDevice() && Alarmi != nullptr) {
        Alarmi->StartSMSRead(6);
    }
}

void TfrmADSettings::sBitBtn2Click() {
    if (!Main.HasCurrentDevice() || Alarmi == nullptr) {
        return;
    }
    const std::array<TfrmAlarmi::TSmsSlot, 1> group{{{6, ui->edSMSAnalog1}}};
    Alarmi->WriteSMSSlots(group, TfrmAlarmi::TEmptyText::Skip, nullptr);
}
