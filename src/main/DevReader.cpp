#include "main/DevReader.h"

#include "ui_DevReader.h"

#include "hid/THidDevice.h"
#include "hid/THidDeviceController.h"
#include "link/ReportWriter.h"
#include "link/TraceWriter.h"
#include "link/UnitAccess.h"
#include "main/HistoryCodePage.h"
#include "main/ProfileActions.h"
#include "protocol/CommandReport.h"
#include "protocol/MainCommands.h"
#include "protocol/PulseTime.h"
#include "protocol/Reply.h"
#include "protocol/Status.h"
#include "widgets/DialogService.h"
#include "widgets/DirectWriteFallback.h"
#include "widgets/FileProposal.h"
#include "widgets/NetworkState.h"
#include "widgets/ScreenFit.h"
#include "widgets/WindowKeys.h"
#include "windows/ADSettings.h"
#include "windows/Alarmi.h"
#include "windows/CallPhonebook.h"
#include "windows/Chart.h"
#include "windows/Commissioning.h"
#include "windows/Debug.h"
#include "windows/DeviceText.h"
#include "windows/GSMNumbers.h"
#include "windows/History.h"
#include "windows/Info.h"
#include "windows/Izlazi.h"
#include "windows/Memory.h"
#include "windows/UserInput.h"

#include <QAbstractEventDispatcher>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QSaveFile>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>
#include <span>
#include <string>

namespace {

const QColor SlateText(0x42, 0x48, 0x50);
const QColor Green(0x00, 0x80, 0x00);
const QColor Purple(0x80, 0x00, 0x80);
const QColor AbsentBackground(0xFF, 0xCC, 0xCC);
const QColor Yellow(0xFF, 0xFF, 0x00);
const QColor White(0xFF, 0xFF, 0xFF);

// Changes nothing when the colour is already set: status replies come ten
// times a second and a new palette repaints the widget and its children.
void setTextColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    if (palette.color(QPalette::WindowText) != color) {
        palette.setColor(QPalette::WindowText, color);
        widget->setPalette(palette);
    }
}

// The system's message text on one line, as a history entry is: the lines of
// a message that spans several are joined by a space. Without the trailing
// white space, control characters and full stops it usually ends with.
QString cleanMessage(const std::string& message) {
    QString text = QString::fromStdString(message).simplified();
    qsizetype end = text.size();
    while (end > 0 && (text[end - 1].isSpace() ||
                       text[end - 1].category() == QChar::Other_Control || text[end - 1] == u'.')) {
        --end;
    }
    return text.left(end);
}

const QString NoAnswerText = QStringLiteral("Nema odgovora iz uredjaja!");
const QString MemoryReadFailedText =
    QStringLiteral("Doslo je do greske pri citanju memorije, molimo da citanje pokrenete ponovo.");
const QString PresentPanelText = QStringLiteral("Uredjaj prisutan");
const QString AbsentPanelText = QStringLiteral("Uredjaj NIJE prisutan");
const QString NoAccessPanelText = QStringLiteral("Uredjaj prisutan, ali nema dozvole za pristup");
const QString BusyText = QStringLiteral(
    "U drugom prozoru je u toku čitanje ili upis. Sačekajte da se završi, pa pokušajte ponovo.");
const QString NoSerialText = QStringLiteral("(bez serijskog broja)");
const QString ResetCountersText = QStringLiteral("Da li zelite da obrisete brojace?");
const QString BootModeText = QStringLiteral(
    "Da li zaista zelite da pokrenete BOOT mod na uredjaju? Ovaj mod je potreban samo pri "
    "nadogradnji firmware-a uredjaja!");

}  // namespace

