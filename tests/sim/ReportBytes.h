#pragma once

// Reports written the way the tests state them: hexadecimal byte pairs
// separated by spaces, with "quoted" runs standing for the bytes of their
// characters, e.g. R"(00 53 4E 02 "0641234567")".

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "sim/SimHidPlatform.h"
#include "sim/VirtualUnit.h"

inline UnitReport bytesOf(std::string_view text) {
    UnitReport out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ') {
            ++i;
        } else if (text[i] == '"') {
            const std::size_t end = text.find('"', i + 1);
            if (end == std::string_view::npos) {
                throw std::invalid_argument("unterminated text in report");
            }
            out.insert(out.end(), text.begin() + i + 1, text.begin() + end);
            i = end + 1;
        } else {
            out.push_back(
                static_cast<std::uint8_t>(std::stoul(std::string(text.substr(i, 2)), nullptr, 16)));
            i += 2;
        }
    }
    return out;
}

// A full 65-byte report: the bytes given, then zeros.
inline UnitReport report(std::string_view text) {
    UnitReport out = bytesOf(text);
    if (out.size() > UnitReportLength) {
        throw std::invalid_argument("report longer than 65 bytes");
    }
    out.resize(UnitReportLength, 0);
    return out;
}

inline std::string hexOf(const UnitReport& bytes) {
    return hexPairs(bytes);
}

inline std::vector<std::string> hexOf(const std::vector<UnitReport>& reports) {
    std::vector<std::string> out;
    for (const UnitReport& r : reports) {
        out.push_back(hexOf(r));
    }
    return out;
}
