#pragma once

#include <QDialog>

#include <memory>
#include <vector>

#include "profile/ProfileGroups.h"

namespace Ui {
class TfrmProfileDiff;
}

// What a profile would change on the unit: one row per value that differs,
// group by group, the unit's value beside the profile's, each row ticked for
// writing. "Upiši" asks for the ticked rows to be written (the dialog stays
// open and then shows, row by row, what the unit holds afterwards);
// "Odustani" closes it. A dialog that only compares has neither ticks nor
// "Upiši".
class TfrmProfileDiff : public QDialog {
    Q_OBJECT

public:
    // `note`, when not empty, is shown above the rows (a profile made from
    // another unit).
    TfrmProfileDiff(const QString& title, const QString& note,
                    const std::vector<profile::Difference>& differences, bool writable,
                    QWidget* parent = nullptr);
    ~TfrmProfileDiff() override;

    // The rows ticked, in order.
    std::vector<profile::Difference> chosen() const;
    // After a write and its read-back: whether the unit now holds the
    // profile's value, row by row. The rows can no longer be written.
    void showWritten(const std::vector<bool>& matches);

signals:
    void writeRequested();

private:
    void showCounts();

    std::unique_ptr<Ui::TfrmProfileDiff> ui_;
    std::vector<profile::Difference> differences_;
    bool writable_;
    std::vector<bool> matches_;
};
