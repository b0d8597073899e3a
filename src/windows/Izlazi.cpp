#include "windows/Izlazi.h"

#include <QRegularExpressionValidator>

#include "protocol/PulseTime.h"
#include "ui_Izlazi.h"
#include "widgets/DialogService.h"
#include "windows/UserInput.h"
#include "windows/WindowProtocol.h"

TfrmIzlazi::TfrmIzlazi(TMainLink& main, QWidget* parent)
    : QWidget(parent), main_(main), ui_(std::make_unique<Ui::TfrmIzlazi>()) {
    ui_->setupUi(this);
    ui_->edRelayDelay->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
    connect(ui_->btReadRelayDelay, &QPushButton::clicked, this, &TfrmIzlazi::btReadRelayDelayClick);
    connect(ui_->btSetRelayDelay, &QPushButton::clicked, this, &TfrmIzlazi::btSetRelayDelayClick);
}

TfrmIzlazi::~TfrmIzlazi() = default;

void TfrmIzlazi::btReadRelayDelayClick() {
    if (main_.hasCurrentDevice()) {
        sendReport(main_, protocol::requestPulseTime());
    }
}

void TfrmIzlazi::ReplyGO(std::uint8_t ticks) {
    ui_->edRelayDelay->setText(QString::number(ticks));
}

void TfrmIzlazi::showProfile(const profile::UnitProfile& unit) {
    if (unit.relayPulseTime) {
        ReplyGO(*unit.relayPulseTime);
    }
}

void TfrmIzlazi::btSetRelayDelayClick() {
    const auto ticks = UserInput::integer(ui_->edRelayDelay);
    if (!ticks) {
        return;
    }
    // Checked with or without a unit, so the user learns the limits either way.
    if (!protocol::PulseTimeLimits.contains(*ticks)) {
        DialogService::instance().warningOkCancel(
            QStringLiteral("Period mora biti u granicama od 1 do 250!"));
        return;
    }
    if (main_.hasCurrentDevice()) {
        sendReport(main_, protocol::writePulseTime(static_cast<std::uint8_t>(*ticks)));
    }
}
