#include "GSMNumbers.h"

#include "ui_GSMNumbers.h"

TfrmGSMNumbers::TfrmGSMNumbers(TMainLink& Main, QWidget* parent)
    : QWidget(parent), Main(Main), ui(std::make_unique<Ui::TfrmGSMNumbers>()) {
    ui->setupUi(this);
    connect(ui->btGSMNRead, &QPushButton::clicked, this, &TfrmGSMNumbers::btGSMNReadClick);
    connect(ui->btGSMNWrite, &QPushButton::clicked, this, &TfrmGSMNumbers::btGSMNWriteClick);
}

TfrmGSMNumbers::~TfrmGSMNumbers() = default;

void TfrmGSMNumbers::ReplyGN(const ReplyBytes&) {}

void TfrmGSMNumbers::ReplySN() {
    WaitForOk = false;
}

void TfrmGSMNumbers::btGSMNReadClick() {}

void TfrmGSMNumbers::btGSMNWriteClick() {}
