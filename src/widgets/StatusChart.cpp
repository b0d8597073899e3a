#include "widgets/StatusChart.h"

#include <QDateTime>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <vector>

#include "monitor/SampleStore.h"
#include "widgets/NetworkState.h"

namespace {

using monitor::ChartColumn;
using monitor::Trace;

const QColor RssiColor(0x1F, 0x5F, 0xBF);
const QColor LevelColor(0xD0, 0x70, 0x00);
const QColor AnalogColor(0x00, 0x70, 0x40);
const QColor RawColor(0x70, 0x40, 0x90);
const QColor InputColor(0x20, 0x20, 0x20);
const QColor GridColor(0xDD, 0xDD, 0xDD);

constexpr int LeftMargin = 96;
constexpr int RightMargin = 10;
constexpr int TopMargin = 4;
constexpr int AxisHeight = 20;
constexpr int BandHeight = 8;
constexpr int LaneGap = 8;

// Where a lane's values lie on the screen: `low` at the bottom, `high` at the
// top.
struct Scale {
    double low = 0;
    double high = 1;
    double top = 0;
    double bottom = 1;

    double y(double value) const {
        const double share = high > low ? (value - low) / (high - low) : 0.5;
        return bottom - std::clamp(share, 0.0, 1.0) * (bottom - top);
    }
};

// One trace as steps: a column's smallest to largest value upright at its
// x, joined to the column before unless a run starts there.
void drawTrace(QPainter& painter, const std::vector<ChartColumn>& columns, Trace trace,
               const Scale& scale, int left, const QColor& color) {
    std::vector<QLineF> lines;
    lines.reserve(columns.size() * 2);
    const ChartColumn* previous = nullptr;
    double previousX = 0;
    for (std::size_t index = 0; index < columns.size(); ++index) {
        const ChartColumn& column = columns[index];
        if (!column.present) {
            continue;
        }
        const double x = left + static_cast<double>(index) + 0.5;
        const monitor::TraceRange& range = column.range(trace);
        const bool joined = previous != nullptr && !column.startsRun;
        if (joined) {
            const double y = scale.y(previous->range(trace).last);
            lines.emplace_back(previousX, y, x, y);
            lines.emplace_back(x, y, x, scale.y(range.first));
        }
        const double top = scale.y(range.max);
        const double bottom = scale.y(range.min);
        if (top != bottom) {
            lines.emplace_back(x, top, x, bottom);
        } else if (!joined) {
            // A column of one value with nothing to its left still shows.
            lines.emplace_back(x - 0.5, top, x + 0.5, top);
        }
        previous = &column;
        previousX = x;
    }
    painter.setPen(QPen(color, 1));
    painter.drawLines(lines.data(), static_cast<int>(lines.size()));
}

// The registration a column shows: the worst state seen in it, so that a
// moment of searching stays visible in a day.
QColor bandColor(std::uint8_t networks) {
    if ((networks & 0x11U) != 0) {
        return networkStateOf(0).color;
    }
    if ((networks & 0x08U) != 0) {
        return networkStateOf(3).color;
    }
    return networkStateOf(1).color;
}

// The smallest and largest value of a trace over the columns shown, widened
// when flat so that a steady value sits in the middle.
Scale autoScale(const std::vector<ChartColumn>& columns, Trace trace) {
    bool any = false;
    Scale scale;
    for (const ChartColumn& column : columns) {
        if (!column.present) {
            continue;
        }
        const monitor::TraceRange& range = column.range(trace);
        scale.low = any ? std::min(scale.low, range.min) : range.min;
        scale.high = any ? std::max(scale.high, range.max) : range.max;
        any = true;
    }
    if (!any) {
        return {0, 1, 0, 1};
    }
    if (scale.high - scale.low < 1e-9) {
        scale.low -= 1;
        scale.high += 1;
    }
    return scale;
}

// Time marks at least about 110 pixels apart, on round times.
std::int64_t markStep(std::int64_t spanMs, int width) {
    static constexpr std::int64_t Steps[] = {
        1'000,     2'000,     5'000,      10'000,     15'000,    30'000,
        60'000,    120'000,   300'000,    600'000,    900'000,   1'800'000,
        3'600'000, 7'200'000, 10'800'000, 21'600'000, 43'200'000};
    for (const std::int64_t step : Steps) {
        if (width > 0 && step * width / std::max<std::int64_t>(spanMs, 1) >= 110) {
            return step;
        }
    }
    return Steps[std::size(Steps) - 1];
}

QString valueText(double value, int decimals) {
    return QLocale().toString(value, 'f', decimals);
}

}  // namespace

