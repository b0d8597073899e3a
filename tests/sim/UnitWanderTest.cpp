#include "sim/UnitWander.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "ReportBytes.h"
#include "sim/VirtualUnit.h"

namespace {

constexpr std::int64_t Minute = 60'000;
constexpr std::int64_t Day = 24 * 60 * Minute;

bool same(const WanderValues& a, const WanderValues& b) {
    return a.signalLevel == b.signalLevel && a.rssi == b.rssi && a.raw == b.raw &&
           a.inputs == b.inputs && a.searching == b.searching;
}

TEST(UnitWanderTest, TheSameSeedAndTimeGiveTheSameValuesInAnyOrder) {
    const std::vector<std::int64_t> times{0, 1, 59'999, 60'000, 61'234, 5 * Minute, Day};
    UnitWander forward(7);
    std::vector<WanderValues> seen;
    for (const std::int64_t t : times) {
        seen.push_back(forward.at(t));
    }
    UnitWander backward(7);
    UnitWander other(8);
    bool differs = false;
    for (std::size_t i = times.size(); i-- > 0;) {
        SCOPED_TRACE(times[i]);
        EXPECT_TRUE(same(backward.at(times[i]), seen[i]));
        differs = differs || !same(other.at(times[i]), seen[i]);
    }
    EXPECT_TRUE(differs);
}

// A day asked second by second: every value in its range, moving no faster
// than a few percent a minute, the inputs flipping and the network lost now
// and then but not often.
TEST(UnitWanderTest, ValuesStayInRangeAndMoveSlowly) {
    for (const std::uint64_t seed : {1u, 2u, 99u}) {
        SCOPED_TRACE(seed);
        UnitWander wander(seed);
        WanderValues minuteAgo = wander.at(0);
        std::vector<WanderValues> lastMinute(60, minuteAgo);
        int flips = 0;
        int searchingSeconds = 0;
        int outages = 0;
        bool wasSearching = false;
        for (std::int64_t s = 1; s <= Day / 1000; ++s) {
            const WanderValues v = wander.at(s * 1000);
            ASSERT_GE(v.rssi, UnitWander::MinRssi);
            ASSERT_LE(v.rssi, UnitWander::MaxRssi);
            ASSERT_EQ(v.signalLevel, std::min(v.rssi / 5, 5));
            for (const std::uint16_t raw : v.raw) {
                ASSERT_GE(raw, UnitWander::MinRaw);
                ASSERT_LE(raw, UnitWander::MaxRaw);
            }
            const WanderValues& before = lastMinute[s % 60];
            ASSERT_LE(std::abs(v.rssi - before.rssi), 3) << s;
            ASSERT_LE(std::abs(v.raw[0] - before.raw[0]), 4095 * 5 / 100) << s;
            for (std::size_t i = 0; i < 3; ++i) {
                ASSERT_LE(v.inputs[i], 1);
                flips += v.inputs[i] != lastMinute[(s + 59) % 60].inputs[i] ? 1 : 0;
            }
            searchingSeconds += v.searching ? 1 : 0;
            outages += v.searching && !wasSearching ? 1 : 0;
            wasSearching = v.searching;
            lastMinute[s % 60] = v;
        }
        // Three inputs flipping every one to five minutes; an outage every
        // two and a half to five and a half minutes, of 3 to 10 s.
        EXPECT_GT(flips, 3 * 24 * 60 / 5);
        EXPECT_LT(flips, 3 * 24 * 60);
        EXPECT_GE(outages, 24 * 60 / 6);
        EXPECT_LE(outages, 24 * 60 / 2);
        EXPECT_LE(searchingSeconds, outages * 10);
    }
}

TEST(UnitWanderTest, AUnitWandersOnlyWhenToldAndThenByItsClock) {
    VirtualUnit still;
    std::int64_t now = 1'000'000;
    VirtualUnit moving;
    moving.live().fixedRaw[1] = 1234;
    moving.setWandering(5, [&now] { return now; });
    UnitWander expected(5);
    for (const std::int64_t t : {std::int64_t{0}, 90 * Minute, 3 * Minute}) {
        SCOPED_TRACE(t);
        now = 1'000'000 + t;
        const UnitReport s = still.handle(reportOf("00 47 53")).replies.at(0);
        EXPECT_EQ(hexOf(UnitReport(s.begin() + 3, s.begin() + 8)), "04 15 00 00 00");
        EXPECT_EQ(s[62], 1);

        const WanderValues v = expected.at(t);
        const UnitReport m = moving.handle(reportOf("00 47 53")).replies.at(0);
        EXPECT_EQ(m[3], v.signalLevel);
        EXPECT_EQ(m[4], v.rssi);
        EXPECT_EQ(UnitReport(m.begin() + 5, m.begin() + 8),
                  UnitReport(v.inputs.begin(), v.inputs.end()));
        EXPECT_EQ(m[9] << 8 | m[10], v.raw[0]);
        EXPECT_EQ(hexOf(UnitReport(m.begin() + 11, m.begin() + 13)), "04 D2");
        EXPECT_EQ(m[62], v.searching ? 3 : 1);
    }
}

}  // namespace
