#include "windows/CallPhonebook.h"

#include "protocol/Phonebook.h"
#include "ui_CallPhonebook.h"
#include "widgets/DialogService.h"
#include "widgets/LengthLimit.h"
#include "windows/ProfileTexts.h"
#include "windows/UserInput.h"
#include "windows/WindowProtocol.h"

namespace {

const QString ActiveText = QStringLiteral("AKTIVAN");
const QString InactiveText = QStringLiteral("NEAKTIVAN");

constexpr int NumberColumn = 0;
constexpr int NoteColumn = 1;
constexpr int ActiveColumn = 2;
constexpr protocol::IntegerLimits RecordNumberLimits{1, protocol::PhonebookRecordCount};

}  // namespace

TfrmCallPhonebook::TfrmCallPhonebook(TMainLink& main, QWidget* parent)
    : QWidget(parent),
      main_(main),
      ui_(std::make_unique<Ui::TfrmCallPhonebook>()),
      phonebookRead_(GSMCallPhoneBookReadPointer, [&main](std::uint16_t index) {
          sendToCurrentDevice(main, protocol::requestPhonebookRecord(index));
      }) {
    ui_->setupUi(this);
    ui_->Grid1->setColumnCount(3);
    ui_->Grid1->setRowCount(int(protocol::PhonebookRecordCount));
    ui_->Grid1->setHorizontalHeaderLabels(
        {QStringLiteral("Broj telefona"), QStringLiteral("Napomena"), QStringLiteral("Aktivan")});
    ui_->Grid1->setColumnWidth(NumberColumn, 120);
    ui_->Grid1->setColumnWidth(NoteColumn, 100);
    ui_->Grid1->setColumnWidth(ActiveColumn, 80);
    ui_->Grid1->setGutterWidth(40);
    LengthLimit::limit(ui_->edGSMCallNumber,
                       int(profile::maxLength(profile::TextField::PhonebookNumber)));
    LengthLimit::limit(ui_->edCallNapomena,
                       int(profile::maxLength(profile::TextField::PhonebookNote)));

    connect(ui_->btnPhonebookRead, &QPushButton::clicked, this,
            &TfrmCallPhonebook::btnPhonebookReadClick);
    connect(ui_->btnSetOnePhonebookRecord, &QPushButton::clicked, this,
            &TfrmCallPhonebook::btnSetOnePhonebookRecordClick);
    connect(ui_->btnEnableCallFunction, &QPushButton::clicked, this,
            &TfrmCallPhonebook::btnEnableCallFunctionClick);
    connect(ui_->btnDissableCallFunction, &QPushButton::clicked, this,
            &TfrmCallPhonebook::btnDissableCallFunctionClick);
    connect(ui_->Grid1, &TGrid::colRowChanged, this, &TfrmCallPhonebook::Grid1ColRowChanged);
    connect(ui_->Grid1, &TGrid::gutterClicked, this, &TfrmCallPhonebook::Grid1GutterClick);
}

TfrmCallPhonebook::~TfrmCallPhonebook() = default;

void TfrmCallPhonebook::ShowCallFunction(bool on) {
    ui_->panCallNumbers->setEnabled(on);
    ui_->panCallNumbers->setVisible(on);
    // Rather than a window with two buttons and nothing else.
    ui_->lbCallFunctionOff->setVisible(!on);
}

void TfrmCallPhonebook::btnPhonebookReadClick() {
    if (!main_.hasCurrentDevice()) {
        return;
    }
    ui_->sGauge1->setMaximum(int(protocol::PhonebookRecordCount));
    ui_->sGauge1->setValue(0);
    ui_->sGauge1->show();
    phonebookRead_.start(0, protocol::PhonebookRecordCount - 1);
}

