// Host overhead of one request/reply round trip through the whole stack,
// with a virtual unit that answers at once: the "Get Status" action sends
// the request (main window -> HID device -> simulated platform -> virtual
// unit), the unit's reply is read by the reader thread, handed to the
// user-interface thread, dispatched and shown in the main and debug windows.
// Timed from the click to the end of the delivery that showed the reply;
// also split where the delivery starts: before it, the request's way out,
// the unit, the reader thread and the hand-off; in it, the dispatcher and
// the window updates. Qt repaints the changed controls of the shown main
// window afterwards, from the event loop; that repaint is run and timed
// after each round trip, so that it does not fall into the next one.
//
// Usage: bench_roundtrip_stack [round trips per run, default 5000]

#include "BenchTool.h"
#include "Figures.h"

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int Runs = 5;
constexpr int Warmup = 500;

}  // namespace

int main(int argc, char** argv) {
    const int perRun = argc > 1 ? std::atoi(argv[1]) : 5000;
    UseOffscreenUnlessSet();
    QApplication app(argc, argv);
    BenchTool tool(0);
    if (!tool.connect()) {
        std::printf("round trip: the unit was not connected\n");
        return 1;
    }

    std::vector<double> all;
    std::vector<double> toDelivery;
    std::vector<double> inDelivery;
    std::vector<double> repaint;
    std::vector<double> runMedians;
    for (int run = 0; run < Runs; ++run) {
        std::vector<double> micros;
        for (int k = 0; k < Warmup + perRun; ++k) {
            const auto start = std::chrono::steady_clock::now();
            if (!tool.askStatus()) {
                std::printf("round trip: no reply\n");
                return 1;
            }
            const auto repainting = std::chrono::steady_clock::now();
            QCoreApplication::processEvents();
            const auto repainted = std::chrono::steady_clock::now();
            if (k >= Warmup) {
                using Us = std::chrono::duration<double, std::micro>;
                const CountingUiThread& delivery = tool.deliveries();
                repaint.push_back(Us(repainted - repainting).count());
                micros.push_back(Us(delivery.lastEnded() - start).count());
                toDelivery.push_back(Us(delivery.lastStarted() - start).count());
                inDelivery.push_back(Us(delivery.lastEnded() - delivery.lastStarted()).count());
            }
        }
        runMedians.push_back(Median(micros));
        all.insert(all.end(), micros.begin(), micros.end());
    }

    std::printf("round trip through the whole stack, unit latency 0 ms, %d runs of %d:\n", Runs,
                perRun);
    std::printf("  median %.1f us  p90 %.1f us  p99 %.1f us; run medians", Median(all),
                Percentile(all, 0.9), Percentile(all, 0.99));
    for (const double median : runMedians) {
        std::printf(" %.1f", median);
    }
    std::printf(" us\n");
    std::printf(
        "  of which: click to the start of the delivery %.1f us, the delivery "
        "(dispatcher and window updates) %.1f us (medians)\n",
        Median(toDelivery), Median(inDelivery));
    std::printf("  then the repaint of the changed controls: median %.1f us\n", Median(repaint));
    return 0;
}
