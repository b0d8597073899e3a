#pragma once

#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <memory>

#include "link/CsvRecorder.h"
#include "monitor/SampleStore.h"
#include "windows/MainLink.h"

namespace Ui {
class TfrmChart;
}

namespace protocol {
struct StatusReply;
}

// The unit's status over time: every status reply the main window receives
// is kept for a day and drawn against time, and can be recorded to a CSV
// file. The window sends nothing of its own; it collects while hidden.
class TfrmChart : public QWidget {
    Q_OBJECT

public:
    explicit TfrmChart(TMainLink& main, QWidget* parent = nullptr);
    ~TfrmChart() override;

    // A status reply that arrived at `timeMs` (milliseconds since the epoch).
    void addStatus(const protocol::StatusReply& status, std::int64_t timeMs);
    // The unit left or another one was chosen: the next reply starts a new
    // run, not joined to the last.
    void breakRun();
    const monitor::SampleStore& store() const { return store_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void moveView();
    void cmbChartSpanChange();
    void btChartPauseClick();
    void btChartRecordClick();
    void btChartSaveImageClick();
    void stopRecording();
    void showRecording();
    std::int64_t spanMs() const;

    TMainLink& main_;
    std::unique_ptr<Ui::TfrmChart> ui_;
    monitor::SampleStore store_;
    CsvRecorder recorder_;
    // Moves the view on with the clock while the window is shown and not
    // paused, as often as a pixel column's time, at most ten times a second.
    QTimer viewTimer_;
    bool paused_ = false;
};
