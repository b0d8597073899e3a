#pragma once

#include <QWidget>

#include <array>
#include <cstdint>

namespace monitor {
class SampleStore;
struct ChartColumn;
}  // namespace monitor

// The status samples of a store against time, in lanes one under another:
// GSM signal level and RSSI over a band of the network registration, the
// calculated analog value, its raw reading, and the digital inputs with the
// relay as steps. One pixel column is one slice of the time shown, drawn from
// the smallest to the largest value in it, so a day draws as fast as a
// minute; nothing is drawn across a gap in the samples.
class StatusChart : public QWidget {
    Q_OBJECT

public:
    enum class Lane { Signal, Analog, Raw, Inputs };

    explicit StatusChart(QWidget* parent = nullptr);

    // `store` must outlive the chart; null draws nothing.
    void setStore(const monitor::SampleStore* store);
    // The time shown ends at `viewEndMs` and spans `spanMs` before it.
    void setView(std::int64_t viewEndMs, std::int64_t spanMs);
    std::int64_t viewEnd() const { return viewEndMs_; }
    std::int64_t span() const { return spanMs_; }
    void setLaneShown(Lane lane, bool shown);
    bool laneShown(Lane lane) const { return shown_[static_cast<std::size_t>(lane)]; }

    // The time and values of the sample nearest to the point at `x` as the
    // chart shows them when pointed at there; empty where no sample is near.
    QString pointText(int x) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QRect plotArea() const;
    std::int64_t timeAt(int x) const;

    const monitor::SampleStore* store_ = nullptr;
    std::int64_t viewEndMs_ = 0;
    std::int64_t spanMs_ = 600'000;
    std::array<bool, 4> shown_{true, true, true, true};
    // The x of the mouse while it points into the chart, -1 otherwise.
    int pointedX_ = -1;
};
