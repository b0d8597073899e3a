// The call phonebook window: the chained read, the decoding of each record,
// selecting and writing one record with its acknowledgement and read-back,
// and the call function.

#include <QCheckBox>
#include <QLabel>
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
        addUnit("SERVICE-1").unit().setCallFunction(1);
        start();
        waitForUnit();
        window = windowOf("TfrmCallPhonebook");
        open(window);
        grid = control<TGrid>(window, "Grid1");
    }

    QStringList row(int index) const {
        return {grid->cell(0, index), grid->cell(1, index), grid->cell(2, index)};
    }
    void click(const char* button) {
        QTest::mouseClick(control<QPushButton>(window, button), Qt::LeftButton);
    }
    QLineEdit* edit(const char* name) const { return control<QLineEdit>(window, name); }
    QCheckBox* active() const { return control<QCheckBox>(window, "cbCallNmbrAktivan"); }
    // Puts a record into row `row` as a reply for it would.
    void fillRow(int row, const std::string& number, const std::string& note, std::uint8_t active) {
        auto reply = reportWith({{0, "00 47 43"}, {5, '"' + number + '"'}, {21, '"' + note + '"'}});
        reply[4] = std::uint8_t(row);
        reply[28] = active;
        inject(reply);
        settle();
    }
    void type(const char* name, const QString& text) {
        // As typed; QTest cannot type characters outside ASCII.
        edit(name)->clear();
        edit(name)->insert(text);
    }

    QWidget* window = nullptr;
    TGrid* grid = nullptr;
};

TEST_F(PhonebookTest, ReadsTheHundredRecordsOneAfterEachReply) {
    for (int r = 0; r < 100; ++r) {
        char number[16];
        std::snprintf(number, sizeof number, "0641000%03d", r);
        unit().setPhonebookRecord(r, {number, r == 0 ? "Mama" : "", std::uint8_t(r % 2)});
    }
    unit().setPhonebookRecord(99, {"0123456789ABCDEF", "Tata12", 1});
    auto* gauge = control<TGauge>(window, "sGauge1");

    click("btnPhonebookRead");
    EXPECT_TRUE(gauge->isVisible());
    ASSERT_TRUE(pumpUntil([&] { return gauge->isHidden(); }));
    settle();

    std::vector<std::string> expected;
    for (int r = 0; r < 100; ++r) {
        char head[32];
        std::snprintf(head, sizeof head, "00 47 43 00 %02X", r);
        expected.push_back(reportHex(head));
    }
    EXPECT_EQ(sentWith("00 47 43"), expected);
    EXPECT_EQ(row(0), QStringList({"0641000000", "Mama", "NEAKTIVAN"}));
    EXPECT_EQ(row(1), QStringList({"0641000001", "", "AKTIVAN"}));
    EXPECT_EQ(row(42), QStringList({"0641000042", "", "NEAKTIVAN"}));
    EXPECT_EQ(row(99), QStringList({"0123456789ABCDEF", "Tata12", "AKTIVAN"}));
    for (int r = 2; r < 99; ++r) {
        EXPECT_EQ(grid->cell(0, r), QStringLiteral("0641000%1").arg(r, 3, 10, QLatin1Char('0')));
    }
}

TEST_F(PhonebookTest, ShowsEachReplyInTheRowItNames) {
    fillRow(7, "0649999999", "Stari", 1);
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
        inject(c.reply);
        settle();
        EXPECT_EQ(row(c.row), c.cells) << "row " << c.row;
    }
    EXPECT_EQ(row(6), QStringList({"", "", ""}));
}

TEST_F(PhonebookTest, AReplyForRecord100FillsNoRowAndTheReadGoesOn) {
    unit().behaviour().dropTag = "GC";
    click("btnPhonebookRead");
    ASSERT_TRUE(pumpUntilSent("00 47 43", 1));
    inject(reportWith({{0, R"(00 47 43 00 64 "999")"}, {28, "01"}}));

    ASSERT_TRUE(pumpUntilSent("00 47 43", 2));
    EXPECT_EQ(sentWith("00 47 43"), reportsHex({"00 47 43 00 00", "00 47 43 00 01"}));
    for (int r = 0; r < 100; ++r) {
        EXPECT_EQ(grid->cell(0, r), QString()) << "row " << r;
    }
    EXPECT_TRUE(control<TGauge>(window, "sGauge1")->isVisible());
}

TEST_F(PhonebookTest, SelectingARowFillsTheEditingFields) {
    fillRow(11, "0641234567", "Posao", 1);
    fillRow(12, "0651111111", "", 2);
    grid->setCell(2, 13, QStringLiteral("aktivan"));
    grid->setCell(0, 13, QStringLiteral("0662222222"));

    clickGutter(grid, 11);
    EXPECT_EQ(edit("edCallNmbrField")->text(), "12");
    EXPECT_EQ(edit("edGSMCallNumber")->text(), "0641234567");
    EXPECT_EQ(edit("edCallNapomena")->text(), "Posao");
    EXPECT_TRUE(active()->isChecked());

    clickGutter(grid, 12);
    EXPECT_EQ(edit("edCallNmbrField")->text(), "13");
    EXPECT_EQ(edit("edCallNapomena")->text(), "");
    EXPECT_FALSE(active()->isChecked());

    clickGutter(grid, 11);
    ASSERT_TRUE(active()->isChecked());
    clickGutter(grid, 13);
    EXPECT_EQ(edit("edGSMCallNumber")->text(), "0662222222");
    EXPECT_FALSE(active()->isChecked()) << "only \"AKTIVAN\" in capitals ticks the box";
}

