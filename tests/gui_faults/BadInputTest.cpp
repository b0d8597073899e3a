// Bad input in every edit whose text is sent to the unit: each input is
// either sent as the window's rules say (exact bytes) or refused with its
// message, with nothing written then.

#include <QCheckBox>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>
#include <QTest>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "QtPrinters.h"
#include "ServiceFixture.h"

namespace {

// Telephone: a text that must be a telephone number.
enum class Kind { Text, Telephone, Integer, RelayTicks, RecordNumber, FixedPoint };

struct EditCase {
    const char* window;
    const char* edit;
    const char* button;
    const char* head;  // the requests looked at
    Kind kind;
    std::int64_t min = 0;  // integers: the field's limits
    std::int64_t max = 0;
    int width = 0;  // bytes of the value's field; an edit takes as many characters
    // The requests expected, "%" where the value's bytes go.
    std::vector<std::string> requests;
    bool skipEmpty = false;  // an empty text sends no record
    // Written with five other texts that the test leaves empty: all six
    // empty, the window asks first.
    bool inGroup = false;
    // How a refusal names the field.
    const char* field = "";
};

const std::string Long(300, '7');
// UTF-8 in the source: the euro sign (above U+00FF) and a character outside
// the basic plane (a surrogate pair in UTF-16).
const QString Inputs[] = {
    "",
    "   ",
    "12a",
    "+5",
    "-0",
    "1e3",
    "1e400",
    "123456789012345678901234567890",
    "2,5",
    "1 000",
    QStringLiteral("5\a"),
    QString::fromUtf8("5\u20AC"),
    QString::fromUtf8("5\U0001F600"),
    QString::fromStdString(Long),
    " 7 ",
};

// What each input reads as: a number, or not one (Invalid), or one outside
// the field (OutOfRange).
enum class Read { Invalid, OutOfRange, Value };
struct Number {
    Read read = Read::Invalid;
    std::int64_t value = 0;
};
// As an integer of a field with limits that hold 0, 5 and 7.
const Number AsInteger[] = {
    {Read::Invalid}, {Read::Invalid}, {Read::Invalid},    {Read::Value, 5},   {Read::Value, 0},
    {Read::Invalid}, {Read::Invalid}, {Read::OutOfRange}, {Read::Invalid},    {Read::Invalid},
    {Read::Invalid}, {Read::Invalid}, {Read::Invalid},    {Read::OutOfRange}, {Read::Value, 7},
};
// As a fixed-point value, times 10000.
const Number AsFixedPoint[] = {
    {Read::Invalid},  {Read::Invalid},         {Read::Invalid},      {Read::Value, 50000},
    {Read::Value, 0}, {Read::Value, 10000000}, {Read::OutOfRange},   {Read::OutOfRange},
    {Read::Invalid},  {Read::Invalid},         {Read::Invalid},      {Read::Invalid},
    {Read::Invalid},  {Read::OutOfRange},      {Read::Value, 70000},
};

std::vector<std::string> gsmRequests(int index) {
    std::vector<std::string> requests;
    for (int k = 0; k < 6; ++k) {
        requests.push_back("00 53 4E 0" + std::to_string(k) + (k == index ? " %" : ""));
    }
    return requests;
}
std::vector<std::string> smsGroupRequests(int slot) {
    std::vector<std::string> requests;
    for (int k = 0; k < 6; ++k) {
        requests.push_back("00 53 50 0" + std::to_string(k) + (k == slot ? " %" : ""));
    }
    return requests;
}

const char* const Gsm = "TfrmGSMNumbers";
const char* const GsmEdits[] = {"edGSMN1", "edGSMN2", "edGSMN3", "edGSMN4", "edGSMN5", "edGSMN6"};
const char* const Alarmi = "TfrmAlarmi";
const char* const AD = "TfrmADSettings";
const char* const Pb = "TfrmCallPhonebook";
const char* const Relay = "TfrmIzlazi";

// The analog alarm record with maximum 2 and minimum 1, the calibration with
// every coefficient 0; % the edit's field.
const std::string AlarmMax = "00 53 41 41 % 00 00 27 10 00 00 00 00 00";
const std::string AlarmMin = "00 53 41 41 00 00 4E 20 % 00 00 00 00 00";
const std::string AlarmRepeat = "00 53 41 41 00 00 4E 20 00 00 27 10 % 00 00 00";
const std::string AlarmCount = "00 53 41 41 00 00 4E 20 00 00 27 10 00 00 % 00 00";
const std::string Zeros4 = "00 00 00 00";

std::vector<EditCase> allEdits() {
    std::vector<EditCase> all;
    for (int k = 0; k < 6; ++k) {
        static const std::string names[] = {"GSM broj 1", "GSM broj 2", "GSM broj 3",
                                            "GSM broj 4", "GSM broj 5", "GSM broj 6"};
        all.push_back({Gsm, GsmEdits[k], "btGSMNWrite", "00 53 4E", Kind::Telephone, 0, 0, 15,
                       gsmRequests(k), false, true, names[k].c_str()});
    }
    const char* const group[] = {"edSMSDIN1_UP", "edSMSDIN2_UP", "edSMSDIN3_UP",
                                 "edSMSDIN1_DN", "edSMSDIN2_DN", "edSMSDIN3_DN"};
    for (int slot = 0; slot < 6; ++slot) {
        all.push_back({Alarmi, group[slot], "SetSMSs", "00 53 50", Kind::Text, 0, 0, 30,
                       smsGroupRequests(slot), false, true});
    }
    all.push_back({AD,
                   "edSMSAnalog1",
                   "sBitBtn2",
                   "00 53 50",
                   Kind::Text,
                   0,
                   0,
                   30,
                   {"00 53 50 06 %"},
                   true});
    all.push_back({Alarmi,
                   "edSMSAlarmMax",
                   "btSMSUpisi",
                   "00 53 50",
                   Kind::Text,
                   0,
                   0,
                   30,
                   {"00 53 50 07 %"},
                   true});
    all.push_back({Alarmi,
                   "edSMSAlarmMin",
                   "btSMSUpisi",
                   "00 53 50",
                   Kind::Text,
                   0,
                   0,
                   30,
                   {"00 53 50 08 %"},
                   true});
    all.push_back({Alarmi,
                   "edSMSAlarmNormalizacija",
                   "btSMSUpisi",
                   "00 53 50",
                   Kind::Text,
                   0,
                   0,
                   30,
                   {"00 53 50 09 %"},
                   true});
    // Record 3, inactive.
    all.push_back({Pb,
                   "edGSMCallNumber",
                   "btnSetOnePhonebookRecord",
                   "00 53 43",
                   Kind::Telephone,
                   0,
                   0,
                   15,
                   {"00 53 43 00 02 % 00 00 00 00 00 00 00 00 00"},
                   false,
                   false,
                   "Imenik, zapis 3: broj telefona"});
    all.push_back({Pb,
                   "edCallNapomena",
                   "btnSetOnePhonebookRecord",
                   "00 53 43",
                   Kind::Text,
                   0,
                   0,
                   6,
                   {"00 53 43 00 02 30 36 34 00 00 00 00 00 00 00 00 00 00 00 00 00 % 00 00"}});
    all.push_back({Pb,
                   "edCallNmbrField",
                   "btnSetOnePhonebookRecord",
                   "00 53 43",
                   Kind::RecordNumber,
                   1,
                   100,
                   2,
                   {"00 53 43 % 30 36 34"}});
    const char* const delays[] = {"edDebounceDelayDIN1", "edDebounceDelayDIN2",
                                  "edDebounceDelayDIN3"};
    for (int k = 0; k < 3; ++k) {
        std::string request = "00 53 41 44 00 00 00";
        for (int j = 0; j < 3; ++j) {
            request += j == k ? " %" : " 00";
        }
        all.push_back({Alarmi,
                       delays[k],
                       "btnSetDINTrigers",
                       "00 53 41 44",
                       Kind::Integer,
                       0,
                       255,
                       1,
                       {request + " 00"}});
    }
    all.push_back({Alarmi,
                   "edANVremePonavljanja",
                   "btSetAnalogAlarmSettings",
                   "00 53 41 41",
                   Kind::Integer,
                   0,
                   65535,
                   2,
                   {AlarmRepeat}});
    all.push_back({Alarmi,
                   "edMaxSMSForSendind",
                   "btSetAnalogAlarmSettings",
                   "00 53 41 41",
                   Kind::Integer,
                   0,
                   255,
                   1,
                   {AlarmCount}});
    all.push_back({Alarmi,
                   "edANAlarmMaxVal",
                   "btSetAnalogAlarmSettings",
                   "00 53 41 41",
                   Kind::FixedPoint,
                   0,
                   0,
                   4,
                   {AlarmMax}});
    all.push_back({Alarmi,
                   "edANAlarmMinVal",
                   "btSetAnalogAlarmSettings",
                   "00 53 41 41",
                   Kind::FixedPoint,
                   0,
                   0,
                   4,
                   {AlarmMin}});
    const char* const coefficients[] = {"edKoefKCh1", "edKoefNCh1", "edKoefKCh2", "edKoefNCh2"};
    for (int k = 0; k < 4; ++k) {
        std::string request = "00 53 4B 41";
        for (int j = 0; j < 4; ++j) {
            request += j == k ? " %" : " " + Zeros4;
        }
        all.push_back({AD,
                       coefficients[k],
                       "btSetKoef",
                       "00 53 4B",
                       Kind::FixedPoint,
                       0,
                       0,
                       4,
                       {request + " 00 00 00 00 00 00"}});
    }
    all.push_back({AD,
                   "edADRawOffsetCh1",
                   "btSetKoef",
                   "00 53 4B",
                   Kind::Integer,
                   -32768,
                   32767,
                   2,
                   {"00 53 4B 41 " + Zeros4 + " " + Zeros4 + " " + Zeros4 + " " + Zeros4 +
                    " % 00 00 00 00"}});
    all.push_back({AD,
                   "edADRawOffsetCh2",
                   "btSetKoef",
                   "00 53 4B",
                   Kind::Integer,
                   -32768,
                   32767,
                   2,
                   {"00 53 4B 41 " + Zeros4 + " " + Zeros4 + " " + Zeros4 + " " + Zeros4 +
                    " 00 00 % 00 00"}});
    all.push_back({Relay,
                   "edRelayDelay",
                   "btSetRelayDelay",
                   "00 53 4F",
                   Kind::RelayTicks,
                   1,
                   250,
                   1,
                   {"00 53 4F 50 %"}});
    return all;
}

// `value` big-endian in `width` bytes, two's complement.
std::string bigEndian(std::int64_t value, int width) {
    std::vector<std::uint8_t> bytes;
    for (int k = width - 1; k >= 0; --k) {
        bytes.push_back(std::uint8_t(std::uint64_t(value) >> (8 * k)));
    }
    return hexOf(bytes);
}

// The first `width` characters (all below U+0100), one byte each; with
// `pad`, zeros up to `width`.
std::string textBytes(const QString& text, int width, bool pad) {
    std::vector<std::uint8_t> bytes;
    for (int k = 0; k < width && (pad || k < text.size()); ++k) {
        bytes.push_back(k < text.size() ? std::uint8_t(text[k].unicode()) : std::uint8_t(0));
    }
    return hexOf(bytes);
}

std::string fill(const std::string& request, const std::string& value) {
    std::string line = request;
    const auto at = line.find('%');
    if (at != std::string::npos) {
        line.replace(at, 1, value);
    }
    while (!line.empty() && line.back() == ' ') {
        line.pop_back();
    }
    return line;
}

void PrintTo(const EditCase& c, std::ostream* out) {
    *out << c.edit;
}

class BadInputTest : public ServiceFixture, public ::testing::WithParamInterface<EditCase> {
protected:
    void SetUp() override {
        previousLocale = QLocale();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        startWithUnit();
        control<QCheckBox>("cbGetStatusAuto")->setChecked(false);
        open(windowOf(GetParam().window));
        // The phonebook's controls work only while the unit's call function is on.
        unit().setCallFunction(1);
        QTest::mouseClick(control<QWidget>("btGetStatus"), Qt::LeftButton);
        ASSERT_TRUE(pumpUntil(
            [this] { return control<QWidget>(windowOf(Pb), "panCallNumbers")->isEnabled(); }));
        settle();
    }
    void TearDown() override { QLocale::setDefault(previousLocale); }

