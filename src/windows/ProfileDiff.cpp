#include "windows/ProfileDiff.h"

#include "ui_ProfileDiff.h"
#include "widgets/ScreenFit.h"

#include <QHeaderView>
#include <QPushButton>

#include <algorithm>

#include "windows/ProfileTexts.h"

namespace {

enum Column {
    CheckColumn,
    GroupColumn,
    PathColumn,
    UnitColumn,
    FileColumn,
    ResultColumn,
    ColumnCount
};

}  // namespace

TfrmProfileDiff::TfrmProfileDiff(const QString& title, const QString& note,
                                 const std::vector<profile::Difference>& differences, bool writable,
                                 QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::TfrmProfileDiff>()),
      differences_(differences),
      writable_(writable) {
    ui_->setupUi(this);
    ScreenFit::scrollContent(*this);
    setWindowTitle(title);
    QString intro = writable ? QStringLiteral(
                                   "Uređaj se razlikuje u %1 vrednosti. \"Upiši\" upisuje u uređaj "
                                   "označene vrednosti, pa ih čita nazad i proverava.")
                             : QStringLiteral("Uređaj se razlikuje u %1 vrednosti.");
    intro = intro.arg(differences.size());
    ui_->lbProfileDiff->setText(note.isEmpty() ? intro : note + u'\n' + intro);

    TGrid* grid = ui_->gridProfileDiff;
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setColumnCount(ColumnCount);
    grid->setRowCount(static_cast<int>(differences.size()));
    grid->setHorizontalHeaderLabels({QStringLiteral("Upiši"), QStringLiteral("Grupa"),
                                     QStringLiteral("Polje"), QStringLiteral("Uređaj"),
                                     QStringLiteral("Datoteka"), QStringLiteral("Posle upisa")});
    for (std::size_t row = 0; row < differences.size(); ++row) {
        const profile::Difference& d = differences[row];
        grid->setCells(GroupColumn, static_cast<int>(row),
                       {{ProfileTexts::groupTitle(d.path), ProfileTexts::fieldName(d.path),
                         ProfileTexts::valueText(d.unitValue, d.kind),
                         ProfileTexts::valueText(d.fileValue, d.kind)}});
        auto* tick = new QTableWidgetItem;
        tick->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        tick->setCheckState(Qt::Checked);
        grid->setItem(static_cast<int>(row), CheckColumn, tick);
    }
    grid->setColumnHidden(CheckColumn, !writable);
    grid->setColumnHidden(ResultColumn, true);
    grid->resizeColumnsToContents();
    grid->horizontalHeader()->setStretchLastSection(true);
    connect(grid, &QTableWidget::itemChanged, this, [this] { showCounts(); });

    ui_->btProfileWrite->setVisible(writable);
    if (!writable) {
        ui_->btProfileCancel->setText(QStringLiteral("Zatvori"));
    }
    connect(ui_->btProfileWrite, &QPushButton::clicked, this, &TfrmProfileDiff::writeRequested);
    connect(ui_->btProfileCancel, &QPushButton::clicked, this, &QDialog::reject);
    ui_->btProfileCancel->setDefault(true);
    showCounts();
}

TfrmProfileDiff::~TfrmProfileDiff() = default;

std::vector<profile::Difference> TfrmProfileDiff::chosen() const {
    std::vector<profile::Difference> ticked;
    for (std::size_t row = 0; row < differences_.size(); ++row) {
        const QTableWidgetItem* tick =
            ui_->gridProfileDiff->item(static_cast<int>(row), CheckColumn);
        if (writable_ && tick != nullptr && tick->checkState() == Qt::Checked) {
            ticked.push_back(differences_[row]);
        }
    }
    return ticked;
}

void TfrmProfileDiff::showWritten(const std::vector<bool>& matches) {
    matches_ = matches;
    TGrid* grid = ui_->gridProfileDiff;
    for (std::size_t row = 0; row < differences_.size() && row < matches.size(); ++row) {
        QTableWidgetItem* tick = grid->item(static_cast<int>(row), CheckColumn);
        const bool ticked = tick != nullptr && tick->checkState() == Qt::Checked;
        tick->setFlags(tick->flags() & ~Qt::ItemIsEnabled);
        grid->setCell(ResultColumn, static_cast<int>(row),
                      matches[row] ? QStringLiteral("isto kao u datoteci")
                      : ticked     ? QStringLiteral("razlikuje se")
                                   : QStringLiteral("nije upisano"));
    }
    grid->setColumnHidden(ResultColumn, false);
    grid->resizeColumnsToContents();
    ui_->btProfileWrite->hide();
    ui_->btProfileCancel->setText(QStringLiteral("Zatvori"));
    showCounts();
}

void TfrmProfileDiff::showCounts() {
    const std::size_t ticked = chosen().size();
    QString counts = writable_ ? QStringLiteral("Razlikuje se: %1, označeno za upis: %2")
                                     .arg(differences_.size())
                                     .arg(ticked)
                               : QStringLiteral("Razlikuje se: %1").arg(differences_.size());
    if (!matches_.empty()) {
        counts += QStringLiteral(", posle upisa isto kao u datoteci: %1")
                      .arg(std::count(matches_.begin(), matches_.end(), true));
    }
    ui_->lbProfileDiffCounts->setText(counts);
    ui_->btProfileWrite->setEnabled(ticked > 0);
}
