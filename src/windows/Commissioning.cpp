#include "windows/Commissioning.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "commissioning/CommissioningReport.h"
#include "monitor/StatusSample.h"
#include "profile/ProfileFile.h"
#include "profile/ProfileGroups.h"
#include "protocol/MainCommands.h"
#include "protocol/Status.h"
#include "widgets/DialogService.h"
#include "widgets/FileProposal.h"
#include "windows/ProfileTexts.h"
#include "windows/UserInput.h"

namespace {

using commissioning::Need;

std::int64_t now() {
    return QDateTime::currentMSecsSinceEpoch();
}

// How often time-outs are looked at: a step's 2 s is seen within a tenth.
constexpr int ClockMs = 200;

template <typename Widget>
Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QLatin1StringView(name));
    return widget;
}

}  // namespace

TfrmCommissioning::TfrmCommissioning(TMainLink& main, QWidget* parent)
    : QWidget(parent),
      main_(main),
      site_(named(new QLineEdit, "edCommissioningSite")),
      technician_(named(new QLineEdit, "edCommissioningTechnician")),
      notes_(named(new QPlainTextEdit, "edCommissioningNotes")),
      signalSeconds_(named(new QSpinBox, "spCommissioningSignalSeconds")),
      rssiMin_(named(new QLineEdit(QStringLiteral("10")), "edCommissioningRssiMin")),
      profileButton_(named(new QPushButton(QStringLiteral("Profil...")), "btCommissioningProfile")),
      profileName_(named(new QLabel(QStringLiteral("(bez profila)")), "lbCommissioningProfile")),
      steps_(named(new QTableWidget(int(commissioning::StepCount), 3), "gridCommissioningSteps")),
      prompt_(named(new QLabel, "lbCommissioningPrompt")),
      expected_(named(new QLineEdit, "edCommissioningExpected")),
      tolerance_(named(new QLineEdit, "edCommissioningTolerance")),
      measure_(named(new QPushButton(QStringLiteral("Izmeri")), "btCommissioningMeasure")),
      sendSms_(
          named(new QPushButton(QStringLiteral("Pošalji test SMS")), "btCommissioningSendSms")),
      start_(named(new QPushButton(QStringLiteral("Počni")), "btCommissioningStart")),
      skip_(named(new QPushButton(QStringLiteral("Preskoči korak")), "btCommissioningSkip")),
      stop_(named(new QPushButton(QStringLiteral("Prekini")), "btCommissioningStop")),
      report_(
          named(new QPushButton(QStringLiteral("Sačuvaj izveštaj...")), "btCommissioningReport")),
      verdict_(named(new QLabel, "lbCommissioningVerdict")) {
    setObjectName(QStringLiteral("TfrmCommissioning"));
    setWindowTitle(QStringLiteral("Puštanje u rad"));
    signalSeconds_->setRange(10, 300);
    signalSeconds_->setValue(60);
    signalSeconds_->setSuffix(QStringLiteral(" s"));
    rssiMin_->setValidator(new QIntValidator(0, 31, rssiMin_));
    notes_->setTabChangesFocus(true);
    notes_->setFixedHeight(notes_->fontMetrics().lineSpacing() * 2 + 12);
    rssiMin_->setMaximumWidth(60);

    // Two fields a row, so that the window fits a small screen.
    auto* form = new QGridLayout;
    const auto label = [](const char* text) { return new QLabel(QString::fromUtf8(text)); };
    form->addWidget(label("Lokacija:"), 0, 0);
    form->addWidget(site_, 0, 1);
    form->addWidget(label("Tehničar:"), 0, 2);
    form->addWidget(technician_, 0, 3);
    form->addWidget(label("Napomene:"), 1, 0);
    form->addWidget(notes_, 1, 1, 1, 3);
    auto* settings = new QHBoxLayout;
    settings->addWidget(signalSeconds_);
    settings->addWidget(label("Najmanji RSSI:"));
    settings->addWidget(rssiMin_);
    settings->addStretch(1);
    form->addWidget(label("Provera signala:"), 2, 0);
    form->addLayout(settings, 2, 1);
    auto* profileRow = new QHBoxLayout;
    profileRow->addWidget(profileButton_);
    profileRow->addWidget(profileName_, 1);
    form->addWidget(label("Profil uređaja:"), 2, 2);
    form->addLayout(profileRow, 2, 3);
    form->setColumnStretch(1, 1);
    form->setColumnStretch(3, 1);

    steps_->setHorizontalHeaderLabels(
        {QStringLiteral("Korak"), QStringLiteral("Stanje"), QStringLiteral("Rezultat")});
    steps_->verticalHeader()->hide();
    steps_->horizontalHeader()->setStretchLastSection(true);
    steps_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    steps_->setSelectionMode(QAbstractItemView::NoSelection);
    steps_->setFocusPolicy(Qt::NoFocus);
    steps_->setWordWrap(false);
    steps_->verticalHeader()->setDefaultSectionSize(steps_->fontMetrics().height() + 8);
    steps_->setColumnWidth(0, 130);
    steps_->setColumnWidth(1, 90);
    steps_->setMinimumWidth(560);
    steps_->setMinimumHeight(
        steps_->horizontalHeader()->sizeHint().height() +
        int(commissioning::StepCount) * steps_->verticalHeader()->defaultSectionSize() + 4);

    prompt_->setWordWrap(true);
    auto* analogRow = new QHBoxLayout;
    analogRow->addWidget(new QLabel(QStringLiteral("Očekivano:")));
    analogRow->addWidget(expected_);
    analogRow->addWidget(new QLabel(QStringLiteral("Tolerancija:")));
    analogRow->addWidget(tolerance_);
    analogRow->addWidget(measure_);
    analogRow->addStretch(1);
    analogRow->addWidget(sendSms_);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {start_, skip_, stop_}) {
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    buttons->addWidget(report_);

    QFont bold = verdict_->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    verdict_->setFont(bold);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(steps_, 1);
    layout->addWidget(prompt_);
    layout->addLayout(analogRow);
    layout->addWidget(verdict_);
    layout->addLayout(buttons);

    connect(start_, &QPushButton::clicked, this, &TfrmCommissioning::btCommissioningStartClick);
    connect(skip_, &QPushButton::clicked, this, &TfrmCommissioning::btCommissioningSkipClick);
    connect(stop_, &QPushButton::clicked, this, &TfrmCommissioning::btCommissioningStopClick);
    connect(profileButton_, &QPushButton::clicked, this,
            &TfrmCommissioning::btCommissioningProfileClick);
    connect(measure_, &QPushButton::clicked, this, &TfrmCommissioning::btCommissioningMeasureClick);
    connect(sendSms_, &QPushButton::clicked, this, &TfrmCommissioning::btCommissioningSendSmsClick);
    connect(report_, &QPushButton::clicked, this, &TfrmCommissioning::btCommissioningReportClick);
    clock_.setInterval(ClockMs);
    connect(&clock_, &QTimer::timeout, this, &TfrmCommissioning::advance);
    showSteps();
}

