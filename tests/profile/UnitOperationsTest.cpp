// The profile operations against virtual units, through an exchange that
// hands each request straight to the unit: the unit's own state is what is
// checked, and a reply that never comes ends a wait at once.

#include "profile/UnitOperations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "sim/SimDevices.h"
#include "sim/SimHidPlatform.h"
#include "sim/VirtualUnit.h"

using namespace profile;

namespace {

class DirectExchange : public UnitExchange {
public:
    explicit DirectExchange(VirtualUnit& unit) : unit_(unit) {}

    bool send(const protocol::CommandReport& report) override {
        if (!present_) {
            return false;
        }
        const UnitResponse response = unit_.handle(report.bytes().data(), report.bytes().size());
        present_ = response.bus == UnitResponse::Bus::Stay;
        replies_.insert(replies_.end(), response.replies.begin(), response.replies.end());
        return true;
    }

    std::optional<protocol::Reply> waitFor(protocol::ReplyKind kind,
                                           std::chrono::milliseconds) override {
        while (present_ && !replies_.empty()) {
            const UnitReport bytes = std::move(replies_.front());
            replies_.pop_front();
            const protocol::Reply reply{std::span(bytes).subspan(1)};
            if (protocol::replyKind(reply) == kind) {
                return reply;
            }
        }
        return std::nullopt;
    }

