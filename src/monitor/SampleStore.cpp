#include "monitor/SampleStore.h"

#include <algorithm>

namespace monitor {

// In the order of Trace.
std::array<double, TraceCount> tracesOf(const StatusSample& sample) {
    return {
        double(sample.signal),       double(sample.rssi),         double(sample.network),
        sample.input(0) ? 1.0 : 0.0, sample.input(1) ? 1.0 : 0.0, sample.input(2) ? 1.0 : 0.0,
        sample.relay() ? 1.0 : 0.0,  double(sample.analogRaw1),   sample.analogValue1 / 10000.0};
}

double traceValue(const StatusSample& sample, Trace trace) {
    return tracesOf(sample)[static_cast<std::size_t>(trace)];
}

SampleStore::SampleStore(std::size_t capacity) : capacity_(std::max<std::size_t>(capacity, 1)) {}

void SampleStore::add(StatusSample sample) {
    bool startsRun = broken_;
    if (!samples_.empty()) {
        const std::int64_t newest = at(size() - 1).timeMs;
        sample.timeMs = std::max(sample.timeMs, newest);
        startsRun = startsRun || sample.timeMs - newest > GapMs;
    }
    broken_ = false;
    if (samples_.size() < capacity_) {
        // Grown as samples come, so an hour's store does not hold a day's
        // memory.
        samples_.push_back(sample);
        runStarts_.push_back(startsRun ? 1 : 0);
        return;
    }
    samples_[oldest_] = sample;
    runStarts_[oldest_] = startsRun ? 1 : 0;
    oldest_ = (oldest_ + 1) % capacity_;
    // The new oldest sample has nothing to its left any more.
    runStarts_[oldest_] = 1;
}

void SampleStore::clear() {
    samples_.clear();
    runStarts_.clear();
    oldest_ = 0;
    broken_ = true;
}

std::size_t SampleStore::firstAtOrAfter(std::int64_t timeMs) const {
    std::size_t low = 0;
    std::size_t high = size();
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (at(middle).timeMs < timeMs) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low;
}

std::optional<std::size_t> SampleStore::nearest(std::int64_t timeMs, std::int64_t fromMs,
                                                std::int64_t toMs) const {
    const std::size_t first = firstAtOrAfter(fromMs);
    const std::size_t end = firstAtOrAfter(toMs);
    if (first >= end) {
        return std::nullopt;
    }
    const std::size_t after = std::clamp(firstAtOrAfter(timeMs), first, end - 1);
    if (after > first && timeMs - at(after - 1).timeMs <= at(after).timeMs - timeMs) {
        return after - 1;
    }
    return after;
}

std::size_t SampleStore::memoryBytes() const {
    return sizeof(*this) + samples_.capacity() * sizeof(StatusSample) + runStarts_.capacity();
}

std::vector<ChartColumn> SampleStore::columns(std::int64_t fromMs, std::int64_t toMs,
                                              int count) const {
    std::vector<ChartColumn> columns(static_cast<std::size_t>(std::max(count, 0)));
    const std::int64_t span = toMs - fromMs;
    if (columns.empty() || span <= 0) {
        return columns;
    }
    const std::size_t first = firstAtOrAfter(fromMs);
    // Slots in order without a division for each: a day is 864,000 of them.
    std::size_t slotIndex = first < size() ? slot(first) : 0;
    for (std::size_t index = first; index < size(); ++index, ++slotIndex) {
        if (slotIndex == samples_.size()) {
            slotIndex = 0;
        }
        const StatusSample& sample = samples_[slotIndex];
        if (sample.timeMs >= toMs) {
            break;
        }
        ChartColumn& column =
            columns[static_cast<std::size_t>((sample.timeMs - fromMs) * count / span)];
        const bool first = !column.present;
        if (first) {
            column.present = true;
            column.startsRun = runStarts_[slotIndex] != 0;
        }
        column.networks |= static_cast<std::uint8_t>(1U << std::min<unsigned>(sample.network, 4));
        const std::array<double, TraceCount> values = tracesOf(sample);
        for (std::size_t trace = 0; trace < TraceCount; ++trace) {
            const double value = values[trace];
            TraceRange& range = column.ranges[trace];
            if (first) {
                range = {value, value, value, value};
            } else {
                range.last = value;
                range.min = std::min(range.min, value);
                range.max = std::max(range.max, value);
            }
        }
    }
    return columns;
}

}  // namespace monitor