StatusChart::StatusChart(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void StatusChart::setStore(const monitor::SampleStore* store) {
    store_ = store;
    update();
}

void StatusChart::setView(std::int64_t viewEndMs, std::int64_t spanMs) {
    viewEndMs_ = viewEndMs;
    spanMs_ = std::max<std::int64_t>(spanMs, 1);
    update();
}

void StatusChart::setLaneShown(Lane lane, bool shown) {
    shown_[static_cast<std::size_t>(lane)] = shown;
    update();
}

QSize StatusChart::sizeHint() const {
    return {900, 420};
}

QSize StatusChart::minimumSizeHint() const {
    return {320, 200};
}

QRect StatusChart::plotArea() const {
    return QRect(LeftMargin, TopMargin, std::max(width() - LeftMargin - RightMargin, 1),
                 std::max(height() - TopMargin - AxisHeight, 1));
}

std::int64_t StatusChart::timeAt(int x) const {
    const QRect plot = plotArea();
    return viewEndMs_ - spanMs_ +
           (static_cast<std::int64_t>(x - plot.left()) * spanMs_ + spanMs_ / 2) / plot.width();
}

QString StatusChart::pointText(int x) const {
    const QRect plot = plotArea();
    if (store_ == nullptr || x < plot.left() || x > plot.right()) {
        return {};
    }
    // Near is within three columns, or a second when columns are shorter.
    const std::int64_t reach = std::max<std::int64_t>(3 * spanMs_ / plot.width(), 1'000);
    const std::int64_t time = timeAt(x);
    const auto index = store_->nearest(time, viewEndMs_ - spanMs_, viewEndMs_);
    if (!index || std::abs(store_->at(*index).timeMs - time) > reach) {
        return {};
    }
    const monitor::StatusSample& sample = store_->at(*index);
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(sample.timeMs);
    return QStringLiteral("%1  Signal %2, RSSI %3, %4  DIN %5/%6/%7, Rele %8  AD %9, %10")
        .arg(QLocale().toString(when.time(), QStringLiteral("HH:mm:ss.zzz")))
        .arg(sample.signal)
        .arg(sample.rssi)
        .arg(QLatin1String(networkStateOf(sample.network).text))
        .arg(sample.input(0) ? 1 : 0)
        .arg(sample.input(1) ? 1 : 0)
        .arg(sample.input(2) ? 1 : 0)
        .arg(sample.relay() ? 1 : 0)
        .arg(sample.analogRaw1)
        .arg(valueText(sample.analogValue1 / 10000.0, 4));
}

void StatusChart::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    const QRect plot = plotArea();
    const std::int64_t from = viewEndMs_ - spanMs_;
    const std::vector<ChartColumn> columns =
        store_ != nullptr ? store_->columns(from, viewEndMs_, plot.width())
                          : std::vector<ChartColumn>(static_cast<std::size_t>(plot.width()));

    // The time marks under every lane.
    const std::int64_t step = markStep(spanMs_, plot.width());
    const QDateTime firstMark = QDateTime::fromMSecsSinceEpoch(from);
    // Marks on round local times: the offset of local time moves them.
    const std::int64_t offsetMs = std::int64_t{firstMark.offsetFromUtc()} * 1000;
    const bool seconds = step < 60'000;
    painter.setPen(GridColor);
    for (std::int64_t mark = ((from + offsetMs) / step + 1) * step - offsetMs; mark < viewEndMs_;
         mark += step) {
        const int x = plot.left() + static_cast<int>((mark - from) * plot.width() / spanMs_);
        painter.setPen(GridColor);
        painter.drawLine(x, plot.top(), x, plot.bottom());
        painter.setPen(palette().color(QPalette::Text));
        const QTime time = QDateTime::fromMSecsSinceEpoch(mark).time();
        painter.drawText(
            QRect(x - 50, plot.bottom() + 2, 100, AxisHeight - 2), Qt::AlignHCenter | Qt::AlignTop,
            time.toString(seconds ? QStringLiteral("HH:mm:ss") : QStringLiteral("HH:mm")));
    }

    std::vector<Lane> lanes;
    for (const Lane lane : {Lane::Signal, Lane::Analog, Lane::Raw, Lane::Inputs}) {
        if (laneShown(lane)) {
            lanes.push_back(lane);
        }
    }
    if (lanes.empty()) {
        return;
    }
    const double laneHeight = (plot.height() - LaneGap * static_cast<double>(lanes.size() - 1)) /
                              static_cast<double>(lanes.size());
    double top = plot.top();
    for (const Lane lane : lanes) {
        const double bottom = top + laneHeight;
        painter.setPen(GridColor);
        painter.drawRect(QRectF(plot.left(), top, plot.width(), laneHeight));
        const QRectF labels(0, top, LeftMargin - 6, laneHeight);
        const auto label = [&](const QString& text, const QColor& color, Qt::Alignment where) {
            painter.setPen(color);
            painter.drawText(labels, Qt::AlignRight | where, text);
        };
        switch (lane) {
            case Lane::Signal: {
                const double curves = bottom - BandHeight - 2;
                double highest = 31;
                for (const ChartColumn& column : columns) {
                    if (column.present) {
                        highest = std::max(highest, column.range(Trace::Rssi).max);
                    }
                }
                drawTrace(painter, columns, Trace::Rssi, {0, highest, top + 2, curves}, plot.left(),
                          RssiColor);
                drawTrace(painter, columns, Trace::Signal, {0, 5, top + 2, curves}, plot.left(),
                          LevelColor);
                // A column joined to the one before fills the pixels between
                // them, so that the band is whole where the traces are.
                std::size_t joinedFrom = 0;
                bool any = false;
                for (std::size_t index = 0; index < columns.size(); ++index) {
                    if (!columns[index].present) {
                        continue;
                    }
                    const std::size_t from =
                        any && !columns[index].startsRun ? joinedFrom + 1 : index;
                    painter.fillRect(
                        QRectF(plot.left() + static_cast<double>(from), bottom - BandHeight,
                               static_cast<double>(index - from + 1), BandHeight),
                        bandColor(columns[index].networks));
                    joinedFrom = index;
                    any = true;
                }
                label(QStringLiteral("RSSI"), RssiColor, Qt::AlignTop);
                label(QStringLiteral("Signal 0-5"), LevelColor, Qt::AlignVCenter);
                label(QStringLiteral("Mreža"), palette().color(QPalette::Text), Qt::AlignBottom);
                break;
            }
            case Lane::Analog:
            case Lane::Raw: {
                const Trace trace = lane == Lane::Analog ? Trace::AnalogValue : Trace::AnalogRaw;
                Scale scale = autoScale(columns, trace);
                scale.top = top + 2;
                scale.bottom = bottom - 2;
                const QColor color = lane == Lane::Analog ? AnalogColor : RawColor;
                drawTrace(painter, columns, trace, scale, plot.left(), color);
                const int decimals = lane == Lane::Analog ? 2 : 0;
                label(valueText(scale.high, decimals), color, Qt::AlignTop);
                label(lane == Lane::Analog ? QStringLiteral("AD vrednost")
                                           : QStringLiteral("AD sirovo"),
                      color, Qt::AlignVCenter);
                label(valueText(scale.low, decimals), color, Qt::AlignBottom);
                break;
            }
            case Lane::Inputs: {
                static const Trace Steps[] = {Trace::Input1, Trace::Input2, Trace::Input3,
                                              Trace::Relay};
                static const char* const Names[] = {"DIN1", "DIN2", "DIN3", "Rele"};
                const double row = laneHeight / 4;
                for (int index = 0; index < 4; ++index) {
                    const double rowTop = top + row * index;
                    drawTrace(painter, columns, Steps[index], {0, 1, rowTop + 3, rowTop + row - 3},
                              plot.left(), InputColor);
                    painter.setPen(palette().color(QPalette::Text));
                    painter.drawText(QRectF(0, rowTop, LeftMargin - 6, row),
                                     Qt::AlignRight | Qt::AlignVCenter,
                                     QLatin1String(Names[index]));
                }
                break;
            }
        }
        top = bottom + LaneGap;
    }

    const QString pointed = pointText(pointedX_);
    if (!pointed.isEmpty()) {
        painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
        painter.drawLine(pointedX_, plot.top(), pointedX_, plot.bottom());
        const QRect box = painter.fontMetrics().boundingRect(pointed).adjusted(-4, -2, 4, 2);
        QRect placed = box.translated(pointedX_ + 8 - box.left(), plot.top() + 2 - box.top());
        if (placed.right() > plot.right()) {
            placed.moveRight(pointedX_ - 8);
        }
        painter.fillRect(placed, QColor(0xFF, 0xFF, 0xE0));
        painter.setPen(Qt::black);
        painter.drawRect(placed);
        painter.drawText(placed, Qt::AlignCenter, pointed);
    }
}

void StatusChart::mouseMoveEvent(QMouseEvent* event) {
    pointedX_ = event->position().toPoint().x();
    update();
}

void StatusChart::leaveEvent(QEvent* /*event*/) {
    pointedX_ = -1;
    update();
}