    bool present() const override { return present_; }

private:
    VirtualUnit& unit_;
    std::deque<UnitReport> replies_;
    bool present_ = true;
};

// Each request the unit received: its tag, the selector letter where one
// picks the setting, and the record index where there is one ("GN3", "GAD").
std::vector<std::string> requests(const VirtualUnit& unit) {
    std::vector<std::string> out;
    for (const UnitTranscriptEntry& entry : unit.transcript()) {
        if (!entry.toUnit) {
            continue;
        }
        const auto& b = entry.bytes;
        std::string tag{char(b[1]), char(b[2])};
        if (tag == "GA" || tag == "SA" || tag == "GK" || tag == "SK" || tag == "SO" ||
            tag == "SD") {
            tag += char(b[3]);
        } else if (tag == "GN" || tag == "SN" || tag == "GP" || tag == "SP") {
            tag += std::to_string(b[3]);
        } else if (tag == "GC" || tag == "SC" || tag == "GM") {
            tag += std::to_string(b[3] * 256 + b[4]);
        }
        out.push_back(tag);
    }
    return out;
}

// "GN0" to "GN<count-1>", appended to `into`.
void series(std::vector<std::string>& into, const std::string& tag, int count) {
    for (int i = 0; i < count; ++i) {
        into.push_back(tag + std::to_string(i));
    }
}

std::vector<std::string> readRequests() {
    std::vector<std::string> r{"GF"};
    series(r, "GN", 6);
    series(r, "GP", 10);
    r.insert(r.end(), {"GAD", "GAA", "GKA", "GO", "GS"});
    series(r, "GC", 100);
    return r;
}

// Everything other than the demo unit holds.
void fillOther(VirtualUnit& unit) {
    for (int i = 0; i < 6; ++i) {
        unit.setGsmNumber(i, "06099988" + std::to_string(i));
    }
    for (int i = 0; i < 10; ++i) {
        unit.setSmsText(i, "Stari tekst " + std::to_string(i));
    }
    unit.setDigitalTriggers({{0, 0, 1}, {9, 8, 7}, 0});
    unit.setAnalogAlarm({-5, -10, 1, 9, 0, 0});
    unit.setCalibration({{-1, 7}, {3, -3}, {-32768, 32767}, {1, 1}});
    for (int i = 0; i < 100; ++i) {
        unit.setPhonebookRecord(i, {"+3816" + std::to_string(1000 + i), "Ime", 1});
    }
    unit.setRelayPulseTime(250);
    unit.setCallFunction(0);
}

struct Units {
    SimHidPlatform platform;
    std::vector<std::unique_ptr<SimUnitDevice>> devices = attachDemoUnits(platform, 2);
    VirtualUnit& demo = devices[0]->unit();
    VirtualUnit& other = devices[1]->unit();
    Units() { fillOther(other); }
};

UnitProfile demoProfile() {
    Units units;
    DirectExchange exchange(units.demo);
    UnitRead read = readUnit(exchange);
    EXPECT_FALSE(read.stopped);
    return read.profile;
}

std::vector<std::string> texts(const QStringList& lines) {
    std::vector<std::string> out;
    for (const QString& line : lines) {
        out.push_back(line.toStdString());
    }
    return out;
}

TEST(UnitOperationsTest, ADemoUnitSavedToAFileAndWrittenToAnotherMakesItsMemoryTheSame) {
    Units units;
    units.demo.behaviour().duplicateReplies = true;
    DirectExchange demo(units.demo);
    std::vector<Progress> reads;
    const UnitRead read = readUnit(demo, AllGroups, [&](const Progress& p) { reads.push_back(p); });
    ASSERT_FALSE(read.stopped) << read.stopped->text().toStdString();
    EXPECT_EQ(requests(units.demo), readRequests());
    EXPECT_EQ(reads.size(), readRequests().size());
    EXPECT_EQ(reads.back().what, QStringLiteral("phonebook"));
    EXPECT_EQ(reads.back().done, 100u);
    EXPECT_EQ(*read.profile.firmware, u"BRV8 FW 3.02 02.12.2016");

    const ProfileReadResult file = readProfile(writeProfile(read.profile));
    ASSERT_TRUE(file.profile);
    DirectExchange other(units.other);
    const UnitWrite write = writeUnit(other, *file.profile);
    EXPECT_EQ(write.outcome, UnitWrite::Outcome::Matches);
    EXPECT_EQ(units.other.memory(), units.demo.memory());

    std::vector<std::string> written;
    series(written, "SN", 6);
    series(written, "SP", 10);
    written.insert(written.end(), {"SAD", "SAA", "SKA", "SOP", "SDE"});
    series(written, "SC", 100);
    std::vector<std::string> readBack = readRequests();
    readBack.erase(readBack.begin());
    written.insert(written.end(), readBack.begin(), readBack.end());
    EXPECT_EQ(requests(units.other), written);
    EXPECT_EQ(describeWrite(write).size(), 8);
    EXPECT_EQ(describeWrite(write).last().toStdString(),
              "phonebook: written and confirmed by reading back");
}

TEST(UnitOperationsTest, AProfileWithAFaultIsRefusedWithEveryFaultAndNothingIsSent) {
    const UnitProfile valid = demoProfile();
    const std::u16string sixteen = u"+381641234567890";
    struct Case {
        std::function<void(UnitProfile&)> breakIt;
        std::vector<std::string> faults;
    };
    const std::vector<Case> cases{
        {[&](UnitProfile& p) { (*p.gsmNumbers)[1] = sixteen; },
         {"gsmNumbers[1]: 16 characters, more than the 15 the unit takes"}},
        {[](UnitProfile& p) { (*p.smsTexts)[9] = u"Vrednost \u0161"; },
         {"smsTexts[9]: \"\u0161\" cannot be sent to the unit"}},
        {[](UnitProfile& p) { (*p.smsTexts)[2] = std::u16string(31, u'x'); },
         {"smsTexts[2]: 31 characters, more than the 30 the unit takes"}},
        {[](UnitProfile& p) { p.relayPulseTime = 0; }, {"relayPulseTime: 0 is outside 1 to 250"}},
        {[&](UnitProfile& p) {
             (*p.phonebook)[99].number = sixteen;
             (*p.phonebook)[12].note = u"Servis1";
         },
         {"phonebook[12].note: 7 characters, more than the 6 the unit takes",
          "phonebook[99].number: 16 characters, more than the 15 the unit takes"}},
        {[](UnitProfile& p) { (*p.phonebook)[0].note = std::u16string(1, u'\0'); },
         {"phonebook[0].note: U+0000 cannot be sent to the unit"}},
    };
    for (const Case& c : cases) {
        Units units;
        UnitProfile profile = valid;
        c.breakIt(profile);
        DirectExchange exchange(units.other);
        const UnitWrite write = writeUnit(exchange, profile);
        EXPECT_EQ(write.outcome, UnitWrite::Outcome::Refused);
        std::vector<std::string> faults;
        for (const ProfileFault& fault : write.faults) {
            faults.push_back(fault.text().toStdString());
        }
        EXPECT_EQ(faults, c.faults);
        EXPECT_TRUE(units.other.transcript().empty()) << c.faults[0];
    }
}

// The write sends requests 1 to 6 "SN", 7 to 16 "SP", 17 "SA" "D", 18 "SA"
// "A", 19 "SK", 20 "SO", 21 "SD", 22 to 121 "SC", then reads back.
TEST(UnitOperationsTest, AWriteCutShortSaysHowFarEachGroupCameAndASecondRunCompletes) {
    const UnitProfile profile = demoProfile();
    struct Case {
        std::function<void(UnitBehaviour&)> fault;
        std::string stopped;
        std::vector<std::string> groups;
        std::size_t requestsSent;
    };
    const std::string ackedNotRead = "written and acknowledged, not confirmed by reading back";
    const std::string sentNotRead = "sent, not confirmed by reading back";
    // A lost acknowledgement and a unit that never acknowledges end the write
    // at its first record alike.
    const std::vector<std::string> firstNumberUnanswered{
        "gsmNumbers: gsmNumbers[0] sent but not acknowledged; gsmNumbers[1] to gsmNumbers[5] "
        "not written",
        "smsTexts: not written",
        "digitalInputs: not written",
        "analogAlarm: not written",
        "calibration: not written",
        "relayPulseTime: not written",
        "callFunction: not written",
        "phonebook: not written"};
    const std::vector<Case> cases{
        {[](UnitBehaviour& b) { b.unplugAtRequest = 3; },
         "the unit left while writing gsmNumbers[2]",
         {"gsmNumbers: gsmNumbers[0] to gsmNumbers[1] written; gsmNumbers[2] sent but not "
          "acknowledged; gsmNumbers[3] to gsmNumbers[5] not written",
          "smsTexts: not written", "digitalInputs: not written", "analogAlarm: not written",
          "calibration: not written", "relayPulseTime: not written", "callFunction: not written",
          "phonebook: not written"},
         3},
        {[](UnitBehaviour& b) { b.dropNthReply = 1; },
         "the unit stopped answering while writing gsmNumbers[0]", firstNumberUnanswered, 1},
        {[](UnitBehaviour& b) { b.unplugAtRequest = 19; },
         "the unit left while writing relayPulseTime",
         {"gsmNumbers: " + ackedNotRead, "smsTexts: " + ackedNotRead,
          "digitalInputs: " + sentNotRead, "analogAlarm: " + sentNotRead,
          "calibration: " + sentNotRead, "relayPulseTime: not written", "callFunction: not written",
          "phonebook: not written"},
         19},
        {[](UnitBehaviour& b) { b.neverAcknowledge = true; },
         "the unit stopped answering while writing gsmNumbers[0]", firstNumberUnanswered, 1},
        {[](UnitBehaviour& b) { b.unplugAtRequest = 121; },
         "the unit left while writing phonebook[99]",
         {"gsmNumbers: " + ackedNotRead, "smsTexts: " + ackedNotRead,
          "digitalInputs: " + sentNotRead, "analogAlarm: " + sentNotRead,
          "calibration: " + sentNotRead, "relayPulseTime: " + sentNotRead,
          "callFunction: " + sentNotRead,
          "phonebook: phonebook[0] to phonebook[98] written; phonebook[99] sent but not "
          "acknowledged"},
         121},
        {[](UnitBehaviour& b) { b.unplugAtRequest = 124; },
         "the unit left while reading gsmNumbers[2]",
         {"gsmNumbers: " + ackedNotRead, "smsTexts: " + ackedNotRead,
          "digitalInputs: " + sentNotRead, "analogAlarm: " + sentNotRead,
          "calibration: " + sentNotRead, "relayPulseTime: " + sentNotRead,
          "callFunction: " + sentNotRead, "phonebook: " + ackedNotRead},
         124},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stopped);
        Units units;
        c.fault(units.other.behaviour());
        DirectExchange exchange(units.other);
        const UnitWrite write = writeUnit(exchange, profile);
        EXPECT_EQ(write.outcome, UnitWrite::Outcome::Stopped);
        EXPECT_EQ(write.stopped.text().toStdString(), c.stopped);
        EXPECT_EQ(texts(describeWrite(write)), c.groups);
        EXPECT_EQ(requests(units.other).size(), c.requestsSent);

        units.other.behaviour() = UnitBehaviour{};
        DirectExchange again(units.other);
        EXPECT_EQ(writeUnit(again, profile).outcome, UnitWrite::Outcome::Matches);
        EXPECT_EQ(units.other.memory(), units.demo.memory());
    }
}

