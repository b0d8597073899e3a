#include "Debug.h"

#include <array>
#include <cstddef>

#include "DialogService.h"
#include "MainCommands.h"
#include "WindowProtocol.h"
#include "ui_Debug.h"

namespace {

// The main state machine's states, by number from 1.
const std::array<const char*, 16> StateNames{"STATE_START",
                                             "STATE_IDLE",
                                             "STATE_LIST_MESSAGES",
                                             "STATE_RAPORT_SMS",
                                             "STATE_GSM_SIGNAL",
                                             "STATE_COLDSTART",
                                             "STATE_UTRAPORT",
                                             "STATE_INIT_RAPORT",
                                             "STATE_GSM_SIM_CARD",
                                             "STATE_GPRS_GET_STATE",
                                             "STATE_GPRS_RAPORTING",
                                             "STATE_GPRS_TRY_RECONNECT",
                                             "STATE_GPRS_SEND_TEXT",
                                             "STATE_GSM_SET_TXT_MODE",
                                             "STATE_GSM_REGISTRATION",
                                             "STATE_GSM_WAIT_FOR_CALL"};

}  // namespace

TfrmDebug::TfrmDebug(TMainLink& Main, QWidget* parent)
    : QWidget(parent), Main(Main), ui(std::make_unique<Ui::TfrmDebug>()) {
    ui->setupUi(this);
    connect(ui->sEdit1, &QLineEdit::textChanged, this, &TfrmDebug::sEdit1Change);
    connect(ui->btSendSMS, &QPushButton::clicked, this, &TfrmDebug::btSendSMSClick);
}

TfrmDebug::~TfrmDebug() = default;

QLineEdit* TfrmDebug::sEdit(int n) const {
    const std::array edits{ui->sEdit1, ui->sEdit2, ui->sEdit3, ui->sEdit4, ui->sEdit5,
                           ui->sEdit6, ui->sEdit7, ui->sEdit8, ui->sEdit9};
    return n >= 1 && n <= int(edits.size()) ? edits[std::size_t(n - 1)] : nullptr;
}

void TfrmDebug::ShowStateValues(const ReplyBytes& bytes) {
    const auto reply = ToReply(bytes);
    const std::array<std::pair<int, std::size_t>, 8> fields{
        {{1, 55}, {2, 56}, {3, 57}, {4, 58}, {5, 59}, {6, 60}, {7, 61}, {9, 64}}};
    for (const auto& [edit, byte] : fields) {
        sEdit(edit)->setText(QString::number(reply.byte(byte)));
    }
}

void TfrmDebug::sEdit1Change(const QString& text) {
    for (std::size_t i = 0; i < StateNames.size(); ++i) {
        if (text == QString::number(i + 1)) {
            ui->sEdit8->setText(QString::fromLatin1(StateNames[i]));
            return;
        }
    }
}

void TfrmDebug::btSendSMSClick() {
    if (DialogService::instance().confirm(QStringLiteral(
            "Da li zaista zelite da posaljete na sve upisane brojeve TEST SMS poruku?")) !=
        DialogService::Answer::Yes) {
        return;
    }
    if (Main.HasCurrentDevice()) {
        SendReport(Main, protocol::sendTestSms());
    }
}
