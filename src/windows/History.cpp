#include "windows/History.h"

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLocale>
#include <QSaveFile>

#include "ui_History.h"
#include "widgets/DialogService.h"
#include "widgets/FileProposal.h"
#include "windows/ProfileTexts.h"

namespace {

enum Column { TimeColumn, ReasonColumn, FirmwareColumn, ColumnCount };

}  // namespace

TfrmHistory::TfrmHistory(TMainLink& main, QWidget* parent)
    : QWidget(parent), main_(main), ui_(std::make_unique<Ui::TfrmHistory>()) {
    ui_->setupUi(this);
    TGrid* grid = ui_->gridHistory;
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setColumnCount(ColumnCount);
    grid->setHorizontalHeaderLabels(
        {QStringLiteral("Vreme"), QStringLiteral("Razlog"), QStringLiteral("Firmware")});
    grid->horizontalHeader()->setStretchLastSection(true);
    connect(ui_->cmbHistoryUnit, &QComboBox::currentIndexChanged, this, [this] { showEntries(); });
    connect(ui_->btHistoryCompare, &QPushButton::clicked, this, [this] {
        if (const auto entry = chosenEntry()) {
            emit compareRequested(*entry);
        }
    });
    connect(ui_->btHistoryRestore, &QPushButton::clicked, this, [this] {
        if (const auto entry = chosenEntry()) {
            emit restoreRequested(*entry);
        }
    });
    connect(ui_->btHistoryExport, &QPushButton::clicked, this, &TfrmHistory::btHistoryExportClick);
    connect(ui_->btHistoryOpenFolder, &QPushButton::clicked, this,
            &TfrmHistory::btHistoryOpenFolderClick);
}

TfrmHistory::~TfrmHistory() = default;

void TfrmHistory::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refresh();
}

void TfrmHistory::refresh() {
    const QString current = QString::fromStdU16String(main_.unitSerial());
    const QString chosen = ui_->cmbHistoryUnit->currentText();
    QStringList serials;
    if (main_.hasCurrentDevice()) {
        serials << current;
    }
    for (const QString& serial : history_.units()) {
        if (!serials.contains(serial)) {
            serials << serial;
        }
    }
    const QSignalBlocker quiet(ui_->cmbHistoryUnit);
    ui_->cmbHistoryUnit->clear();
    ui_->cmbHistoryUnit->addItems(serials);
    // The unit connected first; a unit another one was chosen of stays chosen.
    const qsizetype keep = serials.indexOf(chosen);
    ui_->cmbHistoryUnit->setCurrentIndex(keep >= 0 && chosen != current ? int(keep) : 0);
    showEntries();
}

void TfrmHistory::showEntries() {
    const QString serial = ui_->cmbHistoryUnit->currentText();
    entries_ = ui_->cmbHistoryUnit->count() > 0 ? history_.entries(serial)
                                                : std::vector<profile::HistoryEntry>{};
    TGrid* grid = ui_->gridHistory;
    grid->setRowCount(static_cast<int>(entries_.size()));
    const QLocale locale;
    for (std::size_t row = 0; row < entries_.size(); ++row) {
        const profile::HistoryEntry& e = entries_[row];
        grid->setCells(TimeColumn, static_cast<int>(row),
                       {{locale.toString(e.time.date(), QLocale::ShortFormat) + u' ' +
                             e.time.time().toString(QStringLiteral("HH:mm:ss")),
                         ProfileTexts::reasonText(e.reason), e.firmware}});
    }
    grid->resizeColumnsToContents();
    if (!entries_.empty()) {
        grid->setCurrentCell(0, 0);
    }
    const bool any = !entries_.empty();
    for (QWidget* button : {ui_->btHistoryCompare, ui_->btHistoryRestore, ui_->btHistoryExport}) {
        button->setEnabled(any);
    }
    ui_->btHistoryOpenFolder->setEnabled(ui_->cmbHistoryUnit->count() > 0);
}

std::optional<profile::HistoryEntry> TfrmHistory::chosenEntry() const {
    const int row = ui_->gridHistory->currentRow();
    if (row < 0 || row >= static_cast<int>(entries_.size())) {
        return std::nullopt;
    }
    return entries_[static_cast<std::size_t>(row)];
}

void TfrmHistory::btHistoryExportClick() {
    const std::optional<profile::HistoryEntry> entry = chosenEntry();
    if (!entry) {
        return;
    }
    DialogService& dialogs = DialogService::instance();
    const QString path =
        dialogs.saveFileName(QStringLiteral("Sačuvaj zapis istorije"),
                             {{QStringLiteral("Profil *.json"), QStringLiteral("*.json")},
                              {QStringLiteral("All Files *.*"), QStringLiteral("*.*")}},
                             QStringLiteral("json"), FileProposal::inLastFolder(entry->fileName));
    FileProposal::chosen(path);
    if (path.isEmpty()) {
        return;
    }
    QFile from(entry->path);
    QSaveFile to(path);
    const bool read = from.open(QIODevice::ReadOnly);
    const QByteArray bytes = read ? from.readAll() : QByteArray();
    if (!read || !to.open(QIODevice::WriteOnly) || to.write(bytes) != bytes.size() ||
        !to.commit()) {
        dialogs.error(
            QStringLiteral("Zapis istorije ne može da se sačuva u \"%1\". %2")
                .arg(QDir::toNativeSeparators(path), read ? to.errorString() : from.errorString()));
    }
}

void TfrmHistory::btHistoryOpenFolderClick() {
    const QString folder = history_.unitFolder(ui_->cmbHistoryUnit->currentText());
    QDir().mkpath(folder);
    DialogService::instance().showFolder(folder);
}
