#pragma once

// One input report of the unit, as the dispatcher sees it: the data bytes
// after the report ID, read as if padded with zeros to 64 bytes (bytes beyond
// 64 are ignored). Bytes are numbered from the report ID as byte 0, so byte(1)
// and byte(2) are the two tag letters and the payload starts at byte 3.
// replyKind() routes a reply by its tag (and, for "GA" and "GK", by the
// selector letter in byte 4); the feature headers decode each payload.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace protocol {

class Reply {
public:
    static constexpr std::size_t DataSize = 64;

    // `data`: the bytes after the report ID, of any length.
    explicit Reply(std::span<const std::uint8_t> data);

    // Byte k counted from the report ID; 0 for k = 0 (the report ID is not
    // kept) and for k above 64.
    std::uint8_t byte(std::size_t k) const;
    // Big-endian numbers whose first (high) byte is byte k.
    std::uint16_t u16(std::size_t k) const;
    std::int16_t s16(std::size_t k) const;
    std::uint32_t u32(std::size_t k) const;
    std::int32_t s32(std::size_t k) const;
    // The text field of `size` bytes from byte k: it ends at its first zero
    // byte or fills the field; each byte becomes the character of that code.
    std::u16string text(std::size_t k, std::size_t size) const;
    // Bytes k to k + size - 1, cut where the 64 data bytes end.
    std::span<const std::uint8_t> bytes(std::size_t k, std::size_t size) const;

    bool hasTag(char first, char second) const;

private:
    std::array<std::uint8_t, DataSize> data_{};
};

// What a reply is, in the order the tags are tested. None: a tag that no
// window handles, or "GA"/"GK" with an unknown selector; it is dropped.
enum class ReplyKind {
    None,
    FirmwareInfo,     // "GF"
    Status,           // "GS"
    MemoryPacket,     // "GM"
    GsmNumber,        // "GN"
    GsmNumberAck,     // "SN"
    SmsText,          // "GP"
    SmsTextAck,       // "SP"
    DigitalTriggers,  // "GA", selector "D"
    AnalogAlarm,      // "GA", selector "A"
    Calibration,      // "GK", selector "A"
    PhonebookRecord,  // "GC"
    PhonebookAck,     // "SC"
    PulseTime,        // "GO"
};

ReplyKind replyKind(const Reply& reply);

}  // namespace protocol
