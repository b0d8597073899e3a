#pragma once

#include <QWidget>

#include <cstdint>
#include <initializer_list>
#include <vector>

// The reply watchdog of a read chain that runs from reply to reply: armed
// whenever the chain waits for its next reply, counted down by the main
// window's ticks, disarmed when the chain ends. A reply that never comes
// (lost on the link, wrong tag, unit gone) would otherwise leave the chain's
// progress bars up with nothing more to come.
class TReadWatchdog {
public:
    // Five seconds of 100 ms ticks, as long as the memory read waits for a packet.
    static constexpr std::uint8_t Ticks = 50;

    // The gauges that show the chain's progress, hidden when it times out.
    void SetGauges(std::initializer_list<QWidget*> ChainGauges) { Gauges = ChainGauges; }

    void Arm() { Remaining = Ticks; }
    void Disarm() { Remaining = 0; }
    // One tick of the main window; true on the tick that ends the wait.
    bool Tick() {
        if (Remaining == 0 || --Remaining > 0) {
            return false;
        }
        for (QWidget* gauge : Gauges) {
            gauge->hide();
        }
        return true;
    }

private:
    std::vector<QWidget*> Gauges;
    std::uint8_t Remaining = 0;
};
