#include "profile/ProfileFile.h"
#include "profile/ProfileGroups.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <optional>
#include <string>

using namespace profile;

namespace {

// Every group set; phonebook record 12 is the only non-empty one past 0.
UnitProfile fullProfile() {
    UnitProfile p;
    p.firmware = u"BRV8 FW 3.02 02.12.2016";
    p.gsmNumbers = {u"+381641234567", u"", u"", u"", u"", u"0641234567"};
    p.smsTexts = {u"Ulaz 1 deaktiviran",     u"Ulaz 1 aktiviran", u"", u"", u"", u"", u"", u"", u"",
                  u"Kvar \"\u00E9\" \\ \x01"};
    p.digitalInputs = {{{true, 5}, {true, 5}, {false, 10}}};
    p.digitalInputsAllEnabled = true;
    p.analogAlarm = AnalogAlarm{800000, -1, 30, 3, true, false};
    p.calibration = {{{10000, -125000, -32768, false}, {0, 0, 32767, true}}};
    p.relayPulseTime = 25;
    p.callFunction = true;
    p.phonebook.emplace();
    (*p.phonebook)[0] = {u"+381641234567", u"Servis", true};
    (*p.phonebook)[12] = {u"+381111222333", u"Tehn", false};
    return p;
}

std::vector<std::string> faultTexts(const std::vector<ProfileFault>& faults) {
    std::vector<std::string> texts;
    for (const ProfileFault& fault : faults) {
        texts.push_back(fault.text().toStdString());
    }
    return texts;
}

std::vector<std::string> faultTexts(const ProfileReadResult& result) {
    return faultTexts(result.faults);
}

// `node` with the value at `path` (its keys and indices) replaced, or
// removed when `value` is undefined.
QJsonValue replaced(const QJsonValue& node, QStringList path, const QJsonValue& value) {
    if (path.isEmpty()) {
        return value;
    }
    const QString step = path.takeFirst();
    bool isIndex = false;
    const int index = step.toInt(&isIndex);
    if (isIndex) {
        QJsonArray array = node.toArray();
        array[index] = replaced(array[index], path, value);
        return array;
    }
    QJsonObject object = node.toObject();
    if (path.isEmpty() && value.isUndefined()) {
        object.remove(step);
    } else {
        object[step] = replaced(object[step], path, value);
    }
    return object;
}

// The full profile's document with one value changed; `json` is the new
// value as JSON text, or empty to remove the key.
QByteArray changed(const char* path, const char* json) {
    const QJsonValue value = *json ? QJsonDocument::fromJson(QByteArray("[") + json + "]")[0]
                                   : QJsonValue(QJsonValue::Undefined);
    const QJsonValue root = QJsonDocument::fromJson(writeProfile(fullProfile())).object();
    const QStringList steps =
        QString::fromLatin1(path).split(QRegularExpression("[.\\[\\]]+"), Qt::SkipEmptyParts);
    return QJsonDocument(replaced(root, steps, value).toObject()).toJson();
}

}  // namespace

TEST(ProfileFile, WritesTheDocumentByteForByte) {
    // Commas as decimal separators must not reach the file.
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QByteArray written = writeProfile(fullProfile());
    QLocale::setDefault(previous);

    QByteArray expected = R"({
  "format": "brevalon-mini-setup-profile",
  "version": 1,
  "firmware": "BRV8 FW 3.02 02.12.2016",
  "gsmNumbers": ["+381641234567", "", "", "", "", "0641234567"],
  "smsTexts": ["Ulaz 1 deaktiviran", "Ulaz 1 aktiviran", "", "", "", "", "", "", "", "Kvar \"é\" \\ \u0001"],
  "digitalInputs": [{"trigger": true, "detectionDelay": 5}, {"trigger": true, "detectionDelay": 5}, {"trigger": false, "detectionDelay": 10}],
  "digitalInputsAllEnabled": true,
  "analogAlarm": {"max": "80.0000", "min": "-0.0001", "repeatMinutes": 30, "smsCount": 3, "on": true, "userTexts": false},
  "calibration": [{"k": "1.0000", "n": "-12.5000", "rawOffset": -32768, "voltageOut": false}, {"k": "0.0000", "n": "0.0000", "rawOffset": 32767, "voltageOut": true}],
  "relayPulseTime": 25,
  "callFunction": true,
  "phonebook": [
    {"number": "+381641234567", "note": "Servis", "active": true},
)";
    const QByteArray empty = R"(    {"number": "", "note": "", "active": false})";
    for (int row = 1; row < 100; ++row) {
        expected += row == 12
                        ? R"(    {"number": "+381111222333", "note": "Tehn", "active": false})"
                        : empty;
        expected += row < 99 ? ",\n" : "\n";
    }
    expected += "  ]\n}\n";
    EXPECT_EQ(written.toStdString(), expected.toStdString());
}

