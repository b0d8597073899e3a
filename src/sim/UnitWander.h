#pragma once

// What makes a demonstration unit look alive: signal strength and the raw
// readings drift a few percent a minute, the digital inputs flip now and
// then, and every few minutes the unit loses its network for a few seconds.
//
// The values are a function of the seed and of the time since the wander
// began alone, so a test asks for any moment and gets the same answer each
// time; asking in order costs a step or two, asking backwards starts over.

#include <array>
#include <cstdint>

struct WanderValues {
    std::uint8_t signalLevel = 0;  // 0 to 5, follows rssi
    std::uint8_t rssi = 0;         // MinRssi to MaxRssi
    std::array<std::uint16_t, 2> raw{};
    std::array<std::uint8_t, 3> inputs{};  // 0 or 1
    bool searching = false;                // network state 3 for the moment
};

class UnitWander {
public:
    static constexpr int MinRssi = 8;
    static constexpr int MaxRssi = 31;
    static constexpr int MinRaw = 200;
    static constexpr int MaxRaw = 3895;

    explicit UnitWander(std::uint64_t seed);

    // The values `ms` milliseconds after the wander began (0 and later).
    WanderValues at(std::int64_t ms);

private:
    // A value through knots one minute apart, each a bounded random step
    // from the one before, drawn straight between them.
    struct Walk {
        std::uint64_t stream;
        double start;
        double low;
        double high;
        double maxStep;
        std::int64_t knot = 0;  // the knot at or before the time asked last
        double value = 0;       // at `knot`
        double next = 0;        // at `knot + 1`
    };
    // Moments a random gap apart; `count` of them came at or before the time
    // asked last, the latest at `last`.
    struct Train {
        std::uint64_t stream;
        std::int64_t minGapMs;
        std::int64_t maxGapMs;
        std::int64_t count = 0;
        std::int64_t last = 0;
        std::int64_t next = 0;
    };

    double walkAt(Walk& walk, std::int64_t ms) const;
    void seek(Train& train, std::int64_t ms) const;
    // A number from 0 to 1, the same for the same stream and index.
    double draw(std::uint64_t stream, std::uint64_t index) const;
    void startOver();

    std::uint64_t seed_;
    std::int64_t asked_ = 0;
    Walk rssi_;
    std::array<Walk, 2> raw_;
    std::array<Train, 3> inputs_;
    Train outages_;
};
