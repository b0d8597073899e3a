// Every reply the tool decodes, from literal bytes (report byte numbers).

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "ReplyBytes.h"
#include "protocol/AnalogAlarm.h"
#include "protocol/Calibration.h"
#include "protocol/DigitalTriggers.h"
#include "protocol/GsmNumbers.h"
#include "protocol/MainCommands.h"
#include "protocol/Memory.h"
#include "protocol/Phonebook.h"
#include "protocol/PulseTime.h"
#include "protocol/SmsTexts.h"
#include "protocol/Status.h"

using namespace protocol;
using protocol_test::reply;

TEST(Replies, StatusEveryField) {
    const StatusReply s = decodeStatus(reply({
        {0, "00 47 53 04 1F 01 00 07 02 0F FF 00 01 01 2C 00 05 FF FF FF FF 00 01 E2 40"},
        {25, "2B 33 38 31 36 34 31 32 33 34 35 36 37 38 39 30"},
        {41, "AA"},  // not used
        {55, "05 06 07 08 09 0A 0B 02 01 FF"},
    }));
    EXPECT_EQ(s.gsmSignal, 4);
    EXPECT_EQ(s.rssi, 31);
    EXPECT_EQ(s.digitalInputs, (std::array<std::uint8_t, 3>{1, 0, 7}));
    EXPECT_EQ(s.relay, 2);
    EXPECT_EQ(s.adRaw, (std::array<std::uint16_t, 2>{4095, 1}));
    EXPECT_EQ(s.smsSent, 300);
    EXPECT_EQ(s.smsReceived, 5);
    EXPECT_EQ(s.adValue, (std::array<std::int32_t, 2>{-1, 123456}));
    EXPECT_EQ(s.phoneNumber, u"+381641234567890");
    EXPECT_EQ(s.mainState, 5);
    EXPECT_EQ(s.smsListState, 6);
    EXPECT_EQ(s.gsmInitState, 7);
    EXPECT_EQ(s.gsmLiveRemaining, 8);
    EXPECT_EQ(s.usartDataReady, 9);
    EXPECT_EQ(s.raportSmsState, 10);
    EXPECT_EQ(s.sendSmsTextState, 11);
    EXPECT_EQ(s.networkState, 2);
    EXPECT_TRUE(s.callFunctionOn);
    EXPECT_EQ(s.anAlarmDebounceCounter, 255);
}

TEST(Replies, ShortStatusReadsZeros) {
    const std::vector<std::uint8_t> data = bytesOf("47 53 09 10 01 01 01 01 12 34");
    const StatusReply s = decodeStatus(Reply(data));
    EXPECT_EQ(s.gsmSignal, 9);
    EXPECT_EQ(s.adRaw[0], 0x1234);
    EXPECT_EQ(s.smsSent, 0);
    EXPECT_EQ(s.phoneNumber, u"");
    EXPECT_EQ(s.networkState, 0);
    EXPECT_FALSE(s.callFunctionOn);
}

TEST(Replies, StatusPhoneNumberEndsAtFirstZero) {
    EXPECT_EQ(decodeStatus(reply({{25, "30 36 34 00 35"}})).phoneNumber, u"064");
}

TEST(Replies, FirmwareTextSkipsZeroBytes) {
    struct Case {
        const char* name;
        Reply r;
        std::u16string text;
    };
    const Case cases[] = {
        {"six letters", reply({{0, "00 47 46 42 56 38 2E 31 30"}}), u"BV8.10"},
        {"zero between texts", reply({{0, "00 47 46 41 42 00 00 43 E8"}}), u"ABC\u00E8"},
        {"all zero", reply({{0, "00 47 46"}}), u""},
        {"bytes 63 and 64", reply({{0, "00 47 46"}, {63, "5A 59"}}), u"Z"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(decodeFirmwareInfo(c.r), c.text) << c.name;
    }
}

TEST(Replies, MemoryPacket) {
    const MemoryPacket p = decodeMemoryPacket(reply({
        {0,
         "00 47 4D 00 03 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14 15 16 "
         "17 18 19 1A 1B 1C 1D 1E 1F EE"},
    }));
    EXPECT_EQ(p.index, 3);
    std::array<std::uint8_t, 32> expected{};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        expected[i] = static_cast<std::uint8_t>(i);
    }
    EXPECT_EQ(p.data, expected);
    EXPECT_EQ(decodeMemoryPacket(reply({{0, "00 47 4D 01 80"}})).index, 0x0180);
}

TEST(Replies, GsmNumber) {
    struct Case {
        Reply r;
        std::uint8_t index;
        std::u16string number;
    };
    const Case cases[] = {
        {reply({{0, "00 47 4E 01 FF 30 36 34 31 32 33 34 35 36 37 00 39"}}), 1, u"0641234567"},
        {reply({{0, "00 47 4E 05 00 31 32 33 34 35 36 37 38 39 30 31 32 33 34 35 36 37"}}), 5,
         u"1234567890123456"},
        {reply({{0, "00 47 4E 07 00 00 31"}}), 7, u""},
    };
    for (const Case& c : cases) {
        const GsmNumberReply g = decodeGsmNumber(c.r);
        EXPECT_EQ(g.index, c.index);
        EXPECT_EQ(g.number, c.number);
    }
}