TEST(ProfileFile, ReadsBackWhatItWrote) {
    UnitProfile extremes = fullProfile();
    extremes.analogAlarm = AnalogAlarm{INT32_MAX, INT32_MIN, 65535, 255, false, true};
    extremes.relayPulseTime = 250;
    std::u16string latin1;
    for (char16_t c = 1; c <= 0xFF; ++c) {
        latin1 += c;
    }
    // Never from a unit, but kept all the same: escaped.
    extremes.firmware = latin1 + u"\u010C\U0001F600" + char16_t(0xD800);
    for (std::size_t i = 0; i < protocol::SmsSlotCount; ++i) {
        (*extremes.smsTexts)[i] = latin1.substr(i * 25, 25);
    }
    UnitProfile phonebookOnly;
    phonebookOnly.phonebook = fullProfile().phonebook;

    for (const UnitProfile& profile : {fullProfile(), extremes, phonebookOnly, UnitProfile{}}) {
        const ProfileReadResult result = readProfile(writeProfile(profile));
        EXPECT_EQ(faultTexts(result), std::vector<std::string>{});
        EXPECT_TRUE(result.profile == profile);
    }
}

TEST(ProfileFile, GroupsLeftOutStayUnset) {
    const ProfileReadResult result = readProfile(R"({
        "version": 1, "callFunction": false, "format": "brevalon-mini-setup-profile"})");
    ASSERT_TRUE(result.profile);
    UnitProfile expected;
    expected.callFunction = false;
    EXPECT_TRUE(*result.profile == expected);
}

// Decimals are read exactly as the file writes them: a value that rounds or
// that a person typed some other way is refused, not read as something else.
TEST(ProfileFile, ReadsDecimalsExactlyAsItWritesThem) {
    struct Case {
        const char* path;
        const char* json;
        std::optional<std::int64_t> value;  // none: refused
    };
    const Case cases[] = {
        {"analogAlarm.max", R"("12.5")", 125000},
        {"analogAlarm.max", R"("12.5000")", 125000},
        {"analogAlarm.max", R"("0.0001")", 1},
        {"analogAlarm.max", R"("-0")", 0},
        {"analogAlarm.max", R"("214748.3647")", INT32_MAX},
        {"analogAlarm.max", R"("80.12345")", std::nullopt},
        {"analogAlarm.max", R"("8e1")", std::nullopt},
        {"analogAlarm.max", R"(" 80 ")", std::nullopt},
        {"analogAlarm.max", R"("+80")", std::nullopt},
        {"analogAlarm.max", R"("80.")", std::nullopt},
        {"analogAlarm.max", R"(".5")", std::nullopt},
        {"analogAlarm.max", R"("--5")", std::nullopt},
        {"relayPulseTime", "1", 1},
        {"relayPulseTime", "2.0", 2},
        {"relayPulseTime", "3e0", 3},
    };
    for (const Case& c : cases) {
        const ProfileReadResult result = readProfile(changed(c.path, c.json));
        if (!c.value) {
            EXPECT_EQ(faultTexts(result),
                      std::vector<std::string>{std::string(c.path) + ": " + c.json +
                                               " is not a decimal number"});
            continue;
        }
        ASSERT_TRUE(result.profile) << c.json << ": " << faultTexts(result).front();
        const std::int64_t read = QByteArray(c.path).startsWith("analogAlarm")
                                      ? result.profile->analogAlarm->max
                                      : *result.profile->relayPulseTime;
        EXPECT_EQ(read, *c.value) << c.json;
    }
}

