#pragma once

// How the windows write a device's numbers.

#include <QString>

#include <cstdint>

// At least four upper-case hexadecimal digits, as vendor and product IDs are shown.
inline QString hex4(std::uint16_t value) {
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0')).toUpper();
}
