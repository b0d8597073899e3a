#include "sim/VirtualUnit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <set>

#include "ReportBytes.h"

namespace {

// One request and the one reply it must give, or none (nullptr).
struct Step {
    const char* request;
    const char* reply;
};

void run(VirtualUnit& unit, std::initializer_list<Step> steps) {
    for (const Step& step : steps) {
        SCOPED_TRACE(step.request);
        const UnitResponse response = unit.handle(reportOf(step.request));
        EXPECT_EQ(response.bus, UnitResponse::Bus::Stay);
        std::vector<std::string> expected;
        if (step.reply != nullptr) {
            expected.push_back(hexOf(reportOf(step.reply)));
        }
        EXPECT_EQ(hexOf(response.replies), expected);
    }
}

std::string packet(VirtualUnit& unit, int p) {
    const UnitResponse r =
        unit.handle(reportOf("00 47 4D 00 " + hexOf(UnitReport{std::uint8_t(p)})));
    return r.replies.size() == 1 ? hexOf(r.replies[0]) : "no reply";
}

TEST(VirtualUnitTest, GsmNumbersKeepFifteenAndSixteenCharacters) {
    VirtualUnit unit;
    run(unit, {
                  {R"(00 53 4E 00 "381641234567890")", "00 53 4E"},
                  {"00 47 4E 00", R"(00 47 4E 00 00 "381641234567890")"},
                  {R"(00 53 4E 05 "3816412345678901")", "00 53 4E"},
                  {"00 47 4E 05", R"(00 47 4E 05 00 "3816412345678901")"},
                  // A shorter number over a longer one leaves nothing behind.
                  {R"(00 53 4E 05 "064")", "00 53 4E"},
                  {"00 47 4E 05", R"(00 47 4E 05 00 "064")"},
                  {"00 53 4E 03", "00 53 4E"},
                  {"00 47 4E 03", "00 47 4E 03"},
                  {R"(00 53 4E 06 "123")", nullptr},
                  {"00 47 4E 06", nullptr},
              });
    EXPECT_EQ(unit.gsmNumber(0), "381641234567890");
    EXPECT_EQ(unit.gsmNumber(5), "064");
    EXPECT_EQ(packet(unit, 0), hexOf(reportOf(R"(00 47 4D 00 00 "381641234567890" 00)")));
}

TEST(VirtualUnitTest, SmsTextsKeepThirtyAndThirtyTwoBytes) {
    VirtualUnit unit;
    run(unit, {
                  {R"(00 53 50 00 "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123")", "00 53 50"},
                  {"00 47 50 00", R"(00 47 50 00 00 "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123")"},
                  {R"(00 53 50 09 "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345")", "00 53 50"},
                  {"00 47 50 09", R"(00 47 50 00 09 "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345")"},
                  {"00 53 50 06 0C 61 73 E8", "00 53 50"},
                  {"00 47 50 06", "00 47 50 00 06 0C 61 73 E8"},
                  {R"(00 53 50 0A "x")", nullptr},
                  {"00 47 50 0A", nullptr},
              });
    EXPECT_EQ(unit.smsText(9), "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345");
    // Slot 9 is the last 32 bytes of packet 12.
    EXPECT_EQ(packet(unit, 12),
              hexOf(reportOf(R"(00 47 4D 00 0C "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345")")));
}

TEST(VirtualUnitTest, DigitalTriggersComeBackAsABitMaskOneByteLater) {
    VirtualUnit unit;
    run(unit, {
                  {"00 53 41 44 00 01 00 00 19 FF 00", nullptr},
                  {"00 47 41 44", "00 47 41 00 44 02 00 19 FF 00"},
                  {"00 53 41 44 01 00 01 0A 00 05 01", nullptr},
                  {"00 47 41 44", "00 47 41 00 44 05 0A 00 05 01"},
                  {"00 53 41 44 01 01 01 00 00 00 00", nullptr},
                  {"00 47 41 44", "00 47 41 00 44 07 00 00 00 00"},
              });
    EXPECT_EQ(unit.digitalTriggers(), (UnitDigitalTriggers{{1, 1, 1}, {0, 0, 0}, 0}));
}

TEST(VirtualUnitTest, AnalogAlarmKeepsSignedLimits) {
    VirtualUnit unit;
    run(unit, {
                  {"00 53 41 41 00 01 E8 48 FF FF 8A D0 01 2C 03 01 01", nullptr},
                  {"00 47 41 41", "00 47 41 00 41 00 01 E8 48 FF FF 8A D0 01 2C 03 01 01"},
                  {"00 53 41 41 FF FF FF FF 80 00 00 00 FF FF FF 00 00", nullptr},
                  {"00 47 41 41", "00 47 41 00 41 FF FF FF FF 80 00 00 00 FF FF FF 00 00"},
                  // Another selector neither answers nor changes the settings.
                  {"00 53 41 58 01 02 03 04", nullptr},
                  {"00 47 41 58", nullptr},
              });
    EXPECT_EQ(unit.analogAlarm(), (UnitAnalogAlarm{-1, INT32_MIN, 65535, 255, 0, 0}));
}

TEST(VirtualUnitTest, CalibrationKeepsSignedCoefficientsAndOffsets) {
    VirtualUnit unit;
    run(unit, {
                  {"00 53 4B 41 00 01 86 A0 FF FF FF FF 00 26 25 A0 FF 41 13 0C FF 38 9C 40 07 00",
                   nullptr},
                  {"00 47 4B 41",
                   "00 47 4B 00 41 00 01 86 A0 FF FF FF FF 00 26 25 A0 FF 41 13 0C FF 38 9C 40 07 "
                   "00"},
                  {"00 47 4B 44", nullptr},
              });
    EXPECT_EQ(unit.calibration(),
              (UnitCalibration{{100000, 2500000}, {-1, -12512500}, {-200, -25536}, {7, 0}}));
}

TEST(VirtualUnitTest, PhonebookKeepsRecordsZeroToNinetyNine) {
    VirtualUnit unit;
    run(unit,
        {
            {R"(00 53 43 00 00 "381601234567890" 00 "Marko1" 00 01)", "00 53 43"},
            {"00 47 43 00 00", R"(00 47 43 00 00 "381601234567890" 00 "Marko1" 00 01)"},
            {R"(00 53 43 00 63 "063" 00 00 00 00 00 00 00 00 00 00 00 00 00 "Ana")", "00 53 43"},
            {"00 47 43 00 63",
             R"(00 47 43 00 63 "063" 00 00 00 00 00 00 00 00 00 00 00 00 00 "Ana")"},
            {R"(00 53 43 00 64 "1" 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "x")", nullptr},
            {"00 47 43 00 64", nullptr},
            {"00 47 43 01 05", nullptr},
        });
    EXPECT_EQ(unit.phonebookRecord(0), (UnitPhonebookRecord{"381601234567890", "Marko1", 1}));
    // Record 99 is packet 16 + 99.
    EXPECT_EQ(packet(unit, 115),
              hexOf(reportOf(R"(00 47 4D 00 73 "063" 00 00 00 00 00 00 00 00 00 00 00 00 00 "Ana" )"
                             "00 00 00 00 FF FF FF FF FF FF FF FF FF")));
}

TEST(VirtualUnitTest, RelayPulseTimeStaysWithinOneTo250) {
    VirtualUnit unit;
    run(unit, {
                  {"00 53 4F 50 19", nullptr},
                  {"00 47 4F", "00 47 4F 00 19"},
                  {"00 53 4F 50 00", nullptr},
                  {"00 47 4F", "00 47 4F 00 19"},
                  {"00 53 4F 50 FB", nullptr},
                  {"00 47 4F", "00 47 4F 00 19"},
                  {"00 53 4F 50 01", nullptr},
                  {"00 47 4F", "00 47 4F 00 01"},
                  {"00 53 4F 50 FA", nullptr},
                  {"00 47 4F", "00 47 4F 00 FA"},
              });
}

TEST(VirtualUnitTest, FirmwareTextFillsBytesThreeTo63) {
    VirtualUnit unit;
    run(unit, {{"00 47 46", R"(00 47 46 "BRV8 FW 3.02 02.12.2016")"}});
    unit.setFirmwareText(std::string(70, 'F'));
    run(unit, {{"00 47 46", ("00 47 46 " + hexOf(UnitReport(61, 'F'))).c_str()}});
}

TEST(VirtualUnitTest, StatusCarriesLiveValuesAndCalculatedValues) {
    VirtualUnit unit;
    UnitLiveValues& live = unit.live();
    live.signalLevel = 3;
    live.rssi = 17;
    live.inputs = {1, 0, 1};
    live.fixedRaw = {std::uint16_t{1000}, std::uint16_t{4095}};
    live.smsReceived = 0x0102;
    live.phoneNumber = "0641234567";
    live.stateValues = {5, 1, 2, 3, 4, 6, 7, 255};
    live.networkState = 2;
    run(unit, {
                  // K 2.5, N -1.25, offset -1500 on channel 1; K at its maximum on channel 2.
                  {"00 53 4B 41 00 00 61 A8 FF FF CF 2C 7F FF FF FF 00 00 00 00 FA 24 00 00 00 00",
                   nullptr},
                  {R"(00 53 4E 00 "0641")", "00 53 4E"},
                  {R"(00 53 4E 04 "0642")", "00 53 4E"},
                  {"00 53 54 53", nullptr},
                  {"00 53 4F 54", nullptr},
                  {"00 53 44 45 01", nullptr},
                  {"00 47 53",
                   R"(00 47 53 03 11 01 00 01 01 03 E8 0F FF 00 02 01 02 FF 41 13 0C 7F FF FF FF )"
                   R"("0641234567" 00 00 00 00 00 00 )"
                   "00 00 00 00 00 00 00 00 00 00 00 00 00 00 05 01 02 03 04 06 07 02 01 FF"},
                  // The toggle turns the relay off again; the call function goes off.
                  {"00 53 4F 54", nullptr},
                  {"00 53 44 45 00", nullptr},
              });
    const UnitResponse again = unit.handle(reportOf("00 47 53"));
    ASSERT_EQ(again.replies.size(), 1u);
    EXPECT_EQ(again.replies[0][8], 0);
    EXPECT_EQ(again.replies[0][63], 0);
    unit.live().fixedCallFunction = 9;
    EXPECT_EQ(unit.handle(reportOf("00 47 53")).replies[0][63], 9);
}

TEST(VirtualUnitTest, FormattedMemoryHoldsDefaultsAtTheirOffsets) {
    VirtualUnit unit;
    EXPECT_EQ(packet(unit, 13),
              hexOf(reportOf("00 47 4D 00 0D 00 00 00 05 05 05 00 FF 00 0F 42 40 00 00 00 00 "
                             "00 3C 03 00 00 FF FF FF 00 00 27 10 00 00 00 00")));
    EXPECT_EQ(packet(unit, 14),
              hexOf(reportOf("00 47 4D 00 0E 00 00 27 10 00 00 00 00 00 00 00 00 00 00 FF FF "
                             "0A 00 FF FF FF FF FF FF FF FF FF FF FF FF FF FF")));
    EXPECT_EQ(packet(unit, 16),
              hexOf(reportOf("00 47 4D 00 10 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
                             "00 00 00 00 00 00 00 FF FF FF FF FF FF FF FF FF")));
    const std::string allFiller = "00 47 4D 00 7F " + hexOf(UnitReport(32, 0xFF));
    EXPECT_EQ(packet(unit, 127), hexOf(reportOf(allFiller)));
    EXPECT_EQ(packet(unit, 128), "no reply");
    EXPECT_EQ(hexOf(unit.handle(reportOf("00 47 4D 01 00")).replies), std::vector<std::string>{});
}

TEST(VirtualUnitTest, SettingsWrittenByRequestsShowInTheDump) {
    VirtualUnit unit;
    run(unit, {
                  {"00 53 41 44 01 00 01 0A 14 1E 01", nullptr},
                  {"00 53 41 41 00 01 E8 48 FF FF 8A D0 01 2C 03 01 01", nullptr},
                  {"00 53 4B 41 00 01 86 A0 FF FF FF FF 00 26 25 A0 FF 41 13 0C FF 38 9C 40 07 00",
                   nullptr},
                  {"00 53 4F 50 19", nullptr},
                  {"00 53 44 45 01", nullptr},
              });
    EXPECT_EQ(packet(unit, 13),
              hexOf(reportOf("00 47 4D 00 0D 01 00 01 0A 14 1E 01 FF 00 01 E8 48 FF FF 8A D0 "
                             "01 2C 03 01 01 FF FF FF 00 01 86 A0 FF FF FF FF")));
    EXPECT_EQ(packet(unit, 14),
              hexOf(reportOf("00 47 4D 00 0E 00 26 25 A0 FF 41 13 0C FF 38 9C 40 07 00 FF FF "
                             "19 01 FF FF FF FF FF FF FF FF FF FF FF FF FF FF")));
}

TEST(VirtualUnitTest, FormatLeavesTheBusErasesAndReturns) {
    VirtualUnit unit;
    unit.behaviour().formatTimeMs = 1234;
    run(unit, {
                  {R"(00 53 4E 00 "0641")", "00 53 4E"},
                  {R"(00 53 43 00 00 "0641")", "00 53 43"},
                  {"00 53 4F 54", nullptr},
              });
    const VirtualUnit::Memory before = unit.memory();
    const UnitResponse r = unit.handle(reportOf("00 53 46"));
    EXPECT_TRUE(r.replies.empty());
    EXPECT_EQ(r.bus, UnitResponse::Bus::LeaveAndReturn);
    EXPECT_EQ(r.offBusMs, 1234u);
    EXPECT_NE(unit.memory(), before);
    EXPECT_EQ(unit.memory(), VirtualUnit().memory());
    EXPECT_EQ(unit.live().relay, 0);
    run(unit, {{"00 47 4E 00", "00 47 4E 00"}});
}

TEST(VirtualUnitTest, BootModeLeavesTheBusAndReturnsWithItsSettings) {
    VirtualUnit unit;
    unit.behaviour().bootTimeMs = 777;
    run(unit, {{R"(00 53 4E 00 "0641")", "00 53 4E"}});
    const UnitResponse r = unit.handle(reportOf("00 53 52 42"));
    EXPECT_TRUE(r.replies.empty());
    EXPECT_EQ(r.bus, UnitResponse::Bus::LeaveAndReturn);
    EXPECT_EQ(r.offBusMs, 777u);
    run(unit, {{"00 47 4E 00", R"(00 47 4E 00 00 "0641")"}});
}

TEST(VirtualUnitTest, UnknownRequestsChangeNothingAndGetNoReply) {
    for (const char* request : {"00 47 58", "00 58 53", "00 00 00", "00 53 52 41", "00 53 44 58 01",
                                "00 53 4F 58 01", "00 53 54 58", "00 53 4B 44 00 01 86 A0",
                                "00 47 4B 44", "00 53 41 58 01 01 01", "00 67 73"}) {
        SCOPED_TRACE(request);
        VirtualUnit unit;
        const UnitResponse r = unit.handle(reportOf(request));
        EXPECT_TRUE(r.replies.empty());
        EXPECT_EQ(r.bus, UnitResponse::Bus::Stay);
        EXPECT_EQ(unit.memory(), VirtualUnit().memory());
        EXPECT_EQ(unit.live().relay, 0);
        EXPECT_EQ(unit.live().smsSent, 0);
    }
}

TEST(VirtualUnitTest, ShortAndLongRequestsReadAsSixtyFiveBytes) {
    VirtualUnit unit;
    const UnitReport shortRequest = bytesOf("00 47 4F");
    EXPECT_EQ(hexOf(unit.handle(shortRequest).replies),
              std::vector<std::string>{hexOf(reportOf("00 47 4F 00 0A"))});
    UnitReport longRequest = reportOf(R"(00 53 4E 01 "1234")");
    longRequest.resize(200, 0x39);
    unit.handle(longRequest);
    EXPECT_EQ(unit.gsmNumber(1), "1234");
    EXPECT_EQ(unit.transcript().back().bytes.size(), UnitReportLength);
}

struct FaultCase {
    const char* name;
    std::function<void(UnitBehaviour&)> set;
    std::vector<const char*> requests;
    std::vector<std::vector<std::string>> replies;  // per request
    UnitResponse::Bus lastBus = UnitResponse::Bus::Stay;
};

TEST(VirtualUnitTest, EachFaultShowsOnTheWire) {
    const std::string gf = hexOf(reportOf(R"(00 47 46 "BRV8 FW 3.02 02.12.2016")"));
    const std::string go = hexOf(reportOf("00 47 4F 00 0A"));
    const std::string sn = hexOf(reportOf("00 53 4E"));
    const std::vector<FaultCase> cases = {
        {"none", [](UnitBehaviour&) {}, {"00 47 46", "00 47 4F"}, {{gf}, {go}}},
        {"drop all",
         [](UnitBehaviour& b) { b.dropAllReplies = true; },
         {"00 47 46", R"(00 53 4E 00 "1")"},
         {{}, {}}},
        {"drop a tag",
         [](UnitBehaviour& b) { b.dropTag = "GF"; },
         {"00 47 46", "00 47 4F"},
         {{}, {go}}},
        {"drop the second reply",
         [](UnitBehaviour& b) { b.dropNthReply = 2; },
         {"00 47 46", "00 47 46", "00 47 4F"},
         {{gf}, {}, {go}}},
        {"never acknowledge",
         [](UnitBehaviour& b) { b.neverAcknowledge = true; },
         {R"(00 53 4E 00 "1")", R"(00 53 50 00 "t")", R"(00 53 43 00 00 "2")", "00 47 4E 00"},
         {{}, {}, {}, {hexOf(reportOf(R"(00 47 4E 00 00 "1")"))}}},
        {"wrong tag",
         [](UnitBehaviour& b) { b.wrongTag = "GX"; },
         {"00 47 4F", R"(00 53 4E 00 "1")"},
         {{hexOf(reportOf("00 47 58 00 0A"))}, {hexOf(reportOf("00 47 58"))}}},
        {"short report",
         [](UnitBehaviour& b) { b.shortReportBytes = 11; },
         {"00 47 46"},
         {{hexOf(bytesOf(R"(00 47 46 "BRV8 FW ")"))}}},
        {"duplicate",
         [](UnitBehaviour& b) { b.duplicateReplies = true; },
         {"00 47 4F", R"(00 53 4E 00 "1")"},
         {{go, go}, {sn, sn}}},
        {"unplug at the third request",
         [](UnitBehaviour& b) { b.unplugAtRequest = 3; },
         {"00 47 46", "00 47 4F", "00 47 46"},
         {{gf}, {go}, {}},
         UnitResponse::Bus::Leave},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.name);
        VirtualUnit unit;
        c.set(unit.behaviour());
        for (std::size_t i = 0; i < c.requests.size(); ++i) {
            const UnitResponse r = unit.handle(reportOf(c.requests[i]));
            EXPECT_EQ(hexOf(r.replies), c.replies[i]) << c.requests[i];
            if (i + 1 == c.requests.size()) {
                EXPECT_EQ(r.bus, c.lastBus);
            }
        }
    }
}

