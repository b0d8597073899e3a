#include "Izlazi.h"

#include <QRegularExpressionValidator>

#include "DialogService.h"
#include "PulseTime.h"
#include "UserInput.h"
#include "WindowProtocol.h"
#include "ui_Izlazi.h"

TfrmIzlazi::TfrmIzlazi(TMainLink& Main, QWidget* parent)
    : QWidget(parent), Main(Main), ui(std::make_unique<Ui::TfrmIzlazi>()) {
    ui->setupUi(this);
    ui->edRelayDelay->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
    connect(ui->btReadRelayDelay, &QPushButton::clicked, this, &TfrmIzlazi::btReadRelayDelayClick);
    connect(ui->btSetRelayDelay, &QPushButton::clicked, this, &TfrmIzlazi::btSetRelayDelayClick);
}

TfrmIzlazi::~TfrmIzlazi() = default;

void TfrmIzlazi::btReadRelayDelayClick() {
    if (Main.HasCurrentDevice()) {
        SendReport(Main, protocol::requestPulseTime());
    }
}

void TfrmIzlazi::ReplyGO(const ReplyBytes& bytes) {
    ui->edRelayDelay->setText(QString::number(protocol::decodePulseTime(ToReply(bytes))));
}

void TfrmIzlazi::btSetRelayDelayClick() {
    const auto ticks = UserInput::Integer(ui->edRelayDelay);
    if (!ticks) {
        return;
    }
    // Checked with or without a unit, so the user learns the limits either way.
    if (!protocol::PulseTimeLimits.contains(*ticks)) {
        DialogService::instance().warningOkCancel(
            QStringLiteral("Period mora biti u granicama od 1 do 250!"));
        return;
    }
    if (Main.HasCurrentDevice()) {
        SendReport(Main, protocol::writePulseTime(static_cast<std::uint8_t>(*ticks)));
    }
}
