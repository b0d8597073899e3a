// Host overhead of one request/reply round trip through the HID layer alone:
// blocking write -> simulated echo -> reader thread -> hand-off to the
// user-interface thread -> data handler.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "ManualUiThread.h"
#include "ReportBytes.h"
#include "hid/HidControllerClass.h"
#include "sim/SimHidPlatform.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Receiver {
    int received = 0;
    Clock::time_point at;
    void Data(THidDevice*, std::uint8_t, const std::uint8_t*, std::uint16_t) {
        at = Clock::now();
        ++received;
    }
};

double percentile(const std::vector<double>& sorted, double p) {
    return sorted[static_cast<std::size_t>(p * static_cast<double>(sorted.size() - 1))];
}

}  // namespace

int main(int argc, char** argv) {
    const int iterations = argc > 1 ? std::atoi(argv[1]) : 20000;
    const int warmup = 1000;

    SimHidPlatform sim;
    SimDeviceDescription desc;
    desc.path = "/sim/unit";
    desc.product = u"Brevalon 8";
    desc.caps.InputReportByteLength = 65;
    desc.caps.OutputReportByteLength = 65;
    desc.responder = [](const std::vector<std::uint8_t>& report) {
        return std::vector<SimInputReport>{{report, std::chrono::milliseconds(0)}};
    };
    sim.plug(desc);

    ManualUiThread ui;
    THidDeviceController controller(sim, ui);
    Receiver receiver;
    ui.pump();  // the initial notification lists the unit
    THidDevice* dev = nullptr;
    if (!controller.CheckOut(dev)) {
        std::fprintf(stderr, "no device\n");
        return 1;
    }
    dev->setOnData(THidDataEvent::bind(&receiver, &Receiver::Data));
    ui.pump();

    const std::vector<std::uint8_t> request = reportOf("00 47 53");
    std::vector<double> micros;
    micros.reserve(static_cast<std::size_t>(iterations));
    for (int i = 0; i < warmup + iterations; ++i) {
        const int expected = receiver.received + 1;
        const auto start = Clock::now();
        std::uint32_t written = 0;
        if (!dev->WriteFile(request.data(), 65, written) ||
            !ui.pumpUntil([&] { return receiver.received == expected; })) {
            std::fprintf(stderr, "round trip %d failed\n", i);
            return 1;
        }
        if (i >= warmup) {
            micros.push_back(
                std::chrono::duration<double, std::micro>(receiver.at - start).count());
        }
    }
    controller.CheckIn(dev);

    std::sort(micros.begin(), micros.end());
    std::printf("hid round trip (write -> echo -> reader -> handler), %d iterations\n", iterations);
    std::printf("median %.1f us  p90 %.1f us  p99 %.1f us  max %.1f us\n", percentile(micros, 0.5),
                percentile(micros, 0.9), percentile(micros, 0.99), micros.back());
    return 0;
}
