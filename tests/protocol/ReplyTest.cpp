#include "protocol/Reply.h"

#include <gtest/gtest.h>

#include <vector>

#include "ReplyBytes.h"

using protocol::Reply;
using protocol::ReplyKind;
using protocol_test::reply;

TEST(Reply, ShortDataReadsAsZeros) {
    const std::vector<std::uint8_t> data = bytesOf("47 53 01 02 03 04 05 06 07 08");
    const Reply r(data);
    EXPECT_EQ(r.byte(1), 0x47);
    EXPECT_EQ(r.byte(10), 0x08);
    EXPECT_EQ(r.byte(11), 0);
    EXPECT_EQ(r.byte(64), 0);
    EXPECT_EQ(r.u16(10), 0x0800);
    EXPECT_EQ(r.u32(9), 0x07080000u);
}

TEST(Reply, BytesBeyond64AreIgnored) {
    std::vector<std::uint8_t> data(70, 0xAA);
    data[63] = 0x64;
    const Reply r(data);
    EXPECT_EQ(r.byte(64), 0x64);
    EXPECT_EQ(r.byte(65), 0);
    EXPECT_EQ(r.byte(0), 0);
    EXPECT_EQ(r.u16(64), 0);
    EXPECT_EQ(r.u32(62), 0u);
    EXPECT_EQ(r.bytes(61, 10).size(), 4u);
    EXPECT_EQ(r.bytes(70, 4).size(), 0u);
    EXPECT_EQ(r.text(62, 16), u"\u00AA\u00AA\u0064");
}

TEST(Reply, EmptyDataIsAllZero) {
    const Reply r(std::span<const std::uint8_t>{});
    EXPECT_EQ(r.byte(1), 0);
    EXPECT_EQ(protocol::replyKind(r), ReplyKind::None);
}

TEST(Reply, NumbersAreBigEndian) {
    const Reply r = reply({{3, "FF 38 80 00 00 00 FF FF FF FF"}});
    EXPECT_EQ(r.u16(3), 0xFF38);
    EXPECT_EQ(r.s16(3), -200);
    EXPECT_EQ(r.s32(5), INT32_MIN);
    EXPECT_EQ(r.s32(9), -1);
    EXPECT_EQ(r.u32(9), 0xFFFFFFFFu);
}

TEST(Reply, KindFollowsTagAndSelector) {
    struct Case {
        const char* bytes;
        ReplyKind kind;
    };
    const Case cases[] = {
        {"00 47 46", ReplyKind::FirmwareInfo},
        {"00 47 53", ReplyKind::Status},
        {"00 47 4D", ReplyKind::MemoryPacket},
        {"00 47 4E", ReplyKind::GsmNumber},
        {"00 53 4E", ReplyKind::GsmNumberAck},
        {"00 47 50", ReplyKind::SmsText},
        {"00 53 50", ReplyKind::SmsTextAck},
        {"00 47 41 00 44", ReplyKind::DigitalTriggers},
        {"00 47 41 00 41", ReplyKind::AnalogAlarm},
        {"00 47 41 44 00", ReplyKind::None},  // selector in byte 3, as in a request
        {"00 47 41 00 58", ReplyKind::None},
        {"00 47 4B 00 41", ReplyKind::Calibration},
        {"00 47 4B 00 44", ReplyKind::None},
        {"00 47 43", ReplyKind::PhonebookRecord},
        {"00 53 43", ReplyKind::PhonebookAck},
        {"00 47 4F", ReplyKind::PulseTime},
        {"00 53 4F 50", ReplyKind::None},
        {"00 53 41 41", ReplyKind::None},
        {"00 67 73", ReplyKind::None},
        {"00 53 47", ReplyKind::None},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(protocol::replyKind(reply({{0, c.bytes}})), c.kind) << c.bytes;
    }
}
