#include "sim/UnitWander.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::int64_t KnotMs = 60'000;
// How long the network stays lost, at most; each outage lasts from the
// shortest to that.
constexpr std::int64_t ShortestOutageMs = 3'000;
constexpr std::int64_t LongestOutageMs = 10'000;

std::uint64_t splitMix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// A step past a bound comes back from it, so the value never sticks there.
double reflect(double value, double low, double high) {
    if (value < low) {
        value = low + (low - value);
    } else if (value > high) {
        value = high - (value - high);
    }
    return std::clamp(value, low, high);
}

}  // namespace

UnitWander::UnitWander(std::uint64_t seed)
    : seed_(seed),
      // RSSI drifts about two steps of 31 a minute, the readings about 4 % of
      // their range.
      rssi_{1, 21, MinRssi, MaxRssi, 2.0},
      raw_{{{2, 2048, MinRaw, MaxRaw, 160.0}, {3, 1024, MinRaw, MaxRaw, 160.0}}},
      inputs_{{{4, 40'000, 180'000}, {5, 60'000, 240'000}, {6, 90'000, 300'000}}},
      outages_{7, 150'000, 330'000} {
    startOver();
}

double UnitWander::draw(std::uint64_t stream, std::uint64_t index) const {
    const std::uint64_t bits = splitMix(seed_ ^ splitMix(stream << 40 ^ splitMix(index)));
    return static_cast<double>(bits >> 11) / 9007199254740992.0;  // 2^53
}

void UnitWander::startOver() {
    for (Walk* walk : {&rssi_, &raw_[0], &raw_[1]}) {
        walk->knot = 0;
        walk->value = walk->start;
        walk->next = reflect(walk->start + walk->maxStep * (2 * draw(walk->stream, 0) - 1),
                             walk->low, walk->high);
    }
    for (Train* train : {&inputs_[0], &inputs_[1], &inputs_[2], &outages_}) {
        train->count = 0;
        train->last = 0;
        train->next = train->minGapMs + static_cast<std::int64_t>(
                                            draw(train->stream, 0) *
                                            static_cast<double>(train->maxGapMs - train->minGapMs));
    }
    asked_ = 0;
}

double UnitWander::walkAt(Walk& walk, std::int64_t ms) const {
    while ((walk.knot + 1) * KnotMs <= ms) {
        ++walk.knot;
        walk.value = walk.next;
        const double step = walk.maxStep * (2 * draw(walk.stream, walk.knot) - 1);
        walk.next = reflect(walk.value + step, walk.low, walk.high);
    }
    const double along = static_cast<double>(ms - walk.knot * KnotMs) / KnotMs;
    return walk.value + (walk.next - walk.value) * along;
}

void UnitWander::seek(Train& train, std::int64_t ms) const {
    while (train.next <= ms) {
        ++train.count;
        train.last = train.next;
        const double gap = static_cast<double>(train.maxGapMs - train.minGapMs) *
                           draw(train.stream, static_cast<std::uint64_t>(train.count));
        train.next = train.last + train.minGapMs + static_cast<std::int64_t>(gap);
    }
}

WanderValues UnitWander::at(std::int64_t ms) {
    ms = std::max<std::int64_t>(ms, 0);
    if (ms < asked_) {
        startOver();
    }
    asked_ = ms;
    WanderValues v;
    const int rssi = static_cast<int>(std::lround(walkAt(rssi_, ms)));
    v.rssi = static_cast<std::uint8_t>(rssi);
    v.signalLevel = static_cast<std::uint8_t>(std::min(rssi / 5, 5));
    for (std::size_t ch = 0; ch < raw_.size(); ++ch) {
        // A little noise of the converter on top, new every 100 ms.
        const double noise = 8 * draw(8 + ch, static_cast<std::uint64_t>(ms / 100)) - 4;
        v.raw[ch] = static_cast<std::uint16_t>(
            std::lround(std::clamp(walkAt(raw_[ch], ms) + noise, double{MinRaw}, double{MaxRaw})));
    }
    for (std::size_t i = 0; i < inputs_.size(); ++i) {
        seek(inputs_[i], ms);
        v.inputs[i] = static_cast<std::uint8_t>(inputs_[i].count & 1);
    }
    seek(outages_, ms);
    const std::int64_t length =
        ShortestOutageMs +
        static_cast<std::int64_t>(draw(9, static_cast<std::uint64_t>(outages_.count)) *
                                  (LongestOutageMs - ShortestOutageMs));
    v.searching = outages_.count > 0 && ms < outages_.last + length;
    return v;
}
