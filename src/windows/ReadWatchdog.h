#pragma once

#include <cstdint>

// The reply watchdog of a read chain that runs from reply to reply: armed
// whenever the chain waits for its next reply, counted down by the main
// window's ticks, disarmed when the chain ends. A reply that never comes
// (lost on the link, wrong tag, unit gone) would otherwise leave the chain's
// progress bar up with nothing more to come.
class TReadWatchdog {
public:
    // Five seconds of 100 ms ticks, as long as the memory read waits for a packet.
    static constexpr std::uint8_t Ticks = 50;

    void Arm() { Remaining = Ticks; }
    void Disarm() { Remaining = 0; }
    // One tick of the main window; true on the tick that ends the wait.
    bool Tick() { return Remaining > 0 && --Remaining == 0; }

private:
    std::uint8_t Remaining = 0;
};
