#include "protocol/Reply.h"

#include <algorithm>

#include "protocol/BigEndian.h"
#include "protocol/WireText.h"

namespace protocol {

Reply::Reply(std::span<const std::uint8_t> data) {
    std::copy_n(data.begin(), std::min(data.size(), DataSize), data_.begin());
}

// Report byte k is data byte k - 1; byte 0 (the report ID) is not kept, and
// k = 0 maps past the end so that every reader sees 0 there.
static std::size_t dataIndex(std::size_t k) {
    return k == 0 ? Reply::DataSize : k - 1;
}

std::uint8_t Reply::byte(std::size_t k) const {
    const std::size_t i = dataIndex(k);
    return i < DataSize ? data_[i] : 0;
}

std::uint16_t Reply::u16(std::size_t k) const {
    return readU16(data_, dataIndex(k));
}

std::int16_t Reply::s16(std::size_t k) const {
    return static_cast<std::int16_t>(u16(k));
}

std::uint32_t Reply::u32(std::size_t k) const {
    return readU32(data_, dataIndex(k));
}

std::int32_t Reply::s32(std::size_t k) const {
    return static_cast<std::int32_t>(u32(k));
}

std::span<const std::uint8_t> Reply::bytes(std::size_t k, std::size_t size) const {
    const std::size_t i = std::min(dataIndex(k), DataSize);
    return std::span<const std::uint8_t>(data_).subspan(i, std::min(size, DataSize - i));
}

std::u16string Reply::text(std::size_t k, std::size_t size) const {
    return decodeWireText(bytes(k, size));
}

bool Reply::hasTag(char first, char second) const {
    return byte(1) == static_cast<std::uint8_t>(first) &&
           byte(2) == static_cast<std::uint8_t>(second);
}

ReplyKind replyKind(const Reply& reply) {
    struct Row {
        char first;
        char second;
        char selector;  // expected byte 4, or 0 when byte 4 is not tested
        ReplyKind kind;
    };
    static constexpr Row table[] = {
        {'G', 'F', 0, ReplyKind::FirmwareInfo},    {'G', 'S', 0, ReplyKind::Status},
        {'G', 'M', 0, ReplyKind::MemoryPacket},    {'G', 'N', 0, ReplyKind::GsmNumber},
        {'S', 'N', 0, ReplyKind::GsmNumberAck},    {'G', 'P', 0, ReplyKind::SmsText},
        {'S', 'P', 0, ReplyKind::SmsTextAck},      {'G', 'A', 'D', ReplyKind::DigitalTriggers},
        {'G', 'A', 'A', ReplyKind::AnalogAlarm},   {'G', 'K', 'A', ReplyKind::Calibration},
        {'G', 'C', 0, ReplyKind::PhonebookRecord}, {'S', 'C', 0, ReplyKind::PhonebookAck},
        {'G', 'O', 0, ReplyKind::PulseTime},
    };
    for (const Row& row : table) {
        if (reply.hasTag(row.first, row.second) &&
            (row.selector == 0 || reply.byte(4) == static_cast<std::uint8_t>(row.selector))) {
            return row.kind;
        }
    }
    return ReplyKind::None;
}

}  // namespace protocol
