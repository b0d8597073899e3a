#include "windows/Chart.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QPixmap>
#include <QSaveFile>

#include <algorithm>

#include "monitor/StatusSample.h"
#include "protocol/Status.h"
#include "ui_Chart.h"
#include "widgets/DialogService.h"
#include "widgets/DirectWriteFallback.h"
#include "widgets/FileProposal.h"

namespace {

// The choices of cmbChartSpan, in its order.
constexpr std::int64_t SpansMs[] = {60'000, 600'000, 3'600'000, 86'400'000};

const QList<DialogService::FileFilter> CsvFilters = {
    {QStringLiteral("CSV fajl"), QStringLiteral("*.csv")},
    {QStringLiteral("Svi fajlovi"), QStringLiteral("*")}};
const QList<DialogService::FileFilter> ImageFilters = {
    {QStringLiteral("PNG slika"), QStringLiteral("*.png")},
    {QStringLiteral("Svi fajlovi"), QStringLiteral("*")}};

QString proposedName(TMainLink& main, const QString& suffix) {
    return FileProposal::inLastFolder(FileProposal::fileName(
        QString::fromStdU16String(main.unitSerial()), QDateTime::currentDateTime(), suffix));
}

}  // namespace

TfrmChart::TfrmChart(TMainLink& main, QWidget* parent)
    : QWidget(parent), main_(main), ui_(std::make_unique<Ui::TfrmChart>()) {
    ui_->setupUi(this);
    ui_->chartStatus->setStore(&store_);
    const std::pair<QCheckBox*, StatusChart::Lane> lanes[] = {
        {ui_->cbChartSignal, StatusChart::Lane::Signal},
        {ui_->cbChartAnalog, StatusChart::Lane::Analog},
        {ui_->cbChartRaw, StatusChart::Lane::Raw},
        {ui_->cbChartInputs, StatusChart::Lane::Inputs}};
    for (const auto& choice : lanes) {
        const StatusChart::Lane lane = choice.second;
        connect(choice.first, &QCheckBox::toggled, this,
                [this, lane](bool shown) { ui_->chartStatus->setLaneShown(lane, shown); });
    }
    connect(ui_->cmbChartSpan, &QComboBox::currentIndexChanged, this,
            &TfrmChart::cmbChartSpanChange);
    connect(ui_->btChartPause, &QPushButton::clicked, this, &TfrmChart::btChartPauseClick);
    connect(ui_->btChartRecord, &QPushButton::clicked, this, &TfrmChart::btChartRecordClick);
    connect(ui_->btChartSaveImage, &QPushButton::clicked, this, &TfrmChart::btChartSaveImageClick);
    connect(&viewTimer_, &QTimer::timeout, this, &TfrmChart::moveView);
    cmbChartSpanChange();
}

TfrmChart::~TfrmChart() = default;

void TfrmChart::addStatus(const protocol::StatusReply& status, std::int64_t timeMs) {
    const monitor::StatusSample sample = monitor::sampleOf(status, timeMs);
    store_.add(sample);
    if (recorder_.isOpen()) {
        if (!recorder_.write(sample)) {
            const QString name = recorder_.fileName();
            showRecording();
            DialogService::instance().error(
                QStringLiteral("Snimanje je prekinuto: u fajl \"%1\" nije moguće upisati (%2). "
                               "Redovi upisani do sada su sačuvani.")
                    .arg(QDir::toNativeSeparators(name), recorder_.errorString()));
            return;
        }
        showRecording();
    }
}

void TfrmChart::breakRun() {
    store_.breakRun();
}

std::int64_t TfrmChart::spanMs() const {
    return SpansMs[std::clamp<qsizetype>(ui_->cmbChartSpan->currentIndex(), 0, 3)];
}

void TfrmChart::moveView() {
    ui_->chartStatus->setView(QDateTime::currentMSecsSinceEpoch(), spanMs());
}

void TfrmChart::cmbChartSpanChange() {
    const std::int64_t columns = std::max(ui_->chartStatus->width() - 106, 100);
    viewTimer_.setInterval(
        static_cast<int>(std::clamp<std::int64_t>(spanMs() / columns, 100, 5'000)));
    if (paused_) {
        ui_->chartStatus->setView(ui_->chartStatus->viewEnd(), spanMs());
    } else {
        moveView();
    }
}

void TfrmChart::btChartPauseClick() {
    paused_ = !paused_;
    ui_->btChartPause->setText(paused_ ? QStringLiteral("Nastavi") : QStringLiteral("Pauza"));
    if (paused_) {
        viewTimer_.stop();
    } else {
        moveView();
        if (isVisible()) {
            viewTimer_.start();
        }
    }
}

void TfrmChart::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    cmbChartSpanChange();
    if (!paused_) {
        viewTimer_.start();
    }
}

void TfrmChart::hideEvent(QHideEvent* event) {
    viewTimer_.stop();
    QWidget::hideEvent(event);
}

void TfrmChart::btChartRecordClick() {
    if (recorder_.isOpen()) {
        stopRecording();
        return;
    }
    const QString path = DialogService::instance().saveFileName(
        QStringLiteral("Snimi u CSV fajl"), CsvFilters, QStringLiteral("csv"),
        proposedName(main_, QStringLiteral("csv")));
    FileProposal::chosen(path);
    if (path.isEmpty()) {
        return;
    }
    if (!recorder_.open(path)) {
        DialogService::instance().error(
            QStringLiteral("Snimanje nije počelo: u fajl \"%1\" nije moguće upisati (%2).")
                .arg(QDir::toNativeSeparators(path), recorder_.errorString()));
        return;
    }
    ui_->btChartRecord->setText(QStringLiteral("Zaustavi snimanje"));
    showRecording();
}

void TfrmChart::stopRecording() {
    recorder_.close();
    showRecording();
}

void TfrmChart::showRecording() {
    const bool open = recorder_.isOpen();
    ui_->btChartRecord->setText(open ? QStringLiteral("Zaustavi snimanje")
                                     : QStringLiteral("Snimi..."));
    ui_->lbChartRecording->setText(
        QStringLiteral("%1 %2, redova: %3")
            .arg(open ? QStringLiteral("Snima se u") : QStringLiteral("Snimljeno u"),
                 QFileInfo(recorder_.fileName()).fileName(),
                 QLocale().toString(recorder_.lines())));
}

void TfrmChart::btChartSaveImageClick() {
    DialogService& dialogs = DialogService::instance();
    const QString path =
        dialogs.saveFileName(QStringLiteral("Sačuvaj sliku"), ImageFilters, QStringLiteral("png"),
                             proposedName(main_, QStringLiteral("png")));
    FileProposal::chosen(path);
    if (path.isEmpty()) {
        return;
    }
    QSaveFile file(path);
    allowDirectWriteInLockedFolder(file);
    if (!file.open(QIODevice::WriteOnly) || !ui_->chartStatus->grab().save(&file, "PNG") ||
        !file.commit()) {
        dialogs.error(QStringLiteral("Sliku nije moguće sačuvati u \"%1\" (%2).")
                          .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
}