TfrmCommissioning::~TfrmCommissioning() = default;

void TfrmCommissioning::addStatus(const protocol::StatusReply& status, std::int64_t timeMs) {
    if (run_ && run_->running()) {
        run_->sample(monitor::sampleOf(status, timeMs));
        advance();
    }
}

void TfrmCommissioning::unitChanged(const QString& serial) {
    if (!run_ || !run_->running()) {
        return;
    }
    if (serial.isEmpty() || serial != serial_) {
        run_->stop(now());
        advance();
    } else {
        main_.keepPollingStatus();
    }
}

void TfrmCommissioning::btCommissioningProfileClick() {
    DialogService& dialogs = DialogService::instance();
    const QString path =
        dialogs.openFileName(QStringLiteral("Profil koji uređaj treba da sadrži"),
                             {{QStringLiteral("Profil (*.json)"), QStringLiteral("*.json")}},
                             FileProposal::lastFolder());
    if (path.isEmpty()) {
        return;
    }
    FileProposal::chosen(path);
    profile::ProfileReadResult loaded = profile::loadProfile(path);
    if (!loaded.profile) {
        dialogs.error(QStringLiteral("Profil \"%1\" ne može da se koristi:\n\n%2")
                          .arg(QFileInfo(path).fileName(),
                               ProfileTexts::faultTexts(loaded.faults).join(u'\n')));
        return;
    }
    chosen_ = std::move(loaded.profile);
    chosenPath_ = path;
    profileName_->setText(QFileInfo(path).fileName());
}