TEST(Replies, SmsText) {
    const SmsTextReply full = decodeSmsText(reply({
        {0,
         "00 47 50 09 08 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 51 52 53 54 55 56 57 "
         "58 59 5A 30 31 32 33 34 35 36"},
    }));
    EXPECT_EQ(full.slot, 8);
    EXPECT_EQ(full.text, u"ABCDEFGHIJKLMNOPQRSTUVWXYZ012345");
    const SmsTextReply latin = decodeSmsText(reply({{0, "00 47 50 00 02 0C 61 73 00 41"}}));
    EXPECT_EQ(latin.slot, 2);
    EXPECT_EQ(latin.text, u"\u000Cas");
}

TEST(Replies, DigitalTriggers) {
    struct Case {
        const char* bytes;
        std::array<bool, 3> enabled;
        std::array<std::uint8_t, 3> delays;
        bool allEnabled;
    };
    const Case cases[] = {
        {"00 47 41 00 44 05 00 0A FF 01", {true, false, true}, {0, 10, 255}, true},
        {"00 47 41 00 44 F8 01 02 03 02", {false, false, false}, {1, 2, 3}, false},
        {"00 47 41 00 44 02 00 00 00 00", {false, true, false}, {0, 0, 0}, false},
    };
    for (const Case& c : cases) {
        const DigitalTriggers t = decodeDigitalTriggers(reply({{0, c.bytes}}));
        EXPECT_EQ(t.enabled, c.enabled) << c.bytes;
        EXPECT_EQ(t.delays, c.delays) << c.bytes;
        EXPECT_EQ(t.allEnabled, c.allEnabled) << c.bytes;
    }
}

TEST(Replies, AnalogAlarm) {
    struct Case {
        const char* bytes;
        std::int32_t maximum;
        std::int32_t minimum;
        std::uint16_t repeat;
        std::uint8_t count;
        bool alarmOn;
        std::optional<bool> custom;
    };
    const Case cases[] = {
        {"00 47 41 00 41 FF FF FF FF 00 01 E2 40 01 2C 05 01 00", -1, 123456, 300, 5, true, false},
        {"00 47 41 00 41 7F FF FF FF 80 00 00 00 FF FF FF 80 01", INT32_MAX, INT32_MIN, 65535, 255,
         true, true},
        {"00 47 41 00 41 00 00 00 00 00 00 00 00 00 00 00 00 02", 0, 0, 0, 0, false, std::nullopt},
    };
    for (const Case& c : cases) {
        const AnalogAlarmReply a = decodeAnalogAlarm(reply({{0, c.bytes}}));
        EXPECT_EQ(a.maximum, c.maximum) << c.bytes;
        EXPECT_EQ(a.minimum, c.minimum) << c.bytes;
        EXPECT_EQ(a.repeatMinutes, c.repeat) << c.bytes;
        EXPECT_EQ(a.smsCount, c.count) << c.bytes;
        EXPECT_EQ(a.alarmOn, c.alarmOn) << c.bytes;
        EXPECT_EQ(a.useCustomSms, c.custom) << c.bytes;
    }
}

TEST(Replies, Calibration) {
    const Calibration c = decodeCalibration(reply({
        {0, "00 47 4B 00 41 00 01 86 A0 FF FF FF FF 80 00 00 00 00 00 01 17 FF 38 9C 40 07 00"},
    }));
    EXPECT_EQ(c.channels[0].k, 100000);
    EXPECT_EQ(c.channels[0].n, -1);
    EXPECT_EQ(c.channels[1].k, INT32_MIN);
    EXPECT_EQ(c.channels[1].n, 279);
    EXPECT_EQ(c.channels[0].offset, -200);
    EXPECT_EQ(c.channels[1].offset, -25536);
    EXPECT_TRUE(c.channels[0].voltageOut);
    EXPECT_FALSE(c.channels[1].voltageOut);
}

TEST(Replies, PhonebookRecord) {
    struct Case {
        const char* name;
        Reply r;
        std::uint8_t row;
        std::u16string number;
        std::u16string note;
        bool active;
    };
    const Case cases[] = {
        {"full",
         reply({{0,
                 "00 47 43 01 05 31 32 33 34 35 36 37 38 39 30 31 32 33 34 35 36 "
                 "4D 61 6D 61 2B 31 FF 01"}}),
         5, u"1234567890123456", u"Mama+1", true},
        {"empty note, flag 2", reply({{0, "00 47 43 00 63 30 36 34 00"}, {28, "02"}}), 99, u"064",
         u"", false},
        {"empty number", reply({{0, "00 47 43 00 00 00 31"}, {21, "41"}, {28, "01"}}), 0, u"", u"A",
         true},
    };
    for (const Case& c : cases) {
        const PhonebookReply p = decodePhonebookRecord(c.r);
        EXPECT_EQ(p.row, c.row) << c.name;
        EXPECT_EQ(p.number, c.number) << c.name;
        EXPECT_EQ(p.note, c.note) << c.name;
        EXPECT_EQ(p.active, c.active) << c.name;
    }
}

TEST(Replies, PulseTime) {
    EXPECT_EQ(decodePulseTime(reply({{0, "00 47 4F 19 FF 01"}})), 255);
    EXPECT_EQ(decodePulseTime(reply({{0, "00 47 4F 00 00"}})), 0);
}