TMainForm::TMainForm(HidPlatform& platform, UiThread& uiThread, QWidget* parent)
    : QMainWindow(parent),
      ui_(std::make_unique<Ui::TMainForm>()),
      platform_(platform),
      HidCtl(std::make_unique<THidDeviceController>(platform, uiThread)) {
    ui_->setupUi(this);
    ScreenFit::scrollContent(*this);
    installWindowKeys(*this, false);
    // Handlers bound while the window is loaded; OnDeviceChange follows on
    // activation, which runs the first look at the devices.
    HidCtl->setOnArrival(THidPlugEvent::bind(this, &TMainForm::HidCtlArrival));
    HidCtl->setOnEnumerate(THidEnumerateEvent::bind(this, &TMainForm::HidCtlEnumerate));
    HidCtl->setOnDeviceDataError(THidDataErrorEvent::bind(this, &TMainForm::HidCtlDeviceDataError));
    HidCtl->setOnRemoval(THidPlugEvent::bind(this, &TMainForm::HidCtlRemoval));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    Timer1->start();

    connect(ui_->btGetStatus, &QPushButton::clicked, this, &TMainForm::btGetStatusClick);
    connect(ui_->btFirmwareInfo, &QPushButton::clicked, this, &TMainForm::btFirmwareInfoClick);
    connect(ui_->btRele1Togle, &QPushButton::clicked, this, &TMainForm::btRele1TogleClick);
    connect(ui_->btResetToBoot, &QPushButton::clicked, this, &TMainForm::btResetToBootClick);
    connect(ui_->btHIDInfo, &QPushButton::clicked, this, &TMainForm::btHIDInfoClick);
    connect(ui_->SaveBtn, &QPushButton::clicked, this, &TMainForm::SaveBtnClick);
    connect(ui_->ClearBtn, &QPushButton::clicked, this, &TMainForm::ClearBtnClick);
    connect(ui_->sBitBtn3, &QPushButton::clicked, this, &TMainForm::sBitBtn3Click);
    connect(ui_->btOuts, &QPushButton::clicked, this, &TMainForm::btOutsClick);
    connect(ui_->btShowMemory, &QPushButton::clicked, this, &TMainForm::btShowMemoryClick);
    connect(ui_->sBitBtn1, &QPushButton::clicked, this, &TMainForm::sBitBtn1Click);
    connect(ui_->sBitBtn2, &QPushButton::clicked, this, &TMainForm::sBitBtn2Click);
    connect(ui_->btAlarmi, &QPushButton::clicked, this, &TMainForm::btAlarmiClick);
    connect(ui_->btDebug, &QPushButton::clicked, this, &TMainForm::btDebugClick);
    connect(ui_->btSaveProfile, &QPushButton::clicked, this, &TMainForm::btSaveProfileClick);
    connect(ui_->btLoadProfile, &QPushButton::clicked, this, &TMainForm::btLoadProfileClick);
    connect(ui_->btShowHistory, &QPushButton::clicked, this, &TMainForm::btShowHistoryClick);
    connect(ui_->btShowChart, &QPushButton::clicked, this,
            [this] { showWindow(windows_.frmChart); });
    connect(ui_->btCommissioning, &QPushButton::clicked, this,
            [this] { showWindow(windows_.frmCommissioning); });
    profileActions_ = std::make_unique<ProfileActions>(
        *this, [this](const protocol::CommandReport& report) { return writeReport(report); },
        [this](const profile::UnitProfile& unit) {
            windows_.frmGSMNumbers->showProfile(unit);
            windows_.frmAlarmi->showProfile(unit);
            windows_.frmADSettings->showProfile(unit);
            windows_.frmIzlazi->showProfile(unit);
            windows_.frmCallPhonebook->showProfile(unit);
        },
        [this] { return QString::fromStdU16String(unitSerial()); });
    connect(ui_->cmbUnit, &QComboBox::activated, this, &TMainForm::cmbUnitChange);
    ui_->StatusBar1->installEventFilter(this);
    baseTitle_ = windowTitle();
    FormCreate();
}

TMainForm::~TMainForm() {
    // Nothing is sent any more; the controller stops the readers of the
    // devices still held (running what they have pending) and unplugs them,
    // and then their holder, this window, destroys them.
    CurrentDevice = nullptr;
    HidCtl.reset();
    for (THidDevice* device : devListDevices_) {
        delete device;
    }
}

