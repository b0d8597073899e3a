#include "windows/Debug.h"

#include <array>
#include <cstddef>

#include "protocol/MainCommands.h"
#include "ui_Debug.h"
#include "widgets/DialogService.h"
#include "windows/WindowProtocol.h"

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

TfrmDebug::TfrmDebug(TMainLink& main, QWidget* parent)
    : QWidget(parent), main_(main), ui_(std::make_unique<Ui::TfrmDebug>()) {
    ui_->setupUi(this);
    connect(ui_->sEdit1, &QLineEdit::textChanged, this, &TfrmDebug::sEdit1Change);
    connect(ui_->btSendSMS, &QPushButton::clicked, this, &TfrmDebug::btSendSMSClick);
}

TfrmDebug::~TfrmDebug() = default;

void TfrmDebug::ShowStateValues(const protocol::StatusReply& status) {
    const std::array<std::pair<QLineEdit*, std::uint8_t>, 8> fields{{
        {ui_->sEdit1, status.mainState},
        {ui_->sEdit2, status.smsListState},
        {ui_->sEdit3, status.gsmInitState},
        {ui_->sEdit4, status.gsmLiveRemaining},
        {ui_->sEdit5, status.usartDataReady},
        {ui_->sEdit6, status.raportSmsState},
        {ui_->sEdit7, status.sendSmsTextState},
        {ui_->sEdit9, status.anAlarmDebounceCounter},
    }};
    for (const auto& [edit, value] : fields) {
        edit->setText(QString::number(value));
    }
}

void TfrmDebug::sEdit1Change(const QString& text) {
    for (std::size_t i = 0; i < StateNames.size(); ++i) {
        if (text == QString::number(i + 1)) {
            ui_->sEdit8->setText(QString::fromLatin1(StateNames[i]));
            return;
        }
    }
}

void TfrmDebug::btSendSMSClick() {
    // Enter must not send an SMS to every number by accident: No is the default.
    if (DialogService::instance().warningYesNo(QStringLiteral(
            "Da li zaista zelite da posaljete na sve upisane brojeve TEST SMS poruku?")) !=
        DialogService::Answer::Yes) {
        return;
    }
    if (main_.hasCurrentDevice()) {
        sendReport(main_, protocol::sendTestSms());
    }
}
