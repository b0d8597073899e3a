// The call phonebook window: the chained read, the decoding of each record,
// selecting and writing one record with its acknowledgement and read-back,
// and the call function.

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <cstdio>

#include "ServiceFixture.h"
#include "widgets/TGauge.h"
#include "widgets/TGrid.h"

namespace {

const QString NoAnswer = QStringLiteral("Nema odgovora iz uredjaja!");

class PhonebookTest : public ServiceFixture {
protected:
    // The tool started with a unit whose call function is on, and the
    // phonebook window open.
    void SetUp() override {
        AddUnit("SERVICE-1").unit().setCallFunction(1);
        Start();
        WaitForUnit();
        window = Window("TfrmCallPhonebook");
        Open(window);
        grid = Control<TGrid>(window, "Grid1");
    }

    QStringList Row(int row) const {
        return {grid->cell(0, row), grid->cell(1, row), grid->cell(2, row)};
    }
    void Click(const char* button) {
        QTest::mouseClick(Control<QPushButton>(window, button), Qt::LeftButton);
    }
    QLineEdit* Edit(const char* name) const { return Control<QLineEdit>(window, name); }
    QCheckBox* Active() const { return Control<QCheckBox>(window, "cbCallNmbrAktivan"); }
    // Puts a record into row `row` as a reply for it would.
    void FillRow(int row, const std::string& number, const std::string& note, std::uint8_t active) {
        auto reply = reportWith({{0, "00 47 43"}, {5, '"' + number + '"'}, {21, '"' + note + '"'}});
        reply[4] = std::uint8_t(row);
        reply[28] = active;
        Inject(reply);
        Settle();
    }
    void Type(const char* edit, const QString& text) {
        // As typed; QTest cannot type characters outside ASCII.
        Edit(edit)->clear();
        Edit(edit)->insert(text);
    }

