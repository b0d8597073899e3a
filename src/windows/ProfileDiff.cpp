#include "windows/ProfileDiff.h"

#include "ui_ProfileDiff.h"

#include <QHeaderView>
#include <QPushButton>
#include <QRegularExpression>

namespace {

enum Column { GroupColumn, PathColumn, UnitColumn, FileColumn, ColumnCount };

// "phonebook[12].note" belongs to the group "phonebook".
QString groupOf(const QString& path) {
    const qsizetype end = path.indexOf(QRegularExpression(QStringLiteral("[\\[.]")));
    return end < 0 ? path : path.left(end);
}

}  // namespace

TfrmProfileDiff::TfrmProfileDiff(const QString& fileName,
                                 const std::vector<profile::Difference>& differences,
                                 QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TfrmProfileDiff>()) {
    ui_->setupUi(this);
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
                       {{groupOf(d.path), d.path, d.unitValue, d.fileValue}});
    }
    grid->resizeColumnsToContents();
    grid->horizontalHeader()->setStretchLastSection(true);

    connect(ui_->btProfileWrite, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui_->btProfileCancel, &QPushButton::clicked, this, &QDialog::reject);
    ui_->btProfileCancel->setDefault(true);
}

TfrmProfileDiff::~TfrmProfileDiff() = default;
