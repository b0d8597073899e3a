#include "CallPhonebook.h"

#include "DialogService.h"
#include "Phonebook.h"
#include "UserInput.h"
#include "WindowProtocol.h"
#include "ui_CallPhonebook.h"

namespace {

const QString ActiveText = QStringLiteral("AKTIVAN");
const QString InactiveText = QStringLiteral("NEAKTIVAN");

constexpr int NumberColumn = 0;
constexpr int NoteColumn = 1;
constexpr int ActiveColumn = 2;
constexpr protocol::IntegerLimits RecordNumberLimits{1, protocol::PhonebookRecordCount};

}  // namespace

TfrmCallPhonebook::TfrmCallPhonebook(TMainLink& Main, QWidget* parent)
    : QWidget(parent), Main(Main), ui(std::make_unique<Ui::TfrmCallPhonebook>()) {
    ui->setupUi(this);
    ReadWatchdog.SetGauges({ui->sGauge1});
    ui->Grid1->setColumnCount(3);
    ui->Grid1->setRowCount(int(protocol::PhonebookRecordCount));
    ui->Grid1->setHorizontalHeaderLabels(
        {QStringLiteral("Broj telefona"), QStringLiteral("Napomena"), QStringLiteral("Aktivan")});
    ui->Grid1->setColumnWidth(NumberColumn, 120);
    ui->Grid1->setColumnWidth(NoteColumn, 100);
    ui->Grid1->setColumnWidth(ActiveColumn, 80);
    ui->Grid1->setGutterWidth(40);
    edCallNapomenaChange(ui->edCallNapomena->text());

    connect(ui->btnPhonebookRead, &QPushButton::clicked, this,
            &TfrmCallPhonebook::btnPhonebookReadClick);
    connect(ui->btnSetOnePhonebookRecord, &QPushButton::clicked, this,
            &TfrmCallPhonebook::btnSetOnePhonebookRecordClick);
    connect(ui->btnEnableCallFunction, &QPushButton::clicked, this,
            &TfrmCallPhonebook::btnEnableCallFunctionClick);
    connect(ui->btnDissableCallFunction, &QPushButton::clicked, this,
            &TfrmCallPhonebook::btnDissableCallFunctionClick);
    connect(ui->Grid1, &TGrid::colRowChanged, this, &TfrmCallPhonebook::Grid1ColRowChanged);
    connect(ui->Grid1, &TGrid::gutterClicked, this, &TfrmCallPhonebook::Grid1GutterClick);
    connect(ui->edCallNapomena, &QLineEdit::textChanged, this,
            &TfrmCallPhonebook::edCallNapomenaChange);
}

TfrmCallPhonebook::~TfrmCallPhonebook() = default;

QWidget* TfrmCallPhonebook::panCallNumbers() const {
    return ui->panCallNumbers;
}

void TfrmCallPhonebook::requestRecord(std::uint16_t index) {
    SendReport(Main, protocol::requestPhonebookRecord(index));
}

void TfrmCallPhonebook::btnPhonebookReadClick() {
    if (!Main.HasCurrentDevice()) {
        return;
    }
    GSMCallPhoneBookReadPointer = 0;
    GSMCallPhoneBookReadStop = protocol::PhonebookRecordCount - 1;
    ui->sGauge1->setMaximum(int(protocol::PhonebookRecordCount));
    ui->sGauge1->setValue(0);
    ui->sGauge1->show();
    requestRecord(GSMCallPhoneBookReadPointer);
    ReadWatchdog.Arm();
}

void TfrmCallPhonebook::ReplyGC(const ReplyBytes& bytes) {
    const auto record = protocol::decodePhonebookRecord(ToReply(bytes));
    const QString number = QString::fromStdU16String(record.number);
    const QString active =
        number.isEmpty() ? QString() : (record.active ? ActiveText : InactiveText);
    if (record.row < protocol::PhonebookRecordCount) {
        ui->Grid1->setCells(NumberColumn, record.row,
                            {{number, QString::fromStdU16String(record.note), active}});
    }
    // The chain follows the count of replies, whatever record they named.
    ++GSMCallPhoneBookReadPointer;
    if (GSMCallPhoneBookReadPointer > GSMCallPhoneBookReadStop) {
        ui->sGauge1->hide();
        ReadWatchdog.Disarm();
        return;
    }
    ui->sGauge1->setValue(GSMCallPhoneBookReadPointer + 1);
    if (Main.HasCurrentDevice()) {
        requestRecord(GSMCallPhoneBookReadPointer);
    }
    ReadWatchdog.Arm();
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
    ui->edCallNmbrField->setText(QString::number(row + 1));
    ui->edGSMCallNumber->setText(ui->Grid1->cell(NumberColumn, row));
    ui->edCallNapomena->setText(ui->Grid1->cell(NoteColumn, row));
    ui->cbCallNmbrAktivan->setChecked(ui->Grid1->cell(ActiveColumn, row) == ActiveText);
}

void TfrmCallPhonebook::edCallNapomenaChange(const QString& text) {
    // A warning only: the write cuts the note to what the unit keeps.
    QPalette palette = ui->edCallNapomena->palette();
    palette.setColor(QPalette::Text, text.size() > qsizetype(protocol::PhonebookNoteMaxLength)
                                         ? QColor(255, 0, 0)
                                         : QColor(0, 0, 0));
    ui->edCallNapomena->setPalette(palette);
}

void TfrmCallPhonebook::btnSetOnePhonebookRecordClick() {
    if (!Main.HasCurrentDevice()) {
        return;
    }
    if (ui->edCallNmbrField->text().isEmpty()) {
        DialogService::instance().error(QStringLiteral("Izaberite zapis u tabeli!"));
        return;
    }
    const auto recordNumber = UserInput::Integer(ui->edCallNmbrField, RecordNumberLimits);
    if (!recordNumber) {
        return;
    }
    auto number = UserInput::Text(ui->edGSMCallNumber);
    if (!number) {
        return;
    }
    auto note = UserInput::Text(ui->edCallNapomena);
    if (!note) {
        return;
    }
    const auto index = static_cast<std::uint16_t>(*recordNumber - 1);
    WaitForOk = true;
    SendReport(Main, protocol::writePhonebookRecord(index, *number, *note,
                                                    ui->cbCallNmbrAktivan->isChecked()));
    if (!Main.WaitForAcknowledge(WaitForOk)) {
        return;
    }
    // Read the record back so the grid shows what the unit stored.
    GSMCallPhoneBookReadPointer = index;
    GSMCallPhoneBookReadStop = index;
    requestRecord(index);
}

void TfrmCallPhonebook::btnEnableCallFunctionClick() {
    if (Main.HasCurrentDevice()) {
        SendReport(Main, protocol::switchCallFunction(true));
    }
}

void TfrmCallPhonebook::btnDissableCallFunctionClick() {
    if (Main.HasCurrentDevice()) {
        SendReport(Main, protocol::switchCallFunction(false));
    }
}