void TMainForm::FormCreate() {
    TxCnt = 0;
    RxCnt = 0;

    // Where Tahoma is missing, the nearest common faces of similar width.
    QFont look;
    look.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Arial"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans")});
    look.setPixelSize(13);
    setFont(look);
    for (QLabel* small : {ui_->sLabel1, ui_->lbFirmwareInfo}) {
        QFont font = small->font();
        font.setPixelSize(11);
        small->setFont(font);
    }
    // Text on the status panel is dark slate unless a label has its own colour.
    setTextColor(ui_->sPanel1, SlateText);
    setTextColor(ui_->lbFirmwareInfo, Purple);
    for (QLabel* input : {ui_->sLabel13, ui_->sLabel14, ui_->sLabel15}) {
        setTextColor(input, Qt::black);
    }
    // Disabled without a unit, the panel's controls keep readable text
    // rather than the style's pale grey.
    QPalette panel = ui_->sPanel1->palette();
    for (const QPalette::ColorRole role : {QPalette::ButtonText, QPalette::Text}) {
        panel.setColor(QPalette::Disabled, role, SlateText);
    }
    ui_->sPanel1->setPalette(panel);
    ui_->gaGSMSignal->setValue(0);

    // Panels 0 and 1 have fixed widths, wide enough for every text they show,
    // as the label itself measures it in the font at hand (frame and indent
    // included); the last one also takes what is left of the bar, and is at
    // least wide enough for counters of five digits each. The window is as
    // wide as the three need.
    struct Panel {
        int width;
        // The text at start first.
        QStringList texts;
    };
    const std::array<Panel, 3> panels = {
        {{120, {QStringLiteral("Kelmarion 02122016")}},
         {150, {QStringLiteral("Status"), PresentPanelText, AbsentPanelText, NoAccessPanelText}},
         {50, {QStringLiteral("Tx/Rx:"), QStringLiteral("Tx/Rx: 99999/99999")}}}};
    for (std::size_t k = 0; k < panels.size(); ++k) {
        auto* panel = new QLabel(ui_->StatusBar1);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(k));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        int width = panels[k].width;
        for (const QString& text : panels[k].texts) {
            panel->setText(text);
            width = std::max(width, panel->minimumSizeHint().width());
        }
        panel->setText(panels[k].texts.first());
        const bool last = k + 1 == panels.size();
        if (last) {
            panel->setMinimumWidth(width);
        } else {
            panel->setFixedWidth(width);
        }
        ui_->StatusBar1->addWidget(panel, last ? 1 : 0);
        statusPanels_[k] = panel;
    }
    // Tall enough for the button column, so that a screen with room for it
    // shows no scroll bar.
    resize(std::max(width(), ui_->StatusBar1->sizeHint().width()),
           std::max(height(), ui_->centralwidget->minimumSizeHint().height() +
                                  ui_->StatusBar1->sizeHint().height()));
}

void TMainForm::setWindows(const TWindowSet& windows) {
    windows_ = windows;
    const auto entryAction = [this](bool restore) {
        return [this, restore](const profile::HistoryEntry& entry) {
            if (readyForProfile()) {
                profileActions_->compareWithEntry(entry, restore);
                windows_.frmHistory->refresh();
            }
        };
    };
    connect(windows_.frmHistory, &TfrmHistory::compareRequested, this, entryAction(false));
    connect(windows_.frmHistory, &TfrmHistory::restoreRequested, this, entryAction(true));
}

void TMainForm::setTrace(TTraceWriter* trace) {
    trace_ = trace;
}

// --- activation -------------------------------------------------------------

// The first look at the devices runs when the window first becomes active.
// It is also started when the window is first shown, because some platforms
// (the offscreen one of the tests, compositors that refuse focus) never
// activate it; attaching the same handler again changes nothing.
void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    FormActivate();
}

void TMainForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        FormActivate();
    }
}

void TMainForm::FormActivate() {
    HidCtl->setOnDeviceChange(THidNotifyEvent::bind(this, &TMainForm::HidCtlDeviceChange));
}

// --- sending ----------------------------------------------------------------

bool TMainForm::hasCurrentDevice() const {
    return CurrentDevice != nullptr;
}

void TMainForm::HIDSendCmd(char Cmd, char SubCmd, std::initializer_list<std::uint8_t> Par) {
    protocol::CommandReport::Params params{};
    std::copy_n(Par.begin(), std::min(Par.size(), params.size()), params.begin());
    sendReport(protocol::CommandReport::withParams(Cmd, SubCmd, params));
}

void TMainForm::HIDSendCmdBuf(char Cmd, char SubCmd, const std::uint8_t* Buf, std::size_t Len) {
    sendReport(protocol::CommandReport::withBlock(Cmd, SubCmd, std::span(Buf, Len)));
}

void TMainForm::sendReport(const protocol::CommandReport& Report) {
    // A profile operation's requests and replies must not be mixed with others.
    if (!profileActions_->running()) {
        writeReport(Report);
    }
}