void TfrmCommissioning::btCommissioningStartClick() {
    DialogService& dialogs = DialogService::instance();
    if (!main_.hasCurrentDevice()) {
        dialogs.error(QStringLiteral("Uređaj nije prisutan."));
        return;
    }
    const std::optional<std::int64_t> rssi =
        UserInput::integer(rssiMin_, protocol::IntegerLimits{0, 31});
    if (!rssi) {
        return;
    }
    commissioning::Settings settings;
    settings.signalMs = signalSeconds_->value() * 1000LL;
    settings.rssiMin = static_cast<int>(*rssi);
    firmware_.clear();
    serial_ = QString::fromStdU16String(main_.unitSerial());
    profileSha256_.clear();
    differences_.clear();
    main_.keepPollingStatus();
    run_ = std::make_unique<commissioning::CommissioningRun>(settings);
    run_->start(now());
    clock_.start();
    advance();
}

void TfrmCommissioning::btCommissioningSkipClick() {
    if (run_ && run_->running()) {
        run_->skip(now());
        advance();
    }
}

void TfrmCommissioning::btCommissioningStopClick() {
    if (run_ && run_->running()) {
        run_->stop(now());
        advance();
    }
}

void TfrmCommissioning::btCommissioningMeasureClick() {
    if (!run_ || run_->need() != Need::ExpectedAnalog) {
        return;
    }
    const std::optional<std::int32_t> expected = UserInput::fixedPoint(expected_);
    if (!expected) {
        return;
    }
    const std::optional<std::int32_t> tolerance = UserInput::fixedPoint(tolerance_);
    if (!tolerance) {
        return;
    }
    run_->analogExpected(*expected, *tolerance, now());
    advance();
}

void TfrmCommissioning::btCommissioningSendSmsClick() {
    if (run_ && run_->need() == Need::SmsConsent) {
        run_->smsConsent(true, now());
        advance();
    }
}

void TfrmCommissioning::readUnit() {
    std::optional<profile::KeptUnit> kept = main_.keepForCommissioning();
    if (!kept) {
        run_->unitRead(false, std::nullopt, now());
        return;
    }
    firmware_ = QString::fromStdU16String(kept->unit.firmware.value_or(std::u16string()));
    QFile entry(kept->entry.path);
    if (entry.open(QIODevice::ReadOnly)) {
        profileSha256_ = QString::fromLatin1(
            QCryptographicHash::hash(entry.readAll(), QCryptographicHash::Sha256).toHex());
    }
    std::optional<bool> matches;
    if (chosen_) {
        for (const profile::Difference& d : profile::compareProfiles(kept->unit, *chosen_)) {
            differences_ << QStringLiteral("%1: uređaj %2, profil %3")
                                .arg(ProfileTexts::fieldName(d.path),
                                     ProfileTexts::valueText(d.unitValue, d.kind),
                                     ProfileTexts::valueText(d.fileValue, d.kind));
        }
        matches = differences_.isEmpty();
    }
    run_->unitRead(!profileSha256_.isEmpty(), matches, now());
}

void TfrmCommissioning::advance() {
    if (!run_) {
        return;
    }
    run_->tick(now());
    // The read runs the event loop under its progress dialog, and this clock
    // with it.
    if (!reading_ && run_->need() == Need::UnitRead) {
        reading_ = true;
        readUnit();
        reading_ = false;
    }
    for (const commissioning::Send send : run_->takeSends()) {
        main_.sendRequest(send == commissioning::Send::ToggleRelay ? protocol::toggleRelay()
                                                                   : protocol::sendTestSms());
    }
    if (!run_->running()) {
        clock_.stop();
    }
    showSteps();
}