// The read sends request 1 "GF", 2 to 7 "GN", 8 to 17 "GP", 18 to 22 the
// single groups, 23 to 122 "GC".
TEST(UnitOperationsTest, AReadCutShortKeepsOnlyTheGroupsReadWhole) {
    struct Case {
        std::function<void(UnitBehaviour&)> fault;
        std::string stopped;
        std::vector<Group> groupsRead;
    };
    const std::vector<Case> cases{
        {[](UnitBehaviour& b) { b.unplugAtRequest = 50; },
         "the unit left while reading phonebook[27]",
         {Group::Firmware, Group::GsmNumbers, Group::SmsTexts, Group::DigitalInputs,
          Group::AnalogAlarm, Group::Calibration, Group::RelayPulseTime, Group::CallFunction}},
        {[](UnitBehaviour& b) { b.dropNthReply = 20; },
         "the unit stopped answering while reading calibration",
         {Group::Firmware, Group::GsmNumbers, Group::SmsTexts, Group::DigitalInputs,
          Group::AnalogAlarm}},
        {[](UnitBehaviour& b) { b.dropTag = "GN"; },
         "the unit stopped answering while reading gsmNumbers[0]",
         {Group::Firmware}},
    };
    for (const Case& c : cases) {
        Units units;
        c.fault(units.demo.behaviour());
        DirectExchange exchange(units.demo);
        const UnitRead read = readUnit(exchange);
        ASSERT_TRUE(read.stopped);
        EXPECT_EQ(read.stopped->text().toStdString(), c.stopped);
        EXPECT_EQ(groupsOf(read.profile), c.groupsRead) << c.stopped;
    }
}