bool TMainForm::writeReport(const protocol::CommandReport& Report) {
    // Every caller checks for a device first; one that does not sends nothing
    // rather than writing through no device.
    if (CurrentDevice == nullptr) {
        return false;
    }
    const bool sent = writeCommandReport(*CurrentDevice, Report, trace_);
    if (!sent) {
        addHistoryLine(errorLine("WRITE ERROR", platform_.lastError()));
    }
    ++TxCnt;
    return sent;
}

QString TMainForm::errorLine(const char* Kind, std::uint32_t Code) const {
    return QStringLiteral("%1: %2 (%3)")
        .arg(QLatin1String(Kind), cleanMessage(platform_.errorMessage(Code)),
             QString::number(Code, 16).toUpper());
}

void TMainForm::addHistoryLine(const QString& Line) {
    ui_->HistoryListBox->addItem(Line);
    ui_->HistoryListBox->setCurrentRow(ui_->HistoryListBox->count() - 1);
}

namespace {

// A wait that ran inside another one (from a handler the outer wait's event
// processing called) shares its countdown. On Windows the outer wait's event
// processing would go back to sleep until the next event, one tick late, so
// it is woken to look at the countdown at once.
void wakeEnclosingWait() {
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
        dispatcher->wakeUp();
    }
}

}  // namespace

bool TMainForm::waitForAcknowledge(const bool& WaitForOk) {
    TimeOut = 10;
    ++acknowledgeWaits_;
    const auto waitEnds = qScopeGuard([this] { --acknowledgeWaits_; });
    while (WaitForOk) {
        // Blocks until something happens; the 100 ms tick always does.
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        // An acknowledgement handled in the same pass as the last tick still counts.
        if (WaitForOk && TimeOut == 0) {
            DialogService::instance().info(NoAnswerText);
            wakeEnclosingWait();
            return false;
        }
    }
    wakeEnclosingWait();
    return true;
}

std::u16string TMainForm::unitSerial() const {
    return CurrentDevice != nullptr ? CurrentDevice->SerialNumber() : std::u16string();
}

std::uint16_t TMainForm::ADRawCH1() const {
    return adRawCh1_;
}

std::array<std::uint8_t, 4096>& TMainForm::MemSaveBuffer() {
    return memSaveBuffer_;
}

// --- dispatching ------------------------------------------------------------

void TMainForm::ShowRead(THidDevice* /*HidDev*/, std::uint8_t ReportID, const std::uint8_t* Data,
                         std::uint16_t Size) {
    ++RxCnt;
    if (trace_ != nullptr) {
        trace_->received(ReportID, Data, Size);
    }
    // Decoded once, here; each window gets the reply's values.
    const protocol::Reply reply(std::span(Data, Size));
    if (profileActions_->running()) {
        profileActions_->replyArrived(reply);
        return;
    }
    switch (protocol::replyKind(reply)) {
        case protocol::ReplyKind::FirmwareInfo:
            showFirmwareInfo(protocol::decodeFirmwareInfo(reply));
            break;
        case protocol::ReplyKind::Status:
            showStatus(protocol::decodeStatus(reply));
            break;
        case protocol::ReplyKind::MemoryPacket:
            windows_.frmMemory->ReplyGM(protocol::decodeMemoryPacket(reply));
            break;
        case protocol::ReplyKind::GsmNumber:
            windows_.frmGSMNumbers->ReplyGN(protocol::decodeGsmNumber(reply));
            break;
        case protocol::ReplyKind::GsmNumberAck:
            windows_.frmGSMNumbers->ReplySN();
            break;
        case protocol::ReplyKind::SmsText:
            windows_.frmAlarmi->ReplyGP(protocol::decodeSmsText(reply));
            break;
        case protocol::ReplyKind::SmsTextAck:
            windows_.frmAlarmi->ReplySP();
            break;
        case protocol::ReplyKind::DigitalTriggers:
            windows_.frmAlarmi->ReplyGAD(protocol::decodeDigitalTriggers(reply));
            break;
        case protocol::ReplyKind::AnalogAlarm:
            windows_.frmAlarmi->ReplyGAA(protocol::decodeAnalogAlarm(reply));
            break;
        case protocol::ReplyKind::Calibration:
            windows_.frmADSettings->ReplyGK(protocol::decodeCalibration(reply));
            break;
        case protocol::ReplyKind::PhonebookRecord:
            windows_.frmCallPhonebook->ReplyGC(protocol::decodePhonebookRecord(reply));
            break;
        case protocol::ReplyKind::PhonebookAck:
            windows_.frmCallPhonebook->ReplySC();
            break;
        case protocol::ReplyKind::PulseTime:
            windows_.frmIzlazi->ReplyGO(protocol::decodePulseTime(reply));
            break;
        case protocol::ReplyKind::None:
            break;
    }
}

