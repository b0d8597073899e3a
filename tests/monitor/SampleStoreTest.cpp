// The day's store of samples: the oldest dropped at its capacity, runs broken
// by gaps, and the summary per pixel column that the chart draws.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "monitor/SampleStore.h"

namespace {

using monitor::SampleStore;
using monitor::StatusSample;
using monitor::Trace;

StatusSample at(std::int64_t timeMs, std::uint8_t rssi = 0, std::uint8_t network = 1) {
    StatusSample sample;
    sample.timeMs = timeMs;
    sample.rssi = rssi;
    sample.network = network;
    return sample;
}

std::vector<std::int64_t> times(const SampleStore& store) {
    std::vector<std::int64_t> out;
    for (std::size_t i = 0; i < store.size(); ++i) {
        out.push_back(store.at(i).timeMs);
    }
    return out;
}

std::vector<bool> runStarts(const SampleStore& store) {
    std::vector<bool> out;
    for (std::size_t i = 0; i < store.size(); ++i) {
        out.push_back(store.startsRun(i));
    }
    return out;
}

TEST(SampleStore, KeepsTheNewestAtItsCapacity) {
    SampleStore store(3);
    for (const std::int64_t t : {100, 200, 300, 400, 500}) {
        store.add(at(t));
    }
    EXPECT_EQ(times(store), (std::vector<std::int64_t>{300, 400, 500}));
    // The oldest kept has nothing before it any more.
    EXPECT_EQ(runStarts(store), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(store.firstAtOrAfter(350), 1u);
    EXPECT_EQ(store.firstAtOrAfter(501), 3u);
}

TEST(SampleStore, ADayOfSamplesWrapsAroundAndStaysWithinItsMemory) {
    SampleStore store;
    for (std::int64_t i = 0; i <= std::int64_t{SampleStore::DayCapacity}; ++i) {
        store.add(at(i * 100));
    }
    EXPECT_EQ(store.size(), 864'000u);
    EXPECT_EQ(store.at(0).timeMs, 100);
    EXPECT_EQ(store.at(store.size() - 1).timeMs, 86'400'000);
    EXPECT_EQ(store.firstAtOrAfter(43'200'000), 431'999u);
    EXPECT_LE(store.memoryBytes(), 40u * 1000 * 1000);
}

TEST(SampleStore, AGapOfMoreThanHalfASecondOrABreakStartsARun) {
    SampleStore store;
    store.add(at(1000));
    store.add(at(1500));  // 500 ms: the same run
    store.add(at(2001));  // 501 ms: a gap
    store.breakRun();
    store.add(at(2002));
    store.add(at(1000));  // the clock set back: kept at the newest time
    EXPECT_EQ(runStarts(store), (std::vector<bool>{true, false, true, true, false}));
    EXPECT_EQ(store.at(4).timeMs, 2002);
}

TEST(SampleStore, ColumnsHoldTheFirstLastSmallestAndLargestValue) {
    SampleStore store;
    // Four columns of 100 ms from 1000: only the first holds samples.
    store.add(at(1000, 5, 1));
    store.add(at(1040, 9, 3));
    store.add(at(1099, 7, 1));
    store.add(at(1700, 3, 0));
    store.add(at(1750, 4, 1));
    store.add(at(1800, 6, 9));
    const std::vector<monitor::ChartColumn> columns = store.columns(1000, 1400, 4);
    ASSERT_EQ(columns.size(), 4u);
    EXPECT_TRUE(columns[0].present);
    const monitor::TraceRange rssi = columns[0].range(Trace::Rssi);
    EXPECT_EQ((std::vector<double>{rssi.first, rssi.last, rssi.min, rssi.max}),
              (std::vector<double>{5, 7, 5, 9}));
    EXPECT_EQ(columns[0].networks, 0b01010);
    EXPECT_FALSE(columns[1].present);
    EXPECT_FALSE(columns[2].present);
    EXPECT_FALSE(columns[3].present);

    // The last of seven columns holds two samples after a gap; the sample at
    // the view's end is not shown.
    const std::vector<monitor::ChartColumn> later = store.columns(1100, 1800, 7);
    EXPECT_TRUE(later[6].present);
    EXPECT_TRUE(later[6].startsRun);
    EXPECT_EQ(later[6].range(Trace::Rssi).min, 3);
    EXPECT_EQ(later[6].range(Trace::Rssi).max, 4);
    EXPECT_EQ(later[6].networks, 0b00011);
    // A state above 3 counts as one unknown state.
    EXPECT_EQ(store.columns(1800, 1801, 1)[0].networks, 0b10000);
}

TEST(SampleStore, ADayInAFewColumnsKeepsEveryExtreme) {
    SampleStore store;
    for (std::int64_t i = 0; i < std::int64_t{SampleStore::DayCapacity}; ++i) {
        StatusSample sample = at(i * 100);
        sample.analogValue1 = i == 500'000 ? -123'4567 : 10'000;
        sample.states = i == 700'000 ? 4 : 0;
        store.add(sample);
    }
    const auto columns = store.columns(0, 86'400'000, 1200);
    // One column is 72 s, 720 samples.
    EXPECT_EQ(columns[694].range(Trace::AnalogValue).min, -123.4567);
    EXPECT_EQ(columns[694].range(Trace::AnalogValue).max, 1.0);
    EXPECT_EQ(columns[972].range(Trace::Input3).max, 1.0);
    EXPECT_EQ(columns[973].range(Trace::Input3).max, 0.0);
    EXPECT_FALSE(columns[694].startsRun);
}

TEST(SampleStore, PointsAtTheNearestSampleInTheView) {
    SampleStore store;
    for (const std::int64_t t : {1000, 1100, 1300}) {
        store.add(at(t));
    }
    EXPECT_EQ(store.nearest(1040, 0, 2000), 0u);
    EXPECT_EQ(store.nearest(1210, 0, 2000), 2u);
    EXPECT_EQ(store.nearest(5000, 0, 2000), 2u);
    EXPECT_EQ(store.nearest(1000, 1050, 1300), 1u);
    EXPECT_FALSE(store.nearest(1000, 1400, 2000).has_value());
}

}  // namespace
