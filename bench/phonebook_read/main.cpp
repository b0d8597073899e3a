// How long reading the unit's 100-record phonebook (one "GC" request after
// each reply) takes through the whole stack, wired as the program wires it,
// with a unit that answers at once and with one that answers after 1 ms:
// from the click on the phonebook window's read button to the end of the
// delivery of the last record. Status polling is off.
//
// Where the time of a record goes, from the simulated platform's transcript:
// how long after its due time (request + unit latency) the reader thread took
// the reply, and how long from there to the next request, which covers the
// hand-off to the user-interface thread, the dispatcher and the window.
//
// Usage: bench_phonebook_read [reads per latency, default 15]

#include "BenchTool.h"
#include "Figures.h"

#include <QApplication>

#include <chrono>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Breakdown {
    std::vector<double> readerLateUs;
    std::vector<double> toNextRequestUs;
};

// Adds the records of one read, whose link lines are `lines`.
void AddBreakdown(const std::vector<SimTranscriptLine>& lines, std::uint32_t latencyMs,
                  Breakdown& breakdown) {
    using Us = std::chrono::duration<double, std::micro>;
    for (std::size_t k = 1; k < lines.size(); ++k) {
        if (lines[k].direction == '<' && lines[k - 1].direction == '>') {
            breakdown.readerLateUs.push_back(
                Us(lines[k].at - lines[k - 1].at - std::chrono::milliseconds(latencyMs)).count());
        }
        if (lines[k].direction == '>' && lines[k - 1].direction == '<') {
            breakdown.toNextRequestUs.push_back(Us(lines[k].at - lines[k - 1].at).count());
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 15;
    UseOffscreenUnlessSet();
    QApplication app(argc, argv);
    for (const std::uint32_t latencyMs : {0u, 1u}) {
        BenchTool tool(latencyMs);
        if (!tool.connect()) {
            std::printf("phonebook read: the unit was not connected\n");
            return 1;
        }
        std::vector<double> times;
        Breakdown breakdown;
        for (int run = 0; run < runs; ++run) {
            tool.platform().clearTranscript();
            const double ms = tool.readPhonebook();
            if (ms < 0) {
                std::printf("phonebook read, unit latency %u ms: did not finish\n", latencyMs);
                return 1;
            }
            times.push_back(ms);
            AddBreakdown(tool.platform().transcript(), latencyMs, breakdown);
        }
        const double median = Median(times);
        std::printf(
            "phonebook read (100 records), unit latency %u ms: median %.1f ms of %d runs "
            "(min %.1f, max %.1f), %.1f us per record\n",
            latencyMs, median, runs, Percentile(times, 0), Percentile(times, 1),
            median * 1000.0 / 100);
        std::printf(
            "  per record: reader took the reply %.1f us after it was due; %.1f us from "
            "there to the next request\n",
            Median(breakdown.readerLateUs), Median(breakdown.toNextRequestUs));
    }
    return 0;
}