TEST(UnitOperationsTest, DifferencesNameThePathAndBothValuesAsTheFileWritesThem) {
    UnitProfile unit = demoProfile();
    UnitProfile file = unit;
    (*file.gsmNumbers)[1] = u"+381600000000";
    (*file.smsTexts)[0] = u"Ulaz \"1\"";
    (*file.digitalInputs)[2].detectionDelay = 11;
    file.digitalInputsAllEnabled = false;
    file.analogAlarm->max = 125000;
    (*file.calibration)[1].voltageOut = true;
    file.relayPulseTime = 25;
    (*file.phonebook)[1].note = u"Posao";
    file.firmware = u"BRV8 FW 9";
    EXPECT_EQ(compareProfiles(unit, unit), std::vector<Difference>{});
    std::vector<std::string> found;
    for (const Difference& d : compareProfiles(unit, file)) {
        found.push_back(d.text().toStdString());
    }
    EXPECT_EQ(found, (std::vector<std::string>{
                         R"(gsmNumbers[1]: unit "+381631112223", file "+381600000000")",
                         R"(smsTexts[0]: unit "Ulaz 1 aktiviran", file "Ulaz \"1\"")",
                         "digitalInputs[2].detectionDelay: unit 10, file 11",
                         "digitalInputsAllEnabled: unit true, file false",
                         "analogAlarm.max: unit 80.0000, file 12.5000",
                         "calibration[1].voltageOut: unit false, file true",
                         "relayPulseTime: unit 10, file 25",
                         R"(phonebook[1].note: unit "Dom", file "Posao")",
                     }));
    // A group the file leaves out is left as it is, so it never differs.
    file = UnitProfile{};
    file.callFunction = false;
    EXPECT_EQ(compareProfiles(unit, file).size(), 1u);
}

