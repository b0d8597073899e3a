#pragma once

// Reports written the way the tests state them: hexadecimal byte pairs
// separated by spaces, with "quoted" runs standing for the bytes of their
// characters, e.g. R"(00 53 4E 02 "0641234567")". Bytes are numbered from the
// report ID as byte 0; a full report has 65 bytes.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "hid/TraceLine.h"

inline constexpr std::size_t FullReportBytes = 65;

// The bytes `text` stands for.
inline std::vector<std::uint8_t> bytesOf(std::string_view text) {
    std::vector<std::uint8_t> out;
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
            std::size_t used = 0;
            const std::string pair(text.substr(i, 2));
            const unsigned long value = std::stoul(pair, &used, 16);
            if (used != 2) {
                throw std::invalid_argument("not a hexadecimal pair: " + pair);
            }
            out.push_back(static_cast<std::uint8_t>(value));
            i += 2;
        }
    }
    return out;
}

// The bytes of `leading`, then zeros up to `length` bytes: a full report
// unless a shorter block is asked for.
inline std::vector<std::uint8_t> reportOf(std::string_view leading,
                                          std::size_t length = FullReportBytes) {
    std::vector<std::uint8_t> out = bytesOf(leading);
    if (out.size() > length) {
        throw std::invalid_argument("more bytes than the report holds");
    }
    out.resize(length, 0);
    return out;
}

// A full report of zeros with each piece's bytes placed from its byte number
// on, e.g. {{0, "00 47 53"}, {25, R"("064")"}}.
inline std::vector<std::uint8_t> reportWith(
    std::initializer_list<std::pair<std::size_t, std::string_view>> pieces) {
    std::vector<std::uint8_t> out(FullReportBytes, 0);
    for (const auto& [at, text] : pieces) {
        const std::vector<std::uint8_t> bytes = bytesOf(text);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            out.at(at + i) = bytes[i];
        }
    }
    return out;
}

// "00 47 53": the bytes as the trace and the transcripts show them.
inline std::string hexOf(std::span<const std::uint8_t> bytes) {
    return hexPairs(bytes);
}

inline std::vector<std::string> hexOf(const std::vector<std::vector<std::uint8_t>>& reports) {
    std::vector<std::string> out;
    for (const std::vector<std::uint8_t>& report : reports) {
        out.push_back(hexOf(report));
    }
    return out;
}

// The text of full reports given by their leading bytes: what a transcript
// shows for them.
inline std::string reportHex(std::string_view leading) {
    return hexOf(reportOf(leading));
}

inline std::vector<std::string> reportsHex(std::initializer_list<std::string_view> leading) {
    std::vector<std::string> out;
    for (const std::string_view head : leading) {
        out.push_back(reportHex(head));
    }
    return out;
}
