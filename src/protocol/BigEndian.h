#pragma once

// Multi-byte numbers on the wire are big-endian (high byte first). Readers
// and writers that stay inside the buffer: a field that does not fit reads
// as 0 and is not written.

#include <cstddef>
#include <cstdint>
#include <span>

namespace protocol {

inline std::uint16_t readU16(std::span<const std::uint8_t> in, std::size_t at) {
    if (at > in.size() || in.size() - at < 2) {
        return 0;
    }
    return static_cast<std::uint16_t>(in[at] << 8 | in[at + 1]);
}

inline std::uint32_t readU32(std::span<const std::uint8_t> in, std::size_t at) {
    if (at > in.size() || in.size() - at < 4) {
        return 0;
    }
    return static_cast<std::uint32_t>(readU16(in, at)) << 16 | readU16(in, at + 2);
}

inline void writeU16(std::span<std::uint8_t> out, std::size_t at, std::uint16_t value) {
    if (at > out.size() || out.size() - at < 2) {
        return;
    }
    out[at] = static_cast<std::uint8_t>(value >> 8);
    out[at + 1] = static_cast<std::uint8_t>(value);
}

inline void writeU32(std::span<std::uint8_t> out, std::size_t at, std::uint32_t value) {
    if (at > out.size() || out.size() - at < 4) {
        return;
    }
    writeU16(out, at, static_cast<std::uint16_t>(value >> 16));
    writeU16(out, at + 2, static_cast<std::uint16_t>(value));
}

}  // namespace protocol
