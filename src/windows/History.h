#pragma once

#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

#include "profile/UnitHistory.h"
#include "windows/MainLink.h"

namespace Ui {
class TfrmHistory;
}

// A unit's history: the entries kept before each operation that could have
// lost its settings and from each profile saved, newest first, for the unit
// connected or any other that has a history. An entry can be compared with
// the unit connected, restored to it, saved elsewhere, and its folder opened.
class TfrmHistory : public QWidget {
    Q_OBJECT

public:
    explicit TfrmHistory(TMainLink& main, QWidget* parent = nullptr);
    ~TfrmHistory() override;

    // Lists the units and the chosen unit's entries anew, the unit connected
    // first.
    void refresh();

signals:
    void compareRequested(const profile::HistoryEntry& entry);
    void restoreRequested(const profile::HistoryEntry& entry);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showEntries();
    std::optional<profile::HistoryEntry> chosenEntry() const;
    void btHistoryExportClick();
    void btHistoryOpenFolderClick();

    TMainLink& main_;
    std::unique_ptr<Ui::TfrmHistory> ui_;
    profile::UnitHistory history_;
    std::vector<profile::HistoryEntry> entries_;
};