TEST(UnitOperationsTest, APartOfTheDigitalInputsGroupTakesTheRestFromTheUnit) {
    Units units;
    UnitProfile profile;
    profile.digitalInputsAllEnabled = true;
    DirectExchange exchange(units.other);
    EXPECT_EQ(writeUnit(exchange, profile).outcome, UnitWrite::Outcome::Matches);
    EXPECT_EQ(requests(units.other), (std::vector<std::string>{"GAD", "SAD", "GAD"}));
    EXPECT_EQ(units.other.digitalTriggers(), (UnitDigitalTriggers{{0, 0, 1}, {9, 8, 7}, 1}));
}

TEST(UnitOperationsTest, TheMemoryImageIsReadPacketByPacketPassingOverLateCopies) {
    Units units;
    units.demo.behaviour().duplicateReplies = true;
    DirectExchange exchange(units.demo);
    const MemoryRead read = readMemory(exchange);
    EXPECT_FALSE(read.stopped);
    EXPECT_EQ(read.image, units.demo.memory());
    std::vector<std::string> expected;
    series(expected, "GM", 128);
    EXPECT_EQ(requests(units.demo), expected);
}

}  // namespace

namespace {

// The differences of `unit` from `file` at these paths.
std::vector<Difference> rowsAt(const UnitProfile& unit, const UnitProfile& file,
                               const std::vector<std::string>& paths) {
    std::vector<Difference> chosen;
    for (const Difference& d : compareProfiles(unit, file)) {
        if (std::find(paths.begin(), paths.end(), d.path.toStdString()) != paths.end()) {
            chosen.push_back(d);
        }
    }
    EXPECT_EQ(chosen.size(), paths.size());
    return chosen;
}

}  // namespace

// A GSM number or a phonebook record chosen is written alone, with the
// unit's values in the fields not chosen; the alarm, one request, is written
// whole with the unit's values where nothing was chosen.
TEST(UnitOperationsTest, ChosenDifferencesAreWrittenAloneAndTheRestStaysAsTheUnitHoldsIt) {
    const UnitProfile file = demoProfile();
    Units units;
    DirectExchange exchange(units.other);
    const UnitRead read = readUnit(exchange);
    ASSERT_FALSE(read.stopped);
    const std::size_t readRequestCount = requests(units.other).size();
    const ChosenWrite change = chosenWrite(
        read.profile, file,
        rowsAt(read.profile, file,
               {"gsmNumbers[1]", "phonebook[3].note", "phonebook[12].number", "analogAlarm.max"}));

    const UnitWrite write = writeUnit(exchange, change.profile, {}, change.records);
    EXPECT_EQ(write.outcome, UnitWrite::Outcome::Matches);
    std::vector<std::string> expected{"SN1", "SAA", "SC3", "SC12"};
    series(expected, "GN", 6);
    expected.push_back("GAA");
    series(expected, "GC", 100);
    const std::vector<std::string> all = requests(units.other);
    EXPECT_EQ(std::vector<std::string>(all.begin() + std::ptrdiff_t(readRequestCount), all.end()),
              expected);
    EXPECT_EQ(units.other.gsmNumber(1), units.demo.gsmNumber(1));
    EXPECT_EQ(units.other.gsmNumber(2), "060999882");
    EXPECT_EQ(units.other.analogAlarm().upperLimit, units.demo.analogAlarm().upperLimit);
    EXPECT_EQ(units.other.analogAlarm().lowerLimit, -10);
    EXPECT_EQ(units.other.phonebookRecord(3),
              (UnitPhonebookRecord{"+38161003", units.demo.phonebookRecord(3).note, 1}));
    EXPECT_EQ(units.other.phonebookRecord(12).number, units.demo.phonebookRecord(12).number);
    EXPECT_EQ(units.other.phonebookRecord(12).note, "Ime");

    // Cut short, a write of chosen records says which of them came.
    Units again;
    again.other.behaviour().unplugAtRequest = 4;
    DirectExchange cut(again.other);
    const UnitWrite stopped = writeUnit(cut, change.profile, {}, change.records);
    EXPECT_EQ(stopped.stopped.text().toStdString(), "the unit left while writing phonebook[12]");
    EXPECT_EQ(texts(describeWrite(stopped)),
              (std::vector<std::string>{
                  "gsmNumbers: written and acknowledged, not confirmed by reading back",
                  "analogAlarm: sent, not confirmed by reading back",
                  "phonebook: phonebook[3] written; phonebook[12] sent but not acknowledged"}));
}
