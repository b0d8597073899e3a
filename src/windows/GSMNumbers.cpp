#include "windows/GSMNumbers.h"

#include <array>
#include <utility>
#include <vector>

#include "ui_GSMNumbers.h"
#include "widgets/LengthLimit.h"
#include "windows/EmptyWriteGuard.h"
#include "windows/ProfileTexts.h"
#include "windows/UserInput.h"
#include "windows/WindowProtocol.h"

TfrmGSMNumbers::TfrmGSMNumbers(TMainLink& main, QWidget* parent)
    : QWidget(parent),
      main_(main),
      ui_(std::make_unique<Ui::TfrmGSMNumbers>()),
      numberRead_(GSMNumbReadPointer, [&main](std::uint8_t index) {
          sendToCurrentDevice(main, protocol::requestGsmNumber(index));
      }) {
    ui_->setupUi(this);
    std::vector<QLineEdit*> edits;
    for (std::size_t i = 0; i < protocol::GsmNumberCount; ++i) {
        edits.push_back(numberEdit(i));
        LengthLimit::limit(numberEdit(i), int(profile::maxLength(profile::TextField::GsmNumber)));
    }
    emptyGuard_ = new EmptyWriteGuard(std::move(edits), this);
    connect(ui_->btGSMNRead, &QPushButton::clicked, this, &TfrmGSMNumbers::btGSMNReadClick);
    connect(ui_->btGSMNWrite, &QPushButton::clicked, this, &TfrmGSMNumbers::btGSMNWriteClick);
}

TfrmGSMNumbers::~TfrmGSMNumbers() = default;

QLineEdit* TfrmGSMNumbers::numberEdit(std::size_t index) const {
    const std::array edits{ui_->edGSMN1, ui_->edGSMN2, ui_->edGSMN3,
                           ui_->edGSMN4, ui_->edGSMN5, ui_->edGSMN6};
    return index < edits.size() ? edits[index] : nullptr;
}

void TfrmGSMNumbers::btGSMNReadClick() {
    if (!main_.hasCurrentDevice()) {
        return;
    }
    ui_->sGauge1->setMaximum(protocol::GsmNumberCount);
    ui_->sGauge1->show();
    numberRead_.start(0, protocol::GsmNumberCount - 1);
}

void TfrmGSMNumbers::showNumber(std::size_t index, const std::u16string& number) {
    if (QLineEdit* edit = numberEdit(index)) {
        LengthLimit::show(edit, QString::fromStdU16String(number));
    }
}

void TfrmGSMNumbers::showProfile(const profile::UnitProfile& unit) {
    if (unit.gsmNumbers) {
        for (std::size_t i = 0; i < unit.gsmNumbers->size(); ++i) {
            showNumber(i, (*unit.gsmNumbers)[i]);
        }
        emptyGuard_->filled();
    }
}

void TfrmGSMNumbers::unitConnected() {
    emptyGuard_->unitConnected();
}

void TfrmGSMNumbers::ReplyGN(const protocol::GsmNumberReply& reply) {
    showNumber(reply.index, reply.number);
    emptyGuard_->filled();
    if (!numberRead_.replyArrived()) {
        ui_->sGauge1->hide();
        return;
    }
    ui_->sGauge1->setValue(reply.index + 1);
}

bool TfrmGSMNumbers::readWatchdogTick() {
    return watchdogTick(numberRead_, {ui_->sGauge1});
}

void TfrmGSMNumbers::ReplySN() {
    WaitForOk = false;
}

void TfrmGSMNumbers::btGSMNWriteClick() {
    if (!main_.hasCurrentDevice()) {
        return;
    }
    // Every number is checked before the first one goes out, so a refused
    // character never leaves the unit with half of the list written.
    std::array<protocol::WireText, protocol::GsmNumberCount> numbers;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        auto number =
            UserInput::text(numberEdit(i), profile::TextField::GsmNumber,
                            ProfileTexts::fieldName(QStringLiteral("gsmNumbers[%1]").arg(i)));
        if (!number) {
            return;
        }
        numbers[i] = std::move(*number);
    }
    if (!emptyGuard_->mayWrite()) {
        return;
    }
    ui_->sGauge1->setMaximum(protocol::GsmNumberCount);
    ui_->sGauge1->show();
    auto write = acknowledgedWrite(main_);
    write.send = [&](std::size_t i) {
        sendReport(main_, protocol::writeGsmNumber(static_cast<std::uint8_t>(i), numbers[i]));
    };
    write.progress = [this](std::size_t i) { ui_->sGauge1->setValue(static_cast<int>(i) + 1); };
    write.run(numbers.size(), WaitForOk);
    ui_->sGauge1->hide();
}
