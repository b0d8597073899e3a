// The chart with a full day's store, 864,000 samples at ten a second: the
// time one paint takes at 1200 x 400 for each span, and the store's memory.
// Each figure is the median and the slowest of 20 paints into an image.

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "monitor/SampleStore.h"
#include "widgets/StatusChart.h"

namespace {

// A day of a living unit: slow waves with noise, inputs that flip, moments of
// searching for the network.
void fill(monitor::SampleStore& store, std::int64_t endMs) {
    const std::int64_t count = monitor::SampleStore::DayCapacity;
    std::uint32_t noise = 1;
    for (std::int64_t i = 0; i < count; ++i) {
        noise = noise * 1664525U + 1013904223U;
        monitor::StatusSample sample;
        sample.timeMs = endMs - (count - i) * 100;
        sample.rssi = static_cast<std::uint8_t>(18 + 6 * std::sin(i / 9'000.0) + (noise >> 30));
        sample.signal = static_cast<std::uint8_t>(sample.rssi / 6);
        sample.network = (noise >> 20) % 997 == 0 ? 3 : 1;
        sample.analogRaw1 =
            static_cast<std::uint16_t>(2500 + 900 * std::sin(i / 3'000.0) + (noise >> 28));
        sample.analogValue1 = sample.analogRaw1 * 250;
        sample.states = static_cast<std::uint8_t>((i / 4'000) % 3 == 0 ? 2 : 0);
        store.add(sample);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    monitor::SampleStore store;
    const std::int64_t end = 1'800'000'000'000;
    fill(store, end);
    std::printf("store: %zu samples, %.1f MB in memory when full (%zu bytes a sample)\n",
                store.size(), store.memoryBytes() / 1e6, sizeof(monitor::StatusSample) + 1);

    StatusChart chart;
    chart.setStore(&store);
    chart.resize(1200, 400);
    QImage image(chart.size(), QImage::Format_ARGB32_Premultiplied);
    struct Span {
        const char* name;
        std::int64_t ms;
    };
    for (const Span span : {Span{"24 h", 86'400'000}, Span{"1 h", 3'600'000},
                            Span{"10 min", 600'000}, Span{"1 min", 60'000}}) {
        chart.setView(end, span.ms);
        std::vector<double> times;
        for (int k = 0; k < 20; ++k) {
            QElapsedTimer timer;
            timer.start();
            chart.render(&image);
            times.push_back(timer.nsecsElapsed() / 1e6);
        }
        std::sort(times.begin(), times.end());
        std::printf("paint at 1200 x 400, %s span: median %.2f ms, slowest %.2f ms\n", span.name,
                    times[times.size() / 2], times.back());
    }
    return 0;
}
