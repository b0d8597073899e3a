#include "GSMNumbers.h"

#include <array>

#include "GsmNumbers.h"
#include "UserInput.h"
#include "WindowProtocol.h"
#include "ui_GSMNumbers.h"

TfrmGSMNumbers::TfrmGSMNumbers(TMainLink& Main, QWidget* parent)
    : QWidget(parent), Main(Main), ui(std::make_unique<Ui::TfrmGSMNumbers>()) {
    ui->setupUi(this);
    ReadWatchdog.SetGauges({ui->sGauge1});
    connect(ui->btGSMNRead, &QPushButton::clicked, this, &TfrmGSMNumbers::btGSMNReadClick);
    connect(ui->btGSMNWrite, &QPushButton::clicked, this, &TfrmGSMNumbers::btGSMNWriteClick);
}

TfrmGSMNumbers::~TfrmGSMNumbers() = default;

QLineEdit* TfrmGSMNumbers::numberEdit(std::size_t index) const {
    const std::array edits{ui->edGSMN1, ui->edGSMN2, ui->edGSMN3,
                           ui->edGSMN4, ui->edGSMN5, ui->edGSMN6};
    return index < edits.size() ? edits[index] : nullptr;
}

void TfrmGSMNumbers::btGSMNReadClick() {
    if (!Main.HasCurrentDevice()) {
        return;
    }
    GSMNumbReadPointer = 0;
    ui->sGauge1->setMaximum(protocol::GsmNumberCount);
    ui->sGauge1->show();
    SendReport(Main, protocol::requestGsmNumber(0));
    ReadWatchdog.Arm();
}

void TfrmGSMNumbers::ReplyGN(const ReplyBytes& bytes) {
    const auto reply = protocol::decodeGsmNumber(ToReply(bytes));
    if (QLineEdit* edit = numberEdit(reply.index)) {
        edit->setText(QString::fromStdU16String(reply.number));
    }
    ++GSMNumbReadPointer;
    if (GSMNumbReadPointer >= protocol::GsmNumberCount) {
        ui->sGauge1->hide();
        ReadWatchdog.Disarm();
        return;
    }
    ui->sGauge1->setValue(reply.index + 1);
    if (Main.HasCurrentDevice()) {
        SendReport(Main, protocol::requestGsmNumber(GSMNumbReadPointer));
    }
    ReadWatchdog.Arm();
}

void TfrmGSMNumbers::ReplySN() {
    WaitForOk = false;
}

void TfrmGSMNumbers::btGSMNWriteClick() {
    if (!Main.HasCurrentDevice()) {
        return;
    }
    // Every number is checked before the first one goes out, so a refused
    // character never leaves the unit with half of the list written.
    std::array<protocol::WireText, protocol::GsmNumberCount> numbers;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        auto number = UserInput::Text(numberEdit(i));
        if (!number) {
            return;
        }
        numbers[i] = std::move(*number);
    }
    ui->sGauge1->setMaximum(protocol::GsmNumberCount);
    ui->sGauge1->show();
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        WaitForOk = true;
        SendReport(Main, protocol::writeGsmNumber(static_cast<std::uint8_t>(i), numbers[i]));
        ui->sGauge1->setValue(static_cast<int>(i) + 1);
        Main.WaitForAcknowledge(WaitForOk);
    }
    ui->sGauge1->hide();
}