TEST(ProfileFile, RefusesEachBrokenRule) {
    struct Case {
        const char* path;
        const char* json;  // empty: the key removed
        const char* fault;
    };
    const Case cases[] = {
        // The file's kind.
        {"format", R"("other")", R"(format: must be "brevalon-mini-setup-profile", not "other")"},
        {"format", "", "format: missing"},
        {"version", "2", "version: 2 is newer than version 1, the one this program reads"},
        {"version", "0", "version: 0 is not a version; this program reads version 1"},
        {"version", R"("1")", "version: must be a whole number, not a string"},
        // Keys.
        {"phonbook", "[]", "phonbook: unknown key"},
        {"analogAlarm.of", "1", "analogAlarm.of: unknown key"},
        {"phonebook[3].color", "1", "phonebook[3].color: unknown key"},
        {"analogAlarm.userTexts", "", "analogAlarm.userTexts: missing"},
        // Types and lengths.
        {"gsmNumbers[1]", "5", "gsmNumbers[1]: must be a string, not a number"},
        {"firmware", "null", "firmware: must be a string, not null"},
        {"callFunction", "1", "callFunction: must be true or false, not a number"},
        {"digitalInputs[0]", "[]", "digitalInputs[0]: must be an object, not an array"},
        {"smsTexts", "{}", "smsTexts: must be an array, not an object"},
        {"calibration", "[{}]", "calibration: must hold 2 entries, not 1"},
        {"calibration[1].k", "1",
         R"(calibration[1].k: must be a string such as "12.5", not a number)"},
        {"relayPulseTime", R"("25")", "relayPulseTime: must be a whole number, not a string"},
        // Numbers.
        {"analogAlarm.max", R"("214748.3648")",
         "analogAlarm.max: 214748.3648 is outside -214748.3648 to 214748.3647"},
        {"analogAlarm.min", R"("12,5")", R"(analogAlarm.min: "12,5" is not a decimal number)"},
        {"relayPulseTime", "2.5", "relayPulseTime: must be a whole number, not 2.5"},
        {"relayPulseTime", "256", "relayPulseTime: 256 is outside 0 to 255"},
        {"digitalInputs[2].detectionDelay", "256",
         "digitalInputs[2].detectionDelay: 256 is outside 0 to 255"},
        {"analogAlarm.repeatMinutes", "65536",
         "analogAlarm.repeatMinutes: 65536 is outside 0 to 65535"},
        {"analogAlarm.smsCount", "-1", "analogAlarm.smsCount: -1 is outside 0 to 255"},
        {"calibration[0].rawOffset", "-32769",
         "calibration[0].rawOffset: -32769 is outside -32768 to 32767"},
        // Texts.
        {"phonebook[12].note", "\"\u0161\"",
         "phonebook[12].note: \"\u0161\" cannot be sent to the unit"},
        {"smsTexts[0]", R"("a\u0000b")", "smsTexts[0]: U+0000 cannot be sent to the unit"},
    };
    for (const Case& c : cases) {
        const ProfileReadResult result = readProfile(changed(c.path, c.json));
        EXPECT_FALSE(result.profile) << c.fault;
        EXPECT_EQ(faultTexts(result), std::vector<std::string>{c.fault});
    }
}

TEST(ProfileFile, ListsEveryFault) {
    const ProfileReadResult result = readProfile(R"({
        "format": "brevalon-mini-setup-profile", "version": 1,
        "gsmNumbers": ["", "", true, "", "", "\u010c\u010c\u010c\u010c\u010c\u010c\u010c\u010c\u010c\u010c\u010c\u010c\u010c\u010c\u010c\u010c"],
        "analogAlarm": {"max": "1", "min": 2, "repeatMinutes": 1, "smsCount": 1, "on": true},
        "relayPulseTime": 251.5, "phonebok": []})");
    EXPECT_FALSE(result.profile);
    const std::vector<std::string> expected{
        "gsmNumbers[2]: must be a string, not true",
        "gsmNumbers[5]: \"\u010C\" cannot be sent to the unit",
        R"(analogAlarm.min: must be a string such as "12.5", not a number)",
        "analogAlarm.userTexts: missing",
        "relayPulseTime: must be a whole number, not 251.5",
        "phonebok: unknown key",
    };
    EXPECT_EQ(faultTexts(result), expected);
}

TEST(ProfileFile, AnotherVersionIsRefusedOnThatAlone) {
    // Keys that a later version may add are not listed as unknown.
    const ProfileReadResult result =
        readProfile(R"({"format": "brevalon-mini-setup-profile", "version": 2, "schedule": [1]})");
    EXPECT_EQ(faultTexts(result), std::vector<std::string>{"version: 2 is newer than version 1, "
                                                           "the one this program reads"});
}

