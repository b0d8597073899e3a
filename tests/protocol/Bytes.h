#pragma once

// Literal bytes for the protocol tests: hexadecimal pairs separated by spaces,
// e.g. "00 47 53". Reports are written from the report ID (byte 0) on.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <utility>
#include <vector>

#include "protocol/Reply.h"

namespace protocol_test {

inline std::vector<std::uint8_t> hex(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < text.size(); i += 3) {
        const auto digit = [](char c) {
            return static_cast<std::uint8_t>(c <= '9' ? c - '0' : c - 'A' + 10);
        };
        bytes.push_back(static_cast<std::uint8_t>(digit(text[i]) << 4 | digit(text[i + 1])));
    }
    return bytes;
}

// `prefix` followed by zeros up to `size` bytes.
inline std::vector<std::uint8_t> padded(std::string_view prefix, std::size_t size) {
    std::vector<std::uint8_t> bytes = hex(prefix);
    bytes.resize(size, 0);
    return bytes;
}

// A full 65-byte report: the given bytes from byte 0, then zeros.
inline std::vector<std::uint8_t> report(std::string_view prefix) {
    return padded(prefix, 65);
}

// A reply of 64 data bytes: each piece placed from its report byte number on,
// every other byte 0. The report ID (byte 0) is not part of the data.
inline protocol::Reply reply(
    std::initializer_list<std::pair<std::size_t, std::string_view>> pieces) {
    std::vector<std::uint8_t> report(65, 0);
    for (const auto& [at, text] : pieces) {
        const std::vector<std::uint8_t> bytes = hex(text);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            report.at(at + i) = bytes[i];
        }
    }
    return protocol::Reply(std::span(report).subspan(1));
}

}  // namespace protocol_test
