#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "AppFixture.h"

class QWidget;
class TGrid;

// The application fixture with what the service windows' tests share: one
// unit, replies made up by the test and sent as if the unit had sent them, and
// the requests of one kind picked out of the transcript.
class ServiceFixture : public AppFixture {
protected:
    // Attaches one unit, starts the tool and waits until the unit is current.
    VirtualUnit& startWithUnit();
    // Waits until the tool has made the unit its current device.
    void waitForUnit();
    VirtualUnit& unit() const { return units.front()->unit(); }

    // Sends `reply` to the tool as if the unit had sent it.
    void inject(std::vector<std::uint8_t> reply);
    // Waits until every reply injected so far has been dispatched: injects a
    // relay time reply behind them and waits for it to show.
    void settle();

    // The requests written whose first bytes are `head`, in order.
    std::vector<std::string> sentWith(const std::string& head) const;
    // Waits until `count` such requests have been written.
    bool pumpUntilSent(const std::string& head, std::size_t count);

    // Shows `window` as the main window's button does.
    static void open(QWidget* window);
    // A left click on the gutter of `row` (the grid is scrolled to it first).
    static void clickGutter(TGrid* grid, int row);

private:
    int settleMark_ = 0;
};