TEST(ProfileFile, NamesWhereMalformedJsonBreaks) {
    const QByteArray whole = writeProfile(fullProfile());
    struct Case {
        QByteArray document;
        const char* fault;
    };
    const Case cases[] = {
        {"{", "malformed JSON at line 1, column 2: unterminated object"},
        {whole.left(whole.indexOf("\"digitalInputs\"")),
         "malformed JSON at line 7, column 3: unterminated object"},
        {whole.left(whole.size() - 3), "malformed JSON at line 114, column 4: unterminated object"},
        // Columns count characters: "é" is two bytes.
        {"{\n  \"a\": 1, \"\u00E9\": }",
         "malformed JSON at line 2, column 17: object is missing after a comma"},
        {"[]", "the file must hold a JSON object, not an array"},
        // Keys are compared as decoded; the same key in two objects is fine.
        {"{\"version\": 1,\n \"versio\\u006E\": 2}",
         "the key \"version\" is given twice in one object, again at line 2, column 2"},
        {whole.left(whole.size() - 2) + ",\n  \"relayPulseTime\": 40}",
         "the key \"relayPulseTime\" is given twice in one object, again at line 116, column 3"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(faultTexts(readProfile(c.document)), std::vector<std::string>{c.fault});
    }
}

// A 10 MB file is refused unparsed: a complete profile is under 20 KB, so
// anything near that size was picked by mistake, and parsing it would cost
// time and memory for nothing.
TEST(ProfileFile, RefusesAFileLargerThanAProfileCanBe) {
    QByteArray padded = writeProfile(fullProfile());
    padded.append(MaxProfileFileSize - padded.size(), ' ');
    EXPECT_TRUE(readProfile(padded).profile);

    const QByteArray huge = padded + QByteArray(10 * 1024 * 1024 - padded.size(), ' ');
    EXPECT_EQ(faultTexts(readProfile(huge)),
              std::vector<std::string>{
                  "the file is 10485760 bytes long, more than a profile can be (1048576 bytes)"});
}

// What a unit may hold but would not take back is read and compared like any
// other value, and only refused for writing.
TEST(ProfileFile, WhatOnlyAWriteRefusesIsReadAndNamedByTheCheck) {
    struct Case {
        const char* path;
        const char* json;
        const char* fault;  // empty: written as it is
    };
    const Case cases[] = {
        {"gsmNumbers[0]", R"("+38164123456789")", ""},
        {"gsmNumbers[0]", R"("+381641234567890")",
         "gsmNumbers[0]: 16 characters, more than the 15 the unit takes"},
        {"gsmNumbers[1]", R"("abc 12x")",
         R"(gsmNumbers[1]: "abc 12x" is not a telephone number: only digits, with one "+" in front)"},
        {"gsmNumbers[1]", R"("++381")",
         R"(gsmNumbers[1]: "++381" is not a telephone number: only digits, with one "+" in front)"},
        {"gsmNumbers[1]", R"("38+1")",
         R"(gsmNumbers[1]: "38+1" is not a telephone number: only digits, with one "+" in front)"},
        {"gsmNumbers[1]", R"("+")",
         R"(gsmNumbers[1]: "+" is not a telephone number: only digits, with one "+" in front)"},
        {"gsmNumbers[1]", R"("")", ""},
        {"smsTexts[9]", R"("012345678901234567890123456789")", ""},
        {"smsTexts[9]", R"("0123456789012345678901234567890")",
         "smsTexts[9]: 31 characters, more than the 30 the unit takes"},
        {"phonebook[99].number", R"("064 123")",
         R"(phonebook[99].number: "064 123" is not a telephone number: only digits, with one "+" in front)"},
        {"phonebook[0].note", R"("Servis")", ""},
        {"phonebook[0].note", R"("Servis1")",
         "phonebook[0].note: 7 characters, more than the 6 the unit takes"},
        {"relayPulseTime", "0", "relayPulseTime: 0 is outside 1 to 250"},
        {"relayPulseTime", "1", ""},
        {"relayPulseTime", "250", ""},
        {"relayPulseTime", "251", "relayPulseTime: 251 is outside 1 to 250"},
        {"analogAlarm.min", R"("80.0000")",
         "analogAlarm: the maximum 80.0000 is not above the minimum 80.0000"},
        {"analogAlarm.min", R"("79.9999")", ""},
        {"analogAlarm.min", R"("80.0001")",
         "analogAlarm: the maximum 80.0000 is not above the minimum 80.0001"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path) + " " + c.json);
        const ProfileReadResult result = readProfile(changed(c.path, c.json));
        ASSERT_TRUE(result.profile) << faultTexts(result).front();
        const std::vector<std::string> expected =
            *c.fault ? std::vector<std::string>{c.fault} : std::vector<std::string>{};
        EXPECT_EQ(faultTexts(checkProfile(*result.profile)), expected);
    }

    // Read from a unit, such a text is kept as read.
    UnitProfile read;
    read.gsmNumbers = {u"+381641234567890", u"", u"", u"", u"", u""};
    EXPECT_NE(writeProfile(read).indexOf("\"+381641234567890\""), -1);
    EXPECT_TRUE(checkProfile(fullProfile()).empty());
}