    QWidget* window = nullptr;
    TGrid* grid = nullptr;
};

TEST_F(PhonebookTest, ReadsTheHundredRecordsOneAfterEachReply) {
    for (int r = 0; r < 100; ++r) {
        char number[16];
        std::snprintf(number, sizeof number, "0641000%03d", r);
        Unit().setPhonebookRecord(r, {number, r == 0 ? "Mama" : "", std::uint8_t(r % 2)});
    }
    Unit().setPhonebookRecord(99, {"0123456789ABCDEF", "Tata12", 1});
    auto* gauge = Control<TGauge>(window, "sGauge1");

    Click("btnPhonebookRead");
    EXPECT_TRUE(gauge->isVisible());
    ASSERT_TRUE(PumpUntil([&] { return gauge->isHidden(); }));
    Settle();

    std::vector<std::string> expected;
    for (int r = 0; r < 100; ++r) {
        char head[32];
        std::snprintf(head, sizeof head, "00 47 43 00 %02X", r);
        expected.push_back(reportHex(head));
    }
    EXPECT_EQ(SentWith("00 47 43"), expected);
    EXPECT_EQ(Row(0), QStringList({"0641000000", "Mama", "NEAKTIVAN"}));
    EXPECT_EQ(Row(1), QStringList({"0641000001", "", "AKTIVAN"}));
    EXPECT_EQ(Row(42), QStringList({"0641000042", "", "NEAKTIVAN"}));
    EXPECT_EQ(Row(99), QStringList({"0123456789ABCDEF", "Tata12", "AKTIVAN"}));
    for (int r = 2; r < 99; ++r) {
        EXPECT_EQ(grid->cell(0, r), QStringLiteral("0641000%1").arg(r, 3, 10, QLatin1Char('0')));
    }
}

TEST_F(PhonebookTest, ShowsEachReplyInTheRowItNames) {
    FillRow(7, "0649999999", "Stari", 1);
    struct Case {
        std::vector<std::uint8_t> reply;
        int row;
        QStringList cells;
    };
    // Row (bytes 3 and 4), number (from byte 5), note (from byte 21), flag (byte 28).
    const std::vector<Case> cases = {
        {reportWith({{0, "00 47 43 00 07"}, {21, R"("Novi")"}, {28, "01"}}), 7, {"", "Novi", ""}},
        {reportWith({{0, R"(00 47 43 00 08 "0641")"}, {28, "02"}}), 8, {"0641", "", "NEAKTIVAN"}},
        {reportWith({{0, R"(00 47 43 01 05 "111")"}, {28, "01"}}), 5, {"111", "", "AKTIVAN"}},
        {reportOf(R"(00 47 43 00 09 "0123456789ABCDEF" "NOTE12" "X" 01)"),
         9,
         {"0123456789ABCDEF", "NOTE12", "AKTIVAN"}},
    };
    for (const Case& c : cases) {
        Inject(c.reply);
        Settle();
        EXPECT_EQ(Row(c.row), c.cells) << "row " << c.row;
    }
    EXPECT_EQ(Row(6), QStringList({"", "", ""}));
}

TEST_F(PhonebookTest, AReplyForRecord100FillsNoRowAndTheReadGoesOn) {
    Unit().behaviour().dropTag = "GC";
    Click("btnPhonebookRead");
    ASSERT_TRUE(PumpUntilSent("00 47 43", 1));
    Inject(reportWith({{0, R"(00 47 43 00 64 "999")"}, {28, "01"}}));

    ASSERT_TRUE(PumpUntilSent("00 47 43", 2));
    EXPECT_EQ(SentWith("00 47 43"), reportsHex({"00 47 43 00 00", "00 47 43 00 01"}));
    for (int r = 0; r < 100; ++r) {
        EXPECT_EQ(grid->cell(0, r), QString()) << "row " << r;
    }
    EXPECT_TRUE(Control<TGauge>(window, "sGauge1")->isVisible());
}

TEST_F(PhonebookTest, SelectingARowFillsTheEditingFields) {
    FillRow(11, "0641234567", "Posao", 1);
    FillRow(12, "0651111111", "", 2);
    grid->setCell(2, 13, QStringLiteral("aktivan"));
    grid->setCell(0, 13, QStringLiteral("0662222222"));

    ClickGutter(grid, 11);
    EXPECT_EQ(Edit("edCallNmbrField")->text(), "12");
    EXPECT_EQ(Edit("edGSMCallNumber")->text(), "0641234567");
    EXPECT_EQ(Edit("edCallNapomena")->text(), "Posao");
    EXPECT_TRUE(Active()->isChecked());

    ClickGutter(grid, 12);
    EXPECT_EQ(Edit("edCallNmbrField")->text(), "13");
    EXPECT_EQ(Edit("edCallNapomena")->text(), "");
    EXPECT_FALSE(Active()->isChecked());

    ClickGutter(grid, 11);
    ASSERT_TRUE(Active()->isChecked());
    ClickGutter(grid, 13);
    EXPECT_EQ(Edit("edGSMCallNumber")->text(), "0662222222");
    EXPECT_FALSE(Active()->isChecked()) << "only \"AKTIVAN\" in capitals ticks the box";
}

TEST_F(PhonebookTest, WritesTheSelectedRecordAndReadsItBack) {
    FillRow(11, "0641234567", "Posao", 1);
    ClickGutter(grid, 11);
    Type("edGSMCallNumber", "0657654321");

    Click("btnSetOnePhonebookRecord");
    ASSERT_TRUE(PumpUntil([&] { return grid->cell(0, 11) == "0657654321"; }));

    EXPECT_EQ(SentWith("00 53 43"),
              reportsHex({"00 53 43 00 0B 30 36 35 37 36 35 34 33 32 31 00 00 00 00 00 00 "
                          "50 6F 73 61 6F 00 00 01"}));
    EXPECT_EQ(SentWith("00 47 43").back(), reportHex("00 47 43 00 0B"));
    EXPECT_EQ(Row(11), QStringList({"0657654321", "Posao", "AKTIVAN"}));
    EXPECT_EQ(Unit().phonebookRecord(11), (UnitPhonebookRecord{"0657654321", "Posao", 1}));
    EXPECT_TRUE(Dialogs->calls().empty());
}

TEST_F(PhonebookTest, CutsTheNumberAndTheNoteToWhatTheUnitKeeps) {
    struct Case {
        const char* number;
        const char* note;
        bool active;
        std::string sent;
    };
    const std::vector<Case> cases = {
        // The note's first 6 characters, 0 in byte 27, the flag in byte 28.
        {"064", "ABCDEFGH", true,
         "00 53 43 00 02 30 36 34 00 00 00 00 00 00 00 00 00 00 00 00 00 "
         "41 42 43 44 45 46 00 01"},
        // The number's first 15 characters, 0 in byte 20.
        {"0123456789ABCDEF", "", false,
         "00 53 43 00 02 30 31 32 33 34 35 36 37 38 39 41 42 43 44 45 00"},
    };
    ClickGutter(grid, 2);
    for (const Case& c : cases) {
        Platform.clearTranscript();
        Type("edGSMCallNumber", c.number);
        Type("edCallNapomena", c.note);
        Active()->setChecked(c.active);
        Click("btnSetOnePhonebookRecord");
        EXPECT_EQ(SentWith("00 53 43"), reportsHex({c.sent})) << c.number;
    }
}

TEST_F(PhonebookTest, ANoteLongerThanSixCharactersTurnsRed) {
    const QColor red(255, 0, 0);
    const QColor black(0, 0, 0);
    auto* note = Edit("edCallNapomena");
    EXPECT_EQ(note->palette().color(QPalette::Text), black);
    Type("edCallNapomena", "ABCDEFG");
    EXPECT_EQ(note->palette().color(QPalette::Text), red);
    QTest::keyClick(note, Qt::Key_Backspace);
    EXPECT_EQ(note->palette().color(QPalette::Text), black);
}

TEST_F(PhonebookTest, RefusesWhatCannotBeWritten) {
    struct Case {
        bool select;
        QString number;
        QString note;
        QString message;
    };
    const std::vector<Case> cases = {
        {false, "064", "", "Izaberite zapis u tabeli!"},
        {true, QStringLiteral("064\u0142"), "",
         QStringLiteral("Tekst sadrzi znak koji uredjaj ne podrzava: \u0142")},
        {true, "064", QStringLiteral("Ku\u0107a"),
         QStringLiteral("Tekst sadrzi znak koji uredjaj ne podrzava: \u0107")},
    };
    for (const Case& c : cases) {
        if (c.select) {
            ClickGutter(grid, 4);
        }
        Type("edGSMCallNumber", c.number);
        Type("edCallNapomena", c.note);
        Dialogs->clear();
        Click("btnSetOnePhonebookRecord");
        EXPECT_EQ(Dialogs->texts(), QStringList{c.message});
    }
    Settle();
    EXPECT_TRUE(SentWith("00 53 43").empty());
}

TEST_F(PhonebookTest, AWriteThatIsNotAcknowledgedShowsTheTimeOutAndReadsNothingBack) {
    Unit().behaviour().neverAcknowledge = true;
    ClickGutter(grid, 0);
    Type("edGSMCallNumber", "064");

    Click("btnSetOnePhonebookRecord");
    EXPECT_EQ(Dialogs->texts(), QStringList{NoAnswer});
    EXPECT_EQ(SentWith("00 53 43").size(), 1u);
    Settle();
    EXPECT_TRUE(SentWith("00 47 43").empty());
    EXPECT_EQ(grid->cell(0, 0), QString());
}

TEST_F(PhonebookTest, SwitchesTheCallFunctionAndTheStatusShowsOrHidesThePanel) {
    QWidget* panel = Control<QWidget>(window, "panCallNumbers");
    ASSERT_TRUE(PumpUntil([&] { return panel->isVisible(); }));

    Click("btnDissableCallFunction");
    EXPECT_EQ(SentWith("00 53 44"), reportsHex({"00 53 44 45 00"}));
    ASSERT_TRUE(PumpUntil([&] { return panel->isHidden(); }));
    EXPECT_FALSE(panel->isEnabled());
    EXPECT_TRUE(Control<QPushButton>(window, "btnEnableCallFunction")->isVisible());

    Click("btnEnableCallFunction");
    EXPECT_EQ(SentWith("00 53 44"), reportsHex({"00 53 44 45 00", "00 53 44 45 01"}));
    ASSERT_TRUE(PumpUntil([&] { return panel->isVisible(); }));
    EXPECT_TRUE(panel->isEnabled());
}

}  // namespace
