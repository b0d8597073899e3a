#pragma once

#include <QDialog>

#include <memory>
#include <vector>

#include "profile/ProfileGroups.h"

namespace Ui {
class TfrmProfileDiff;
}

// What a profile file would change on the unit: one row per value that
// differs, group by group, the unit's value beside the file's. "Upiši"
// accepts the dialog (the caller then writes), "Odustani" rejects it.
class TfrmProfileDiff : public QDialog {
    Q_OBJECT

public:
    TfrmProfileDiff(const QString& fileName, const std::vector<profile::Difference>& differences,
                    QWidget* parent = nullptr);
    ~TfrmProfileDiff() override;

private:
    std::unique_ptr<Ui::TfrmProfileDiff> ui_;
};