TEST(ProfileFile, AProfileWithoutSettingsIsNamedAndAnEmptyFileToo) {
    UnitProfile firmwareOnly;
    firmwareOnly.firmware = u"BRV8";
    EXPECT_FALSE(holdsSettings(firmwareOnly));
    EXPECT_FALSE(holdsSettings(UnitProfile{}));
    UnitProfile relayOnly;
    relayOnly.relayPulseTime = 10;
    EXPECT_TRUE(holdsSettings(relayOnly));
    EXPECT_EQ(noSettingsFault().text().toStdString(), "the profile holds no settings");
    for (const QByteArray& empty : {QByteArray(), QByteArray(" \n\t\r\n")}) {
        EXPECT_EQ(faultTexts(readProfile(empty)), std::vector<std::string>{"the file is empty"});
    }
}

TEST(ProfileFile, SavesAllOrNothingAndLoads) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("unit.json"));
    ASSERT_FALSE(saveProfile(path, fullProfile()));
    const ProfileReadResult loaded = loadProfile(path);
    ASSERT_TRUE(loaded.profile);
    EXPECT_TRUE(*loaded.profile == fullProfile());

    const QString missingFolder = dir.filePath(QStringLiteral("none/unit.json"));
    const std::optional<ProfileFault> fault = saveProfile(missingFolder, fullProfile());
    ASSERT_TRUE(fault);
    EXPECT_TRUE(fault->text().startsWith("cannot create file \"")) << fault->text().toStdString();
    EXPECT_FALSE(QFile::exists(missingFolder));
    EXPECT_FALSE(loadProfile(missingFolder).profile);

    QFile big(path);
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write(QByteArray(10 * 1024 * 1024, ' '));
    big.close();
    EXPECT_EQ(faultTexts(loadProfile(path)),
              std::vector<std::string>{
                  "the file is 10485760 bytes long, more than a profile can be (1048576 bytes)"});
}
// A value's path in its parts; anything else is a key of its own.
TEST(ProfileFile, SplitsAPathIntoItsParts) {
    const struct {
        const char* path;
        const char* key;
        std::optional<std::size_t> index;
        const char* field;
    } cases[] = {
        {"phonebook[12].note", "phonebook", 12, "note"},
        {"gsmNumbers[5]", "gsmNumbers", 5, ""},
        {"analogAlarm.max", "analogAlarm", std::nullopt, "max"},
        {"calibration[1].k.x", "calibration", 1, "k.x"},
        {"phonebook[999]", "phonebook", 999, ""},
        {"phonebook[1000]", "phonebook[1000]", std::nullopt, ""},
        {"phonebook[]", "phonebook[]", std::nullopt, ""},
        {"phonebook[1", "phonebook[1", std::nullopt, ""},
        {"analogAlarm.", "analogAlarm.", std::nullopt, ""},
        {"[1]", "[1]", std::nullopt, ""},
        {"gsm2", "gsm2", std::nullopt, ""},
    };
    for (const auto& c : cases) {
        const profile::PathParts parts = profile::splitPath(QString::fromLatin1(c.path));
        EXPECT_EQ(parts.key, QLatin1StringView(c.key)) << c.path;
        EXPECT_EQ(parts.index, c.index) << c.path;
        EXPECT_EQ(parts.field, QLatin1StringView(c.field)) << c.path;
    }
}