TEST(VirtualUnitTest, LatencyAndTranscriptFollowEveryRequest) {
    VirtualUnit unit;
    unit.behaviour().latencyMs = 2;
    unit.behaviour().dropTag = "GF";
    EXPECT_EQ(unit.handle(reportOf("00 47 4F")).delayMs, 2u);
    unit.handle(reportOf("00 47 46"));
    ASSERT_EQ(unit.transcript().size(), 3u);
    EXPECT_TRUE(unit.transcript()[0].toUnit);
    EXPECT_EQ(hexOf(unit.transcript()[1].bytes), hexOf(reportOf("00 47 4F 00 0A")));
    EXPECT_FALSE(unit.transcript()[1].toUnit);
    EXPECT_EQ(hexOf(unit.transcript()[2].bytes), hexOf(reportOf("00 47 46")));
}

// The raw readings follow a slow swing with noise that depends only on the seed.
TEST(VirtualUnitTest, RawReadingsAreASlowNoisyWaveformFromTheSeed) {
    auto readings = [](std::uint64_t seed) {
        VirtualUnit unit(seed);
        std::vector<std::pair<int, int>> out;
        for (int i = 0; i < 600; ++i) {
            const UnitReport r = unit.handle(reportOf("00 47 53")).replies.at(0);
            out.emplace_back(r[9] << 8 | r[10], r[11] << 8 | r[12]);
        }
        return out;
    };
    const auto a = readings(7);
    EXPECT_EQ(a, readings(7));
    EXPECT_NE(a, readings(8));
    int low = 65535, high = 0;
    std::set<int> distinct;
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_LE(a[i].first, 4095);
        EXPECT_LE(a[i].second, 4095);
        low = std::min(low, a[i].first);
        high = std::max(high, a[i].first);
        distinct.insert(a[i].first);
        if (i > 0) {
            EXPECT_LT(std::abs(a[i].first - a[i - 1].first), 100) << "at " << i;
        }
    }
    EXPECT_GT(high - low, 2000);
    EXPECT_GT(distinct.size(), 300u);
}

}  // namespace
