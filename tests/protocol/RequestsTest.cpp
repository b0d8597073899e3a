// Every request the tool sends, against its literal bytes (report ID first,
// all bytes not listed are 0).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ReportBytes.h"
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

static WireText wire(std::u16string_view text) {
    WireTextResult result = WireText::fromUtf16(text);
    EXPECT_TRUE(result.text.has_value());
    return result.text.value_or(WireText{});
}

TEST(Requests, MatchTheirBytes) {
    const std::u16string digits18 = u"123456789012345678";
    const std::u16string text31 = u"ABCDEFGHIJKLMNOPQRSTUVWXYZ01234";
    struct Case {
        const char* name;
        CommandReport request;
        const char* bytes;
    };
    const Case cases[] = {
        {"status", requestStatus(), "00 47 53"},
        {"firmware", requestFirmwareInfo(), "00 47 46"},
        {"relay toggle", toggleRelay(), "00 53 4F 54"},
        {"boot mode", restartInBootMode(), "00 53 52 42"},
        {"test SMS", sendTestSms(), "00 53 54 53"},
        {"memory packet", requestMemoryPacket(0x017F), "00 47 4D 01 7F"},
        {"format", formatMemory(), "00 53 46"},
        {"GSM number read", requestGsmNumber(5), "00 47 4E 05"},
        {"GSM number write, cut to 15", writeGsmNumber(2, wire(digits18)),
         "00 53 4E 02 31 32 33 34 35 36 37 38 39 30 31 32 33 34 35"},
        {"GSM number write, empty", writeGsmNumber(4, wire(u"")), "00 53 4E 04"},
        {"GSM number write, Latin-1", writeGsmNumber(1, wire(u"+381\u00E8")),
         "00 53 4E 01 2B 33 38 31 E8"},
        {"SMS text read", requestSmsText(9), "00 47 50 09"},
        {"SMS text write, cut to 30", writeSmsText(3, wire(text31)),
         "00 53 50 03 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 51 52 53 54 55 56 57 58 59 "
         "5A 30 31 32 33"},
        {"SMS text write, empty", writeSmsText(6, wire(u"")), "00 53 50 06"},
        {"digital triggers read", requestDigitalTriggers(), "00 47 41 44"},
        {"digital triggers write",
         writeDigitalTriggers({{false, true, false}, {0, 25, 255}, false}),
         "00 53 41 44 00 01 00 00 19 FF 00"},
        {"digital triggers write, all set",
         writeDigitalTriggers({{true, true, true}, {1, 2, 3}, true}),
         "00 53 41 44 01 01 01 01 02 03 01"},
        {"analog alarm read", requestAnalogAlarm(), "00 47 41 41"},
        {"analog alarm write", writeAnalogAlarm({125000, -30000, 4464, 7, true, false}),
         "00 53 41 41 00 01 E8 48 FF FF 8A D0 11 70 07 01 00"},
        {"analog alarm write, bounds",
         writeAnalogAlarm({INT32_MAX, INT32_MIN, 65535, 255, false, true}),
         "00 53 41 41 7F FF FF FF 80 00 00 00 FF FF FF 00 01"},
        {"calibration read", requestCalibration(), "00 47 4B 41"},
        {"calibration write",
         writeCalibration({{{{279, 0, -512, true}, {-1, INT32_MAX, 32767, false}}}}),
         "00 53 4B 41 00 00 01 17 00 00 00 00 FF FF FF FF 7F FF FF FF FE 00 7F FF 01 00"},
        {"calibration write, channel 2 flag",
         writeCalibration({{{{0, 0, 0, false}, {0, 0, -25536, true}}}}),
         "00 53 4B 41 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 9C 40 00 01"},
        {"phonebook read", requestPhonebookRecord(100), "00 47 43 00 64"},
        {"phonebook read, high byte", requestPhonebookRecord(0x0102), "00 47 43 01 02"},
        {"phonebook write, cut",
         writePhonebookRecord(11, wire(u"0641234567890123"), wire(u"Napomena"), true),
         "00 53 43 00 0B 30 36 34 31 32 33 34 35 36 37 38 39 30 31 32 00 4E 61 70 6F 6D 65 00 "
         "01"},
        {"phonebook write, empty inactive", writePhonebookRecord(99, wire(u""), wire(u""), false),
         "00 53 43 00 63"},
        {"call function on", switchCallFunction(true), "00 53 44 45 01"},
        {"call function off", switchCallFunction(false), "00 53 44 45 00"},
        {"pulse time read", requestPulseTime(), "00 47 4F"},
        {"pulse time write", writePulseTime(25), "00 53 4F 50 19"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(std::vector<std::uint8_t>(c.request.bytes().begin(), c.request.bytes().end()),
                  reportOf(c.bytes))
            << c.name;
    }
}

TEST(Requests, BlockRecordsMatchTheirBytes) {
    const SmsTextRecord sms = smsTextRecord(7, wire(u"Max"));
    EXPECT_EQ(std::vector<std::uint8_t>(sms.begin(), sms.end()), reportOf("07 4D 61 78", 32));

    const PhonebookRecord entry = phonebookRecord(0x0163, wire(u"12"), wire(u"ab"), true);
    EXPECT_EQ(
        std::vector<std::uint8_t>(entry.begin(), entry.end()),
        reportOf("01 63 31 32 00 00 00 00 00 00 00 00 00 00 00 00 00 00 61 62 00 00 00 00 00 01",
                 32));
}