    QLineEdit* edit(const char* window, const char* name) const {
        return control<QLineEdit>(windowOf(window), name);
    }
    // Every other edit the button reads holds a valid value.
    void resetWindow() {
        for (int k = 1; k <= 6; ++k) {
            edit(Gsm, ("edGSMN" + std::to_string(k)).c_str())->clear();
        }
        for (const char* name :
             {"edSMSDIN1_UP", "edSMSDIN2_UP", "edSMSDIN3_UP", "edSMSDIN1_DN", "edSMSDIN2_DN",
              "edSMSDIN3_DN", "edSMSAlarmMax", "edSMSAlarmMin", "edSMSAlarmNormalizacija"}) {
            edit(Alarmi, name)->clear();
        }
        edit(AD, "edSMSAnalog1")->clear();
        edit(Pb, "edCallNmbrField")->setText("3");
        edit(Pb, "edGSMCallNumber")->setText("064");
        edit(Pb, "edCallNapomena")->clear();
        control<QCheckBox>(windowOf(Pb), "cbCallNmbrAktivan")->setChecked(false);
        for (const char* name :
             {"edDebounceDelayDIN1", "edDebounceDelayDIN2", "edDebounceDelayDIN3",
              "edANVremePonavljanja", "edMaxSMSForSendind"}) {
            edit(Alarmi, name)->setText("0");
        }
        for (const char* name : {"cbDINTr1", "cbDINTr2", "cbDINTr3", "cbDinsAllEnabled",
                                 "cbAN1AlarmOn", "cbCustomANAlarmSMSs"}) {
            control<QCheckBox>(windowOf(Alarmi), name)->setChecked(false);
        }
        edit(Alarmi, "edANAlarmMaxVal")->setText("2");
        edit(Alarmi, "edANAlarmMinVal")->setText("1");
        for (const char* name : {"edKoefKCh1", "edKoefNCh1", "edKoefKCh2", "edKoefNCh2",
                                 "edADRawOffsetCh1", "edADRawOffsetCh2"}) {
            edit(AD, name)->setText("0");
        }
        for (const char* name : {"cbUseVoltageOUTCH1", "cbUseVoltageOUTCH2"}) {
            control<QCheckBox>(windowOf(AD), name)->setChecked(false);
        }
    }

