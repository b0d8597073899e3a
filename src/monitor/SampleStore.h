#pragma once

// The samples of the last day, oldest dropped first, and their summary per
// pixel column for drawing: the first, last, smallest and largest value of
// each trace in a column, so that a day draws as fast as a minute. A sample
// that arrives more than half a second after the one before it, or after the
// run was broken, starts a new run: nothing is drawn across the gap.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "monitor/StatusSample.h"

namespace monitor {

enum class Trace {
    Signal,
    Rssi,
    Network,
    Input1,
    Input2,
    Input3,
    Relay,
    AnalogRaw,
    AnalogValue,  // the calculated value itself, not times 10000
};
inline constexpr std::size_t TraceCount = 9;

double traceValue(const StatusSample& sample, Trace trace);

struct TraceRange {
    double first = 0;
    double last = 0;
    double min = 0;
    double max = 0;
};

struct ChartColumn {
    bool present = false;
    // The column's first sample starts a run: it is not joined to the left.
    bool startsRun = false;
    // Bit n set when network state n was seen (states above 3 set bit 4).
    std::uint8_t networks = 0;
    std::array<TraceRange, TraceCount> ranges{};

    const TraceRange& range(Trace trace) const { return ranges[static_cast<std::size_t>(trace)]; }
};

class SampleStore {
public:
    // A day at ten replies a second.
    static constexpr std::size_t DayCapacity = 864'000;
    static constexpr std::int64_t GapMs = 500;

    explicit SampleStore(std::size_t capacity = DayCapacity);

    // A sample older than the newest is kept at the newest's time, so that
    // the store stays in time order when the clock is set back.
    void add(StatusSample sample);
    // The next sample starts a new run however soon it arrives.
    void breakRun() { broken_ = true; }
    void clear();

    std::size_t size() const { return samples_.size(); }
    std::size_t capacity() const { return capacity_; }
    // 0 is the oldest sample kept.
    const StatusSample& at(std::size_t index) const { return samples_[slot(index)]; }
    bool startsRun(std::size_t index) const { return runStarts_[slot(index)] != 0; }
    // The index of the first sample at or after `timeMs`, size() when none.
    std::size_t firstAtOrAfter(std::int64_t timeMs) const;
    // The sample nearest to `timeMs` within [fromMs, toMs).
    std::optional<std::size_t> nearest(std::int64_t timeMs, std::int64_t fromMs,
                                       std::int64_t toMs) const;
    // What the store holds in memory, its buffers included.
    std::size_t memoryBytes() const;

    // The samples of [fromMs, toMs) summed up in `count` columns of equal
    // time; an empty column is not present.
    std::vector<ChartColumn> columns(std::int64_t fromMs, std::int64_t toMs, int count) const;

private:
    std::size_t slot(std::size_t index) const { return (oldest_ + index) % samples_.size(); }

    std::size_t capacity_;
    std::vector<StatusSample> samples_;
    std::vector<std::uint8_t> runStarts_;
    // The slot of the oldest sample once the store has wrapped around.
    std::size_t oldest_ = 0;
    bool broken_ = true;
};

}  // namespace monitor