void TMainForm::HidCtlDeviceDataError(THidDevice* /*HidDev*/, std::uint32_t Error) {
    addHistoryLine(errorLine("READ ERROR", Error));
}

// --- discovery --------------------------------------------------------------

QString TMainForm::DeviceName(THidDevice* HidDev) {
    QString name = QString::fromStdU16String(HidDev->ProductName());
    if (name.isEmpty()) {
        const HidAttributes& attributes = HidDev->Attributes();
        name = QStringLiteral("Device VID=%1 PID=%2")
                   .arg(hex4(attributes.VendorID), hex4(attributes.ProductID));
    }
    const QString serial = QString::fromStdU16String(HidDev->SerialNumber());
    if (!serial.isEmpty()) {
        name += QStringLiteral(" (Serial=%1)").arg(serial);
    }
    return name;
}

void TMainForm::HidCtlArrival(THidDevice* HidDev) {
    const QString name = DeviceName(HidDev);
    addHistoryLine(QStringLiteral("Arrival of ") + name);
    // A unit this user may only query would otherwise look present but never
    // answer. Shown after the change pass, which must not wait on a message box.
    if (name.contains(UnitProductName, Qt::CaseSensitive) && !HidDev->HasReadWriteAccess()) {
        QTimer::singleShot(0, this,
                           [name] { DialogService::instance().error(noAccessText(name)); });
    }
}

void TMainForm::HidCtlRemoval(THidDevice* HidDev) {
    addHistoryLine(QStringLiteral("Removal of ") + DeviceName(HidDev));
}

void TMainForm::HidCtlDeviceChange(THidDeviceController* /*Sender*/) {
    // No device before any is released: a reply still pending on a device
    // being released is dispatched during its release, and the chain step it
    // may make must not write through that device.
    CurrentDevice = nullptr;
    brevalonWithoutAccess_ = false;
    // Whichever unit answers next, its samples are not joined to the last.
    if (windows_.frmChart != nullptr) {
        windows_.frmChart->breakRun();
    }
    // The dialog describes a device this change releases.
    if (openInfoForm_ != nullptr) {
        openInfoForm_->deviceReleased();
    }
    for (THidDevice* device : devListDevices_) {
        delete device;
        BrevalonPresent = false;
        ui_->cbGetStatusAuto->setChecked(false);
    }
    devListDevices_.clear();
    units_.clear();
    ui_->DevListBox->clear();
    HidCtl->Enumerate();
    connectChosenUnit();
    if (CurrentDevice == nullptr) {
        connectedUnit_.clear();
        profileActions_->unitLeft();
    }
    if (windows_.frmCommissioning != nullptr) {
        windows_.frmCommissioning->unitChanged(
            CurrentDevice != nullptr ? QString::fromStdU16String(unitSerial()) : QString());
    }
    showUnits();
    // A unit that formatted its memory leaves and comes back through these.
    if (windows_.frmMemory != nullptr) {
        windows_.frmMemory->deviceChangeDone();
    }
}

bool TMainForm::HidCtlEnumerate(THidDevice* HidDev, std::int32_t Idx) {
    const QString name = DeviceName(HidDev);
    ui_->DevListBox->addItem(name);
    THidDevice* device = nullptr;
    HidCtl->CheckOutByIndex(device, Idx);
    devListDevices_.push_back(device);
    if (device != nullptr && name.contains(UnitProductName, Qt::CaseSensitive)) {
        if (device->HasReadWriteAccess()) {
            units_.push_back(device);
        } else {
            brevalonWithoutAccess_ = true;
        }
    }
    return true;
}