    // What `input` must lead to: the requests, or the one message.
    std::pair<std::vector<std::string>, QString> expected(const QString& text, Number integer,
                                                          Number fixed) const {
        const EditCase& c = GetParam();
        auto sent = [&](const std::string& value) {
            std::vector<std::string> lines;
            for (const std::string& request : c.requests) {
                lines.push_back(reportHex(fill(request, value)));
            }
            return std::pair{lines, QString()};
        };
        auto refused = [](const QString& message) {
            return std::pair{std::vector<std::string>{}, message};
        };
        const QString range = QStringLiteral("Vrednost mora biti u granicama od %1 do %2!");
        switch (c.kind) {
            case Kind::Text:
            case Kind::Telephone: {
                // What the edit holds: no more than the unit keeps.
                const QString held = text.left(c.width);
                for (const char32_t ch : held.toUcs4()) {
                    if (ch > 0xFF) {
                        return refused("Tekst sadrzi znak koji uredjaj ne podrzava: " +
                                       QString::fromUcs4(&ch, 1));
                    }
                }
                if (held.isEmpty() && c.skipEmpty) {
                    return refused(QString());
                }
                if (held.isEmpty() && c.inGroup) {
                    return refused(
                        QStringLiteral("Polja su prazna: upisivanjem će podešavanja u "
                                       "uređaju biti obrisana. Nastaviti?"));
                }
                static const QRegularExpression telephone(QStringLiteral("^(\\+?[0-9]+)?$"));
                if (c.kind == Kind::Telephone && !telephone.match(held).hasMatch()) {
                    return refused(QStringLiteral("%1: \"%2\" nije broj telefona. Dozvoljene su "
                                                  "samo cifre, sa jednim \"+\" na početku.")
                                       .arg(QLatin1StringView(c.field), held));
                }
                const bool midRecord = c.requests.front().find('%') + 1 < c.requests.front().size();
                return sent(textBytes(held, c.width, midRecord));
            }
            case Kind::FixedPoint: {
                const Number n = fixed;
                if (n.read == Read::Invalid) {
                    return refused("'" + text + "' is not a valid floating point value");
                }
                if (n.read == Read::OutOfRange) {
                    return refused(range.arg("-214748.3648", "214748.3647"));
                }
                // The alarm's maximum must stay above its minimum (1).
                if (std::string(c.edit) == "edANAlarmMaxVal" && n.value <= 10000) {
                    return refused("Maximalna vrednost mora biti VECA od Minimalne!");
                }
                if (std::string(c.edit) == "edANAlarmMinVal" && n.value >= 20000) {
                    return refused("Maximalna vrednost mora biti VECA od Minimalne!");
                }
                return sent(bigEndian(n.value, c.width));
            }
            case Kind::RecordNumber:
                if (text.isEmpty()) {
                    return refused("Izaberite zapis u tabeli!");
                }
                [[fallthrough]];
            case Kind::Integer: {
                const Number n = integer;
                if (n.read == Read::Invalid) {
                    return refused("'" + text + "' is not a valid integer value");
                }
                if (n.read == Read::OutOfRange || n.value < c.min || n.value > c.max) {
                    return refused(range.arg(c.min).arg(c.max));
                }
                return sent(bigEndian(n.value - (c.kind == Kind::RecordNumber ? 1 : 0), c.width));
            }
            case Kind::RelayTicks: {
                // Read as any 32-bit integer first, then held to its limits.
                const Number n = integer;
                if (n.read != Read::Value) {
                    return refused("'" + text + "' is not a valid integer value");
                }
                if (n.value < c.min || n.value > c.max) {
                    return refused("Period mora biti u granicama od 1 do 250!");
                }
                return sent(bigEndian(n.value, c.width));
            }
        }
        return {};
    }

