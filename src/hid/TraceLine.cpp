#include "hid/TraceLine.h"

#include <cstdio>

std::string hexPairs(std::span<const std::uint8_t> bytes) {
    std::string text;
    text.reserve(bytes.size() * 3);
    char pair[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(pair, sizeof pair, i == 0 ? "%02X" : " %02X", bytes[i]);
        text += pair;
    }
    return text;
}

std::string traceLine(std::int64_t milliseconds, char direction,
                      std::span<const std::uint8_t> report) {
    char head[48];
    std::snprintf(head, sizeof head, "%lld.%03lld %c ", static_cast<long long>(milliseconds / 1000),
                  static_cast<long long>(milliseconds % 1000), direction);
    return head + hexPairs(report);
}