void TfrmCommissioning::showSteps() {
    const bool running = run_ && run_->running();
    const std::vector<commissioning::ReportStep> steps =
        run_ ? commissioning::reportSteps(*run_) : std::vector<commissioning::ReportStep>{};
    for (int k = 0; k < int(commissioning::StepCount); ++k) {
        const auto step = static_cast<commissioning::Step>(k);
        const QString cells[] = {
            commissioning::stepName(step),
            commissioning::stateText(run_ ? steps[k].state : commissioning::State::Waiting),
            run_ ? steps[k].figures : QString()};
        for (int column = 0; column < 3; ++column) {
            auto* item = steps_->item(k, column);
            if (item == nullptr) {
                item = new QTableWidgetItem;
                steps_->setItem(k, column, item);
            }
            item->setText(cells[column]);
            // A long result is cut to its column; pointing at it shows it whole.
            item->setToolTip(cells[column]);
        }
    }
    QString prompt;
    const Need need = run_ ? run_->need() : Need::Nothing;
    if (need == Need::ActivateInput) {
        prompt = QStringLiteral("Aktivirajte ulaz %1, pa ga otpustite.").arg(run_->input());
    } else if (need == Need::ExpectedAnalog) {
        prompt = QStringLiteral(
                     "Trenutna vrednost kanala 1: %1. Unesite očekivanu vrednost i "
                     "toleranciju, pa izaberite \"Izmeri\".")
                     .arg(run_->latest() ? UserInput::fixedPointText(run_->latest()->analogValue1)
                                         : QStringLiteral("—"));
    } else if (running && run_->current() == commissioning::Step::Gsm) {
        prompt = QStringLiteral("Merenje GSM signala...");
    } else if (running && run_->current() == commissioning::Step::Relay) {
        prompt = QStringLiteral("Provera releja...");
    } else if (running && run_->current() == commissioning::Step::Analog) {
        prompt = QStringLiteral("Merenje srednje vrednosti (5 s)...");
    } else if (need == Need::SmsConsent) {
        prompt = QStringLiteral(
            "Test SMS se šalje na sve brojeve i naplaćuje se. Poslati ga ili "
            "preskočiti korak?");
    } else if (running && run_->current() == commissioning::Step::Sms) {
        prompt = QStringLiteral("Čeka se da uređaj pošalje SMS (do 120 s)...");
    }
    prompt_->setText(prompt);
    for (QWidget* widget : {static_cast<QWidget*>(expected_), static_cast<QWidget*>(tolerance_),
                            static_cast<QWidget*>(measure_)}) {
        widget->setEnabled(need == Need::ExpectedAnalog);
    }
    sendSms_->setEnabled(need == Need::SmsConsent);
    start_->setEnabled(!running);
    skip_->setEnabled(running);
    stop_->setEnabled(running);
    report_->setEnabled(need == Need::Done);
    verdict_->setText(
        need == Need::Done
            ? QStringLiteral("Ocena: %1").arg(commissioning::verdictText(run_->verdict()))
            : QString());
}

void TfrmCommissioning::btCommissioningReportClick() {
    if (!run_ || run_->need() != Need::Done) {
        return;
    }
    DialogService& dialogs = DialogService::instance();
    const QDateTime made = QDateTime::currentDateTime();
    const QString path = dialogs.saveFileName(
        QStringLiteral("Sačuvaj izveštaj"),
        {{QStringLiteral("Izveštaj (*.html)"), QStringLiteral("*.html")}}, QStringLiteral("html"),
        FileProposal::inLastFolder(FileProposal::fileName(serial_, made, QStringLiteral("html"))));
    if (path.isEmpty()) {
        return;
    }
    FileProposal::chosen(path);
    commissioning::ReportData data;
    data.site = site_->text();
    data.technician = technician_->text();
    data.notes = notes_->toPlainText();
    data.made = made;
    data.toolVersion = QStringLiteral(BREVALON_VERSION);
    data.firmware = firmware_;
    data.serial = serial_;
    data.profileSha256 = profileSha256_;
    data.chosenProfile = chosenPath_.isEmpty() ? QString() : QFileInfo(chosenPath_).fileName();
    data.matchesChosen = run_->profileMatches();
    data.differences = differences_;
    data.steps = commissioning::reportSteps(*run_);
    data.signal = run_->signal();
    data.verdict = run_->verdict();
    if (const std::optional<QString> error = commissioning::writeReport(data, path)) {
        dialogs.error(QStringLiteral("Izveštaj nije sačuvan: %1").arg(*error));
    }
}
