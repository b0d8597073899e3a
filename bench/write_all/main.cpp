// How long `brevalon-cli write-profile --all` takes on 1, 2, 4 and 8 units
// that answer each request after 1 ms, run as the program runs it (in this
// process, on the simulated platform): each unit on a thread of its own, so
// eight units should take about as long as one. Without backups, so that
// only the writes and the reads back are timed.
//
// Usage: bench_write_all [runs per count, default 5]

#include <QBuffer>
#include <QCoreApplication>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "Figures.h"
#include "cli/Cli.h"
#include "sim/SimDevices.h"
#include "sim/SimHidPlatform.h"

namespace {

constexpr std::uint32_t LatencyMs = 1;

struct Run {
    int exit = -1;
    QByteArray err;
};

Run runCli(SimHidPlatform& platform, const QStringList& arguments) {
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    cli::Streams streams{out, err};
    const int exit = cli::run(arguments, streams, &platform);
    return {exit, err.data()};
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    qputenv("BREVALON_DATA_DIR", dir.filePath("data").toLocal8Bit());
    const QString profile = dir.filePath("profile.json");
    {
        SimHidPlatform platform;
        const auto units = attachDemoUnits(platform, 1);
        if (runCli(platform, {"read-profile", profile}).exit != cli::Done) {
            std::printf("write-profile --all: the profile could not be read\n");
            return 1;
        }
    }
    double one = 0;
    for (const int count : {1, 2, 4, 8}) {
        SimHidPlatform platform;
        const auto units = attachDemoUnits(platform, count);
        for (const auto& unit : units) {
            unit->unit().behaviour().latencyMs = LatencyMs;
        }
        std::vector<double> times;
        for (int k = 0; k < runs; ++k) {
            const auto start = std::chrono::steady_clock::now();
            const Run run = runCli(platform, {"--no-backup", "--all", "write-profile", profile});
            const std::chrono::duration<double, std::milli> took =
                std::chrono::steady_clock::now() - start;
            if (run.exit != cli::Done) {
                std::printf("write-profile --all on %d units: exit %d\n%s", count, run.exit,
                            run.err.constData());
                return 1;
            }
            times.push_back(took.count());
        }
        const double median = Median(times);
        if (count == 1) {
            one = median;
        }
        std::printf(
            "write-profile --all, %d unit%s answering after %u ms: median %.1f ms of %d runs "
            "(min %.1f, max %.1f), %.2f x the time of one\n",
            count, count == 1 ? "" : "s", LatencyMs, median, runs, Percentile(times, 0),
            Percentile(times, 1), median / one);
    }
    return 0;
}