void TfrmCallPhonebook::showRecord(std::size_t row, const std::u16string& number,
                                   const std::u16string& note, bool active) {
    const QString numberText = QString::fromStdU16String(number);
    const QString activeText =
        numberText.isEmpty() ? QString() : (active ? ActiveText : InactiveText);
    if (row < protocol::PhonebookRecordCount) {
        ui_->Grid1->setCells(NumberColumn, static_cast<int>(row),
                             {{numberText, QString::fromStdU16String(note), activeText}});
    }
}

void TfrmCallPhonebook::showProfile(const profile::UnitProfile& unit) {
    if (unit.phonebook) {
        for (std::size_t row = 0; row < unit.phonebook->size(); ++row) {
            const profile::PhonebookRecord& record = (*unit.phonebook)[row];
            showRecord(row, record.number, record.note, record.active);
        }
    }
    if (unit.callFunction) {
        ShowCallFunction(*unit.callFunction);
    }
}

void TfrmCallPhonebook::ReplyGC(const protocol::PhonebookReply& record) {
    showRecord(record.row, record.number, record.note, record.active);
    if (!phonebookRead_.replyArrived()) {
        ui_->sGauge1->hide();
        return;
    }
    ui_->sGauge1->setValue(GSMCallPhoneBookReadPointer + 1);
}

bool TfrmCallPhonebook::readWatchdogTick() {
    return watchdogTick(phonebookRead_, {ui_->sGauge1});
}

void TfrmCallPhonebook::ReplySC() {
    WaitForOk = false;
}

void TfrmCallPhonebook::Grid1ColRowChanged(int, int row) {
    selectRecord(row);
}

void TfrmCallPhonebook::Grid1GutterClick(int row) {
    selectRecord(row);
}

void TfrmCallPhonebook::selectRecord(int row) {
    ui_->edCallNmbrField->setText(QString::number(row + 1));
    LengthLimit::show(ui_->edGSMCallNumber, ui_->Grid1->cell(NumberColumn, row));
    LengthLimit::show(ui_->edCallNapomena, ui_->Grid1->cell(NoteColumn, row));
    ui_->cbCallNmbrAktivan->setChecked(ui_->Grid1->cell(ActiveColumn, row) == ActiveText);
}

void TfrmCallPhonebook::btnSetOnePhonebookRecordClick() {
    if (!main_.hasCurrentDevice()) {
        return;
    }
    if (ui_->edCallNmbrField->text().isEmpty()) {
        DialogService::instance().error(QStringLiteral("Izaberite zapis u tabeli!"));
        return;
    }
    const auto recordNumber = UserInput::integer(ui_->edCallNmbrField, RecordNumberLimits);
    if (!recordNumber) {
        return;
    }
    const auto index = static_cast<std::uint16_t>(*recordNumber - 1);
    const QString record = QStringLiteral("phonebook[%1]").arg(index);
    auto number = UserInput::text(ui_->edGSMCallNumber, profile::TextField::PhonebookNumber,
                                  ProfileTexts::fieldName(record + QStringLiteral(".number")));
    if (!number) {
        return;
    }
    auto note = UserInput::text(ui_->edCallNapomena, profile::TextField::PhonebookNote,
                                ProfileTexts::fieldName(record + QStringLiteral(".note")));
    if (!note) {
        return;
    }
    auto write = acknowledgedWrite(main_);
    write.send = [&](std::size_t) {
        sendReport(main_, protocol::writePhonebookRecord(index, *number, *note,
                                                         ui_->cbCallNmbrAktivan->isChecked()));
    };
    if (write.run(1, WaitForOk) == 0) {
        return;
    }
    // Read the record back so the grid shows what the unit stored.
    phonebookRead_.start(index, index);
}

void TfrmCallPhonebook::btnEnableCallFunctionClick() {
    if (main_.hasCurrentDevice()) {
        sendReport(main_, protocol::switchCallFunction(true));
    }
}

void TfrmCallPhonebook::btnDissableCallFunctionClick() {
    if (main_.hasCurrentDevice()) {
        sendReport(main_, protocol::switchCallFunction(false));
    }
}