TEST_F(PhonebookTest, WritesTheSelectedRecordAndReadsItBack) {
    fillRow(11, "0641234567", "Posao", 1);
    clickGutter(grid, 11);
    type("edGSMCallNumber", "0657654321");

    click("btnSetOnePhonebookRecord");
    ASSERT_TRUE(pumpUntil([&] { return grid->cell(0, 11) == "0657654321"; }));

    EXPECT_EQ(sentWith("00 53 43"),
              reportsHex({"00 53 43 00 0B 30 36 35 37 36 35 34 33 32 31 00 00 00 00 00 00 "
                          "50 6F 73 61 6F 00 00 01"}));
    EXPECT_EQ(sentWith("00 47 43").back(), reportHex("00 47 43 00 0B"));
    EXPECT_EQ(row(11), QStringList({"0657654321", "Posao", "AKTIVAN"}));
    EXPECT_EQ(unit().phonebookRecord(11), (UnitPhonebookRecord{"0657654321", "Posao", 1}));
    EXPECT_TRUE(dialogs->calls().empty());
}

// The edits take no more than the unit keeps, so what is sent is what the
// user sees.
TEST_F(PhonebookTest, TheEditsTakeWhatTheUnitKeeps) {
    struct Case {
        const char* number;
        const char* note;
        bool active;
        std::string sent;
    };
    const std::vector<Case> cases = {
        // The note's 6 characters, 0 in byte 27, the flag in byte 28.
        {"064", "ABCDEFGH", true,
         "00 53 43 00 02 30 36 34 00 00 00 00 00 00 00 00 00 00 00 00 00 "
         "41 42 43 44 45 46 00 01"},
        // The number's 15 characters, 0 in byte 20.
        {"+3816412345678901", "", false,
         "00 53 43 00 02 2B 33 38 31 36 34 31 32 33 34 35 36 37 38 39 00"},
    };
    clickGutter(grid, 2);
    for (const Case& c : cases) {
        platform.clearTranscript();
        type("edGSMCallNumber", c.number);
        type("edCallNapomena", c.note);
        EXPECT_EQ(edit("edGSMCallNumber")->text(), QString::fromLatin1(c.number).left(15));
        EXPECT_EQ(edit("edCallNapomena")->text(), QString::fromLatin1(c.note).left(6));
        active()->setChecked(c.active);
        click("btnSetOnePhonebookRecord");
        EXPECT_EQ(sentWith("00 53 43"), reportsHex({c.sent})) << c.number;
    }
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
        {true, "064 123", "",
         QStringLiteral("Imenik, zapis 5: broj telefona: \"064 123\" nije broj telefona. "
                        "Dozvoljene su samo cifre, sa jednim \"+\" na početku.")},
    };
    for (const Case& c : cases) {
        if (c.select) {
            clickGutter(grid, 4);
        }
        type("edGSMCallNumber", c.number);
        type("edCallNapomena", c.note);
        dialogs->clear();
        click("btnSetOnePhonebookRecord");
        EXPECT_EQ(dialogs->texts(), QStringList{c.message});
    }
    settle();
    EXPECT_TRUE(sentWith("00 53 43").empty());
}

TEST_F(PhonebookTest, AWriteThatIsNotAcknowledgedShowsTheTimeOutAndReadsNothingBack) {
    unit().behaviour().neverAcknowledge = true;
    clickGutter(grid, 0);
    type("edGSMCallNumber", "064");

    click("btnSetOnePhonebookRecord");
    EXPECT_EQ(dialogs->texts(), QStringList{NoAnswer});
    EXPECT_EQ(sentWith("00 53 43").size(), 1u);
    settle();
    EXPECT_TRUE(sentWith("00 47 43").empty());
    EXPECT_EQ(grid->cell(0, 0), QString());
}

TEST_F(PhonebookTest, SwitchesTheCallFunctionAndTheStatusShowsOrHidesThePanel) {
    QWidget* panel = control<QWidget>(window, "panCallNumbers");
    ASSERT_TRUE(pumpUntil([&] { return panel->isVisible(); }));

    click("btnDissableCallFunction");
    EXPECT_EQ(sentWith("00 53 44"), reportsHex({"00 53 44 45 00"}));
    ASSERT_TRUE(pumpUntil([&] { return panel->isHidden(); }));
    EXPECT_FALSE(panel->isEnabled());
    EXPECT_TRUE(control<QPushButton>(window, "btnEnableCallFunction")->isVisible());
    // The window says why it is empty.
    auto* off = control<QLabel>(window, "lbCallFunctionOff");
    EXPECT_TRUE(off->isVisible());
    EXPECT_EQ(off->text(), QStringLiteral("Call funkcija je isključena."));

    click("btnEnableCallFunction");
    EXPECT_EQ(sentWith("00 53 44"), reportsHex({"00 53 44 45 00", "00 53 44 45 01"}));
    ASSERT_TRUE(pumpUntil([&] { return panel->isVisible(); }));
    EXPECT_TRUE(panel->isEnabled());
    EXPECT_FALSE(off->isVisible());
}

}  // namespace
