// Soak: the whole tool (main window and all windows, offscreen) against a
// virtual unit that answers at once, for 200,000 status replies with 20 full
// memory reads and 20 full phonebook reads spread among them. The status is
// asked with the "Get Status" action as fast as the replies come back, not
// at the 100 ms tick. Prints the resident memory as it goes and fails (exit
// status 1) when it grew by 2 MiB or more over the run.
//
// The run is measured from a baseline taken after a warm-up: one memory read
// and one phonebook read (their grids are filled once) and 50,000 status
// replies, after which the virtual unit's own record of its last 100,000
// reports is full. That record, and the simulated platform's transcript
// (emptied here every 1,000 replies), are instruments of the simulator and
// not part of the tool.
//
// Usage: bench_soak [status replies, default 200000]

#include "BenchTool.h"
#include "Figures.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr long AllowedGrowthKiB = 2048;
constexpr int WarmupStatus = 50000;
constexpr int Reads = 20;
constexpr int ClearTranscriptEvery = 1000;

void PrintResident(const char* when) {
    std::printf("resident memory %-48s %7ld KiB\n", when, ResidentKiB());
    std::fflush(stdout);
}

// `count` status round trips, each waited for before the next is asked.
bool AskStatus(BenchTool& tool, int count) {
    for (int k = 0; k < count; ++k) {
        if (!tool.askStatus()) {
            std::printf("soak: no status reply\n");
            return false;
        }
        if (tool.deliveries().ran() % ClearTranscriptEvery == 0) {
            tool.platform().clearTranscript();
        }
    }
    return true;
}

bool Read(BenchTool& tool, bool memory) {
    if ((memory ? tool.readMemory() : tool.readPhonebook()) < 0) {
        std::printf("soak: a %s read did not finish\n", memory ? "memory" : "phonebook");
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int statusReplies = argc > 1 ? std::atoi(argv[1]) : 200000;
    UseOffscreenUnlessSet();
    QApplication app(argc, argv);
    BenchTool tool(0);
    if (!tool.connect()) {
        std::printf("soak: the unit was not connected\n");
        return 1;
    }
    PrintResident("at start (unit connected)");

    if (!Read(tool, true)) {
        return 1;
    }
    PrintResident("after one full memory read");
    if (!Read(tool, false) || !AskStatus(tool, WarmupStatus)) {
        return 1;
    }
    tool.platform().clearTranscript();
    const long baseline = ResidentKiB();
    PrintResident("baseline (warm-up done)");

    const int statusPerRead = statusReplies / Reads;
    for (int read = 0; read < Reads; ++read) {
        if (!AskStatus(tool, statusPerRead) || !Read(tool, true) || !Read(tool, false)) {
            return 1;
        }
        if ((read + 1) % 5 == 0) {
            char when[64];
            std::snprintf(when, sizeof when, "after %d status replies and %d reads of each",
                          (read + 1) * statusPerRead, read + 1);
            PrintResident(when);
        }
    }
    tool.platform().clearTranscript();
    const long end = ResidentKiB();
    PrintResident("at the end");

    const long growth = end - baseline;
    const bool passed = growth < AllowedGrowthKiB;
    std::printf(
        "soak: %d status replies, %d memory reads, %d phonebook reads; growth %ld KiB "
        "over the baseline: %s (limit %ld KiB)\n",
        statusPerRead * Reads, Reads, Reads, growth, passed ? "PASS" : "FAIL", AllowedGrowthKiB);
    return passed ? 0 : 1;
}