    // Types `text` into the edit, presses the button and compares what went
    // out and what was shown with what `text` reads as.
    void check(const QString& text, Number integer, Number fixed) {
        SCOPED_TRACE(text.toStdString());
        const EditCase& c = GetParam();
        resetWindow();
        edit(c.window, c.edit)->setText(text);
        platform.clearTranscript();
        dialogs->clear();
        QTest::mouseClick(control<QWidget>(windowOf(c.window), c.button), Qt::LeftButton);
        settle();
        const auto [requests, message] = expected(text, integer, fixed);
        EXPECT_EQ(sentWith(c.head), requests);
        EXPECT_EQ(dialogs->texts(), message.isEmpty() ? QStringList() : QStringList{message});
    }

    QLocale previousLocale;
};

TEST_P(BadInputTest, EachInputIsSentAsTypedOrRefused) {
    for (int input = 0; input < int(std::size(Inputs)); ++input) {
        check(Inputs[input], AsInteger[input], AsFixedPoint[input]);
    }
    if (GetParam().kind != Kind::FixedPoint) {
        return;
    }
    // Where the decimal separator is a comma, the full stop is the other one.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    check("2,5", {}, {Read::Value, 25000});
    check("-0,0001", {}, {Read::Value, -1});
    check("2.5", {}, {Read::Invalid});
    check("1.000", {}, {Read::Invalid});
}

INSTANTIATE_TEST_SUITE_P(EveryEditSentToTheUnit, BadInputTest, ::testing::ValuesIn(allEdits()),
                         [](const ::testing::TestParamInfo<EditCase>& info) {
                             return std::string(info.param.edit);
                         });

}  // namespace