void TMainForm::connectChosenUnit() {
    if (units_.empty()) {
        return;
    }
    const auto chosen = std::find_if(units_.begin(), units_.end(), [this](THidDevice* unit) {
        return unit->PnPInfo().DevicePath() == chosenPath_;
    });
    THidDevice* current = chosen != units_.end() ? *chosen : units_.back();
    // A released device comes back with the data handler it had; only the
    // unit connected keeps one.
    for (THidDevice* unit : units_) {
        if (unit != current) {
            unit->setOnData({});
        }
    }
    connectUnit(current);
}

void TMainForm::connectUnit(THidDevice* device) {
    CurrentDevice = device;
    // Only this unit is heard: replies of another would land in the windows
    // as if this one had sent them.
    device->setOnData(THidDataEvent::bind(this, &TMainForm::ShowRead));
    BrevalonPresent = true;
    std::string unit = device->PnPInfo().DevicePath() + '\n' +
                       QString::fromStdU16String(device->SerialNumber()).toStdString();
    if (unit != connectedUnit_) {
        connectedUnit_ = std::move(unit);
        windows_.frmGSMNumbers->unitConnected();
        windows_.frmAlarmi->unitConnected();
    }
    btFirmwareInfoClick();
    ui_->cbGetStatusAuto->setChecked(true);
}

void TMainForm::showUnits() {
    ui_->cmbUnit->clear();
    for (THidDevice* unit : units_) {
        const QString serial = QString::fromStdU16String(unit->SerialNumber());
        ui_->cmbUnit->addItem(serial.isEmpty() ? NoSerialText : serial,
                              QString::fromStdString(unit->PnPInfo().DevicePath()));
        if (unit == CurrentDevice) {
            ui_->cmbUnit->setCurrentIndex(ui_->cmbUnit->count() - 1);
        }
    }
    const bool several = units_.size() > 1;
    ui_->cmbUnit->setVisible(several);
    ui_->lbUnit->setVisible(several);
    const QString serial = CurrentDevice != nullptr
                               ? QString::fromStdU16String(CurrentDevice->SerialNumber())
                               : QString();
    setWindowTitle(serial.isEmpty() ? baseTitle_
                                    : QStringLiteral("%1 \u2014 %2").arg(baseTitle_, serial));
}

void TMainForm::cmbUnitChange(int index) {
    const std::string path = ui_->cmbUnit->itemData(index).toString().toStdString();
    if (CurrentDevice != nullptr && path == CurrentDevice->PnPInfo().DevicePath()) {
        return;
    }
    // A read or write running in another window belongs to the unit it began on.
    if (windowBusy() || profileActions_->running()) {
        showUnits();
        DialogService::instance().info(BusyText);
        return;
    }
    chosenPath_ = path;
    HidCtlDeviceChange(HidCtl.get());
}

// --- the tick and the status ------------------------------------------------

void TMainForm::Timer1Timer() {
    if (TimeOut > 0) {
        --TimeOut;
    }
    showPresence();
    if (ui_->cbGetStatusAuto->isChecked() && !profileActions_->running()) {
        btGetStatusClick();
    }
    statusPanels_[2]->setText(QStringLiteral("Tx/Rx: %1/%2").arg(TxCnt).arg(RxCnt));

    // Messages are shown once this tick has returned: Qt holds back a timer
    // while its own handler runs, and the ticks must go on while a box is open.
    if (windows_.frmMemory->readWatchdogTick()) {
        QTimer::singleShot(0, this, [] { DialogService::instance().info(MemoryReadFailedText); });
    }
    // Each chain is ticked even when another has already stopped; one box
    // tells of them all.
    const bool numbersStopped = windows_.frmGSMNumbers->readWatchdogTick();
    const bool textsStopped = windows_.frmAlarmi->readWatchdogTick();
    const bool phonebookStopped = windows_.frmCallPhonebook->readWatchdogTick();
    if (numbersStopped || textsStopped || phonebookStopped) {
        QTimer::singleShot(0, this, [] { DialogService::instance().info(NoAnswerText); });
    }
}

void TMainForm::showPresence() {
    statusPanels_[1]->setText(BrevalonPresent          ? PresentPanelText
                              : brevalonWithoutAccess_ ? NoAccessPanelText
                                                       : AbsentPanelText);
    const QColor background =
        BrevalonPresent ? palette().color(QPalette::Window) : AbsentBackground;
    if (ui_->sPanel1->palette().color(QPalette::Window) != background) {
        QPalette panel = ui_->sPanel1->palette();
        panel.setColor(QPalette::Window, background);
        ui_->sPanel1->setPalette(panel);
    }
    ui_->sPanel1->setEnabled(BrevalonPresent);
    if (!BrevalonPresent) {
        ui_->gaGSMSignal->setValue(0);
    }
}

