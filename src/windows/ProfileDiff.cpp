#include "windows/ProfileDiff.h"

#include "ui_ProfileDiff.h"
#include "widgets/ScreenFit.h"

#include <QHeaderView>
#include <QPushButton>

#include "windows/ProfileTexts.h"

namespace {

enum Column { GroupColumn, PathColumn, UnitColumn, FileColumn, ColumnCount };

}  // namespace

TfrmProfileDiff::TfrmProfileDiff(const QString& fileName,
                                 const std::vector<profile::Difference>& differences,
                                 QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TfrmProfileDiff>()) {
    ui_->setupUi(this);
    ScreenFit::scrollContent(*this);
    setWindowTitle(QStringLiteral("Profil: %1").arg(fileName));
    ui_->lbProfileDiff->setText(
        QStringLiteral("Uređaj se razlikuje od profila u %1 vrednosti. \"Upiši\" upisuje u uređaj "
                       "grupe koje se razlikuju, pa ih čita nazad i proverava.")
            .arg(differences.size()));

    TGrid* grid = ui_->gridProfileDiff;
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setColumnCount(ColumnCount);
    grid->setRowCount(static_cast<int>(differences.size()));
    grid->setHorizontalHeaderLabels({QStringLiteral("Grupa"), QStringLiteral("Polje"),
                                     QStringLiteral("Uređaj"), QStringLiteral("Datoteka")});
    for (std::size_t row = 0; row < differences.size(); ++row) {
        const profile::Difference& d = differences[row];
        grid->setCells(GroupColumn, static_cast<int>(row),
                       {{ProfileTexts::groupTitle(d.path), ProfileTexts::fieldName(d.path),
                         ProfileTexts::valueText(d.unitValue, d.kind),
                         ProfileTexts::valueText(d.fileValue, d.kind)}});
    }
    grid->resizeColumnsToContents();
    grid->horizontalHeader()->setStretchLastSection(true);

    connect(ui_->btProfileWrite, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui_->btProfileCancel, &QPushButton::clicked, this, &QDialog::reject);
    ui_->btProfileCancel->setDefault(true);
}

TfrmProfileDiff::~TfrmProfileDiff() = default;
