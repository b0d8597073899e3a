#pragma once

#include <QColor>

#include <cstdint>

// The network registration a status reply reports, as the main window's label
// and the chart's band show it.
struct NetworkState {
    const char* text;
    QColor color;
};

NetworkState networkStateOf(std::uint8_t value);
