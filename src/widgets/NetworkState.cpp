#include "widgets/NetworkState.h"

namespace {

// Dark enough for a contrast of 4.5:1 on the main window's panel in both of
// its colours.
const QColor TextRed(0xB0, 0x00, 0x00);
const QColor TextGreen(0x00, 0x64, 0x00);
const QColor Purple(0x80, 0x00, 0x80);

}  // namespace

NetworkState networkStateOf(std::uint8_t value) {
    switch (value) {
        case 0:
            return {"NOT_REGISTERED", TextRed};
        case 1:
            return {"HOME_NETWORK", TextGreen};
        case 2:
            return {"ROAMING_NETWORK", TextGreen};
        case 3:
            return {"SEARCHING...", Purple};
        default:
            return {"UNDEFINED!?", TextRed};
    }
}
