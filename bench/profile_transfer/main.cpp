// How long reading a whole profile from a unit and writing one to it take,
// wired as brevalon-cli wires them (HID controller and reader thread,
// event-loop waits, simulated platform, virtual unit), against units that
// answer each request after 1 ms; and what the backup in the unit's history
// costs before a format (the whole unit, its memory image and the entry) and
// before a profile write (the whole unit and the entry). Printed beside the
// time the unit's answers alone take: the number of round trips (requests
// answered) times 1 ms.

#include <QCoreApplication>
#include <QTemporaryDir>

#include <chrono>
#include <optional>
#include <cstdio>
#include <vector>

#include "Figures.h"
#include "cli/UnitConnection.h"
#include "link/QtUiThread.h"
#include "profile/UnitHistory.h"
#include "profile/UnitOperations.h"
#include "sim/SimDevices.h"
#include "sim/SimHidPlatform.h"

namespace {

constexpr int kRuns = 9;
constexpr std::uint32_t kLatencyMs = 1;

std::size_t repliesOf(const VirtualUnit& unit) {
    std::size_t replies = 0;
    for (const UnitTranscriptEntry& entry : unit.transcript()) {
        replies += entry.toUnit ? 0 : 1;
    }
    return replies;
}

struct Figure {
    double medianMs = 0;
    std::size_t roundTrips = 0;
};

// The median of kRuns runs of `operation` on `unit`, and the round trips of one.
template <typename Operation>
Figure measure(const VirtualUnit& unit, Operation operation) {
    std::vector<double> times;
    std::size_t roundTrips = 0;
    for (int run = 0; run < kRuns; ++run) {
        const std::size_t before = repliesOf(unit);
        const auto start = std::chrono::steady_clock::now();
        if (!operation()) {
            return {-1, 0};
        }
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        roundTrips = repliesOf(unit) - before;
    }
    return {Median(times), roundTrips};
}

void print(const char* what, const Figure& figure) {
    const double floorMs = static_cast<double>(figure.roundTrips * kLatencyMs);
    std::printf("%s: median %.1f ms of %d runs; %zu round trips x %u ms = %.0f ms (%+.1f %%)\n",
                what, figure.medianMs, kRuns, figure.roundTrips, kLatencyMs, floorMs,
                100.0 * (figure.medianMs - floorMs) / floorMs);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    SimHidPlatform platform;
    const auto units = attachDemoUnits(platform, 2);
    for (const auto& device : units) {
        device->unit().behaviour().latencyMs = kLatencyMs;
    }
    QtUiThread uiThread;
    UnitConnection source(platform, uiThread, nullptr);
    UnitConnection target(platform, uiThread, nullptr);
    if (!source.open(0) || !target.open(1)) {
        std::printf("profile transfer: the units could not be opened\n");
        return 1;
    }

    profile::UnitProfile profile;
    const Figure read = measure(units[0]->unit(), [&] {
        profile::UnitRead result = profile::readUnit(source.exchange());
        profile = std::move(result.profile);
        return !result.stopped;
    });
    const Figure write = measure(units[1]->unit(), [&] {
        return profile::writeUnit(target.exchange(), profile).outcome ==
               profile::UnitWrite::Outcome::Matches;
    });
    QTemporaryDir data;
    const profile::UnitHistory history(data.path());
    const auto backUp = [&](profile::BackupReason reason, bool withMemory) {
        return measure(units[0]->unit(), [&, reason, withMemory] {
            const profile::UnitRead unit = profile::readUnit(source.exchange());
            if (unit.stopped) {
                return false;
            }
            std::optional<profile::MemoryRead> memory;
            if (withMemory) {
                memory = profile::readMemory(source.exchange());
                if (memory->stopped) {
                    return false;
                }
            }
            return !history.add("BENCH", reason, unit.profile, memory ? &memory->image : nullptr)
                        .fault;
        });
    };
    const Figure beforeFormat = backUp(profile::BackupReason::BeforeFormat, true);
    const Figure beforeWrite = backUp(profile::BackupReason::BeforeProfileWrite, false);
    if (read.medianMs < 0 || write.medianMs < 0 || beforeFormat.medianMs < 0 ||
        beforeWrite.medianMs < 0) {
        std::printf("profile transfer: an operation did not finish\n");
        return 1;
    }
    print("read-profile", read);
    print("write-profile (write and read back)", write);
    print("backup before a format (unit, memory image, entry)", beforeFormat);
    print("backup before a profile write (unit, entry)", beforeWrite);
    return 0;
}