void TMainForm::btGetStatusClick() {
    if (CurrentDevice != nullptr) {
        sendReport(protocol::requestStatus());
    }
}

void TMainForm::showStatus(const protocol::StatusReply& status) {
    StatusDIN1 = status.digitalInputs[0];
    StatusDIN2 = status.digitalInputs[1];
    StatusDIN3 = status.digitalInputs[2];
    StatusOUT1 = status.relay;
    adRawCh1_ = status.adRaw[0];
    ADRawCH2 = status.adRaw[1];

    ui_->sLabel6->setText(QString::fromStdU16String(status.phoneNumber));
    ui_->lbGSMSignal->setText(QStringLiteral("GSM Signal [RSSI: %1]").arg(status.rssi));
    ui_->gaGSMSignal->setValue(std::min<int>(status.gsmSignal, 5));
    ui_->shapeDIN1->setBrushColor(StatusDIN1 != 0 ? Yellow : White);
    ui_->shapeDIN2->setBrushColor(StatusDIN2 != 0 ? Yellow : White);
    ui_->shapeDIN3->setBrushColor(StatusDIN3 != 0 ? Yellow : White);
    ui_->shapeLEDRele->setBrushColor(StatusOUT1 != 0 ? Green : White);
    ui_->lbADRaw1->setText(QString::number(adRawCh1_));
    ui_->lbADRaw2->setText(QString::number(ADRawCH2));
    ui_->lbSMSTx->setText(QString::number(status.smsSent));
    ui_->lbSMSRx->setText(QString::number(status.smsReceived));
    ui_->lbADCh1Val->setText(UserInput::fixedPointText(status.adValue[0]));
    ui_->lbADCh2Val->setText(UserInput::fixedPointText(status.adValue[1]));
    windows_.frmDebug->ShowStateValues(status);
    const std::int64_t arrived = QDateTime::currentMSecsSinceEpoch();
    windows_.frmChart->addStatus(status, arrived);
    windows_.frmCommissioning->addStatus(status, arrived);

    const NetworkState network = networkStateOf(status.networkState);
    ui_->lbNetworkState->setText(QLatin1String(network.text));
    setTextColor(ui_->lbNetworkState, network.color);

    ui_->lbCallFuncEnabled->setText(status.callFunctionOn ? QStringLiteral("Ukljucena")
                                                          : QStringLiteral("Iskljucena"));
    windows_.frmCallPhonebook->ShowCallFunction(status.callFunctionOn);
}

void TMainForm::StatusBar1DblClick() {
    if (DialogService::instance().confirm(ResetCountersText) == DialogService::Answer::Yes) {
        TxCnt = 0;
        RxCnt = 0;
    }
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_->StatusBar1 && event->type() == QEvent::MouseButtonDblClick) {
        StatusBar1DblClick();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// --- commands ---------------------------------------------------------------

void TMainForm::btFirmwareInfoClick() {
    if (CurrentDevice != nullptr) {
        sendReport(protocol::requestFirmwareInfo());
    }
}

void TMainForm::showFirmwareInfo(const std::u16string& text) {
    ui_->lbFirmwareInfo->setText(QString::fromStdU16String(text));
}

void TMainForm::btRele1TogleClick() {
    if (CurrentDevice != nullptr) {
        sendReport(protocol::toggleRelay());
    }
}

void TMainForm::btResetToBootClick() {
    // Enter must not restart the unit into its boot mode: No is the default.
    if (DialogService::instance().warningYesNo(BootModeText) == DialogService::Answer::Yes &&
        CurrentDevice != nullptr && backUpBefore(profile::BackupReason::BeforeBoot)) {
        ui_->cbGetStatusAuto->setChecked(false);
        sendReport(protocol::restartInBootMode());
    }
}

void TMainForm::showWindow(QWidget* Window) {
    if (!Window->isVisible()) {
        // Centred the first time; afterwards where the user left it, as far
        // as it still fits the screen.
        const char* placed = "placedOnScreen";
        ScreenFit::fitToScreen(*Window, !Window->property(placed).toBool());
        Window->setProperty(placed, true);
    }
    Window->show();
    Window->raise();
    Window->activateWindow();
}

void TMainForm::sBitBtn3Click() {
    showWindow(windows_.frmCallPhonebook);
}
void TMainForm::btOutsClick() {
    showWindow(windows_.frmIzlazi);
}
void TMainForm::btShowMemoryClick() {
    showWindow(windows_.frmMemory);
}
void TMainForm::sBitBtn1Click() {
    showWindow(windows_.frmGSMNumbers);
}
void TMainForm::sBitBtn2Click() {
    showWindow(windows_.frmADSettings);
}
void TMainForm::btAlarmiClick() {
    showWindow(windows_.frmAlarmi);
}
void TMainForm::btDebugClick() {
    showWindow(windows_.frmDebug);
}

// --- profiles ---------------------------------------------------------------

bool TMainForm::windowBusy() const {
    return acknowledgeWaits_ > 0 || windows_.frmMemory->ReceiveMemoryPacketTimeOut() > 0 ||
           windows_.frmGSMNumbers->reading() || windows_.frmAlarmi->reading() ||
           windows_.frmCallPhonebook->reading();
}

bool TMainForm::readyForProfile() {
    if (CurrentDevice == nullptr) {
        DialogService::instance().error(QStringLiteral("Uređaj nije prisutan."));
        return false;
    }
    // The button can be pressed while another window waits in its own loop;
    // that window's replies would otherwise be taken by the profile.
    if (windowBusy() || profileActions_->running()) {
        DialogService::instance().info(BusyText);
        return false;
    }
    return true;
}

void TMainForm::btSaveProfileClick() {
    if (readyForProfile()) {
        profileActions_->saveProfile();
        windows_.frmHistory->refresh();
    }
}

void TMainForm::btLoadProfileClick() {
    if (readyForProfile()) {
        profileActions_->loadProfile();
        windows_.frmHistory->refresh();
    }
}

void TMainForm::btShowHistoryClick() {
    showWindow(windows_.frmHistory);
}

bool TMainForm::backUpBefore(profile::BackupReason reason) {
    const bool proceed = readyForProfile() && profileActions_->backUp(reason);
    windows_.frmHistory->refresh();
    return proceed;
}

std::optional<profile::KeptUnit> TMainForm::keepForCommissioning() {
    if (!readyForProfile()) {
        return std::nullopt;
    }
    std::optional<profile::KeptUnit> kept = profileActions_->keepForCommissioning();
    windows_.frmHistory->refresh();
    return kept;
}

void TMainForm::sendRequest(const protocol::CommandReport& report) {
    if (CurrentDevice != nullptr) {
        sendReport(report);
    }
}

void TMainForm::keepPollingStatus() {
    ui_->cbGetStatusAuto->setChecked(true);
}

void TMainForm::unitBackAfterFormat() {
    // Asked once this device change has been handled.
    QTimer::singleShot(0, this, [this] {
        if (readyForProfile()) {
            profileActions_->unitBackAfterFormat();
            windows_.frmHistory->refresh();
        }
    });
}

void TMainForm::btHIDInfoClick() {
    if (CurrentDevice == nullptr) {
        return;
    }
    TInfoForm info(this);
    info.Dev = CurrentDevice;
    ScreenFit::fitToScreen(info, true);
    openInfoForm_ = &info;
    info.exec();
    openInfoForm_ = nullptr;
}

// --- history ----------------------------------------------------------------

void TMainForm::SaveBtnClick() {
    const QString path = DialogService::instance().saveFileName(
        QStringLiteral("Save History"),
        {{QStringLiteral("Text Files *.txt"), QStringLiteral("*.txt")},
         {QStringLiteral("All Files *.*"), QStringLiteral("*.*")}},
        QStringLiteral("txt"), FileProposal::lastFolder());
    FileProposal::chosen(path);
    if (path.isEmpty()) {
        return;
    }
    QString text;
    for (int row = 0; row < ui_->HistoryListBox->count(); ++row) {
        text += ui_->HistoryListBox->item(row)->text() + QStringLiteral("\r\n");
    }
    const QByteArray bytes = toHistoryCodePage(text);

    QSaveFile file(path);
    allowDirectWriteInLockedFolder(file);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        DialogService::instance().error(
            QStringLiteral("Cannot create file \"%1\". %2")
                .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
}

void TMainForm::ClearBtnClick() {
    ui_->HistoryListBox->clear();
}
