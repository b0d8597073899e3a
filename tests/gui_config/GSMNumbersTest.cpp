// The GSM numbers window: the chained read of the six numbers, the
// acknowledged write of all six, and what it refuses.

#include <QLineEdit>

#include <optional>
#include <string>
#include <vector>

#include "ConfigFixture.h"
#include "main/DevReader.h"
#include "widgets/TGauge.h"

namespace {

class GSMNumbersTest : public ConfigFixture {
protected:
    void SetUp() override {
        ConfigFixture::SetUp();
        window = openWindow("TfrmGSMNumbers");
    }
    QLineEdit* number(int n) const {
        return edit(window, QStringLiteral("edGSMN%1").arg(n).toLatin1().constData());
    }
    TGauge* gauge() const { return control<TGauge>(window, "sGauge1"); }

    QWidget* window = nullptr;
};

TEST_F(GSMNumbersTest, ReadPutsEachNumberIntoItsEdit) {
    const char* numbers[] = {"0641234567", "1234567890123456", "", "381", "+38164", "5"};
    for (int i = 0; i < 6; ++i) {
        unit().setGsmNumber(i, numbers[i]);
    }
    number(3)->setText(QStringLiteral("was here"));

    click(window, "btGSMNRead");
    ASSERT_TRUE(pumpUntil([&] { return number(6)->text() == QStringLiteral("5"); }));

    EXPECT_EQ(sentWith("00 47 4E"), reportsHex({"00 47 4E 00", "00 47 4E 01", "00 47 4E 02",
                                                "00 47 4E 03", "00 47 4E 04", "00 47 4E 05"}));
    EXPECT_EQ(number(1)->text(), QStringLiteral("0641234567"));
    EXPECT_EQ(number(2)->text(), QStringLiteral("1234567890123456"));
    EXPECT_EQ(number(3)->text(), QString());
    EXPECT_EQ(number(4)->text(), QStringLiteral("381"));
    EXPECT_EQ(number(5)->text(), QStringLiteral("+38164"));
    EXPECT_FALSE(gauge()->isVisible());
}

TEST_F(GSMNumbersTest, AReplyForIndex7ChangesNoEditButCounts) {
    unit().behaviour().dropTag = "GN";
    for (int n = 1; n <= 6; ++n) {
        number(n)->setText(QStringLiteral("old"));
    }
    click(window, "btGSMNRead");
    EXPECT_TRUE(gauge()->isVisible());
    EXPECT_EQ(gauge()->maximum(), 6);

    // Each reply makes the window ask for the next number, whatever it named.
    const char* const replies[] = {R"(00 47 4E 00 00 "100")", R"(00 47 4E 07 00 "700")",
                                   R"(00 47 4E 02 00 "300")", R"(00 47 4E 03 00 "400")",
                                   R"(00 47 4E 04 00 "500")", R"(00 47 4E 05 00 "600")"};
    for (std::size_t i = 0; i < std::size(replies); ++i) {
        inject(reportOf(replies[i]));
        if (i + 1 < std::size(replies)) {
            ASSERT_TRUE(pumpUntilSent("00 47 4E", i + 2));
        }
    }
    ASSERT_TRUE(pumpUntil([&] { return !gauge()->isVisible(); }));

    EXPECT_EQ(sentWith("00 47 4E"), reportsHex({"00 47 4E 00", "00 47 4E 01", "00 47 4E 02",
                                                "00 47 4E 03", "00 47 4E 04", "00 47 4E 05"}));
    const char* expected[] = {"100", "old", "300", "400", "500", "600"};
    for (int n = 1; n <= 6; ++n) {
        EXPECT_EQ(number(n)->text(), QString::fromLatin1(expected[n - 1])) << n;
    }
}

// An edit takes the 15 characters the unit keeps; the write sends a number
// as typed or refuses it, naming the field, and then sends none of the six.
TEST_F(GSMNumbersTest, EachNumberIsSentAsTypedOrRefusedByName) {
    struct Case {
        QString typed;
        QString shown;
        QString refusal;  // empty: sent
        std::string bytes;
    };
    const QString notANumber = QStringLiteral(
        "GSM broj 3: \"%1\" nije broj telefona. Dozvoljene su samo cifre, sa "
        "jednim \"+\" na početku.");
    const std::vector<Case> cases{
        {"123456789012345678",
         "123456789012345",
         {},
         "00 53 4E 02 31 32 33 34 35 36 37 38 39 30 31 32 33 34 35"},
        {"+38164123456789",
         "+38164123456789",
         {},
         "00 53 4E 02 2B 33 38 31 36 34 31 32 33 34 35 36 37 38 39"},
        {"0641234567", "0641234567", {}, "00 53 4E 02 30 36 34 31 32 33 34 35 36 37"},
        {"abc 12x", "abc 12x", notANumber.arg("abc 12x"), ""},
        {"++381", "++381", notANumber.arg("++381"), ""},
        {"381+", "381+", notANumber.arg("381+"), ""},
        {"+", "+", notANumber.arg("+"), ""},
        {"06 41", "06 41", notANumber.arg("06 41"), ""},
        {"\u00E9", "\u00E9", notANumber.arg("\u00E9"), ""},
    };
    type(window, "edGSMN1", QStringLiteral("1"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        platform.clearTranscript();
        dialogs->clear();
        type(window, "edGSMN3", c.typed);
        EXPECT_EQ(number(3)->text(), c.shown);
        click(window, "btGSMNWrite");
        settle();
        if (c.refusal.isEmpty()) {
            EXPECT_TRUE(dialogs->calls().empty());
            ASSERT_EQ(sentWith("00 53 4E").size(), 6u);
            EXPECT_EQ(sentWith("00 53 4E")[2], reportHex(c.bytes));
        } else {
            EXPECT_EQ(dialogs->texts(), QStringList{c.refusal});
            EXPECT_EQ(window->focusWidget(), number(3));
            EXPECT_TRUE(sentWith("00 53 4E").empty());
        }
    }

    // A number of 16 read from a unit is shown whole and refused, not cut.
    unit().setGsmNumber(1, "1234567890123456");
    click(window, "btGSMNRead");
    ASSERT_TRUE(pumpUntil([&] { return number(2)->text().size() == 16; }));
    platform.clearTranscript();
    dialogs->clear();
    click(window, "btGSMNWrite");
    settle();
    EXPECT_EQ(dialogs->texts(),
              QStringList{"GSM broj 2: tekst ima 16 znakova, a uređaj prima najviše 15."});
    EXPECT_TRUE(sentWith("00 53 4E").empty());
}

// Six empty numbers would have the unit alarm nobody. A window that neither
// a read, a profile nor the user filled since the unit connected asks first.
TEST_F(GSMNumbersTest, AWindowNobodyFilledAsksBeforeEmptyingTheUnitsNumbers) {
    const auto writeAll = [&](std::optional<DialogService::Answer> answer) {
        platform.clearTranscript();
        dialogs->clear();
        if (answer) {
            dialogs->answer(*answer);
        }
        click(window, "btGSMNWrite");
        settle();
        return sentWith("00 53 4E").size();
    };
    EXPECT_EQ(writeAll(DialogService::Answer::No), 0u);
    EXPECT_EQ(dialogs->texts(), QStringList{EmptyFieldsQuestion});
    EXPECT_EQ(dialogs->calls()[0].kind, ScriptedDialogService::Kind::WarningYesNo);
    EXPECT_EQ(writeAll(DialogService::Answer::Yes), 6u);

    // Typed, even when emptied again: as the user left it.
    type(window, "edGSMN2", QStringLiteral("1"));
    type(window, "edGSMN2", QString());
    EXPECT_EQ(writeAll(std::nullopt), 6u);
    EXPECT_TRUE(dialogs->calls().empty());

    // The unit coming back is a unit connecting: the question again.
    units.front()->unplug();
    ASSERT_TRUE(pumpUntil([&] { return !mainForm().hasCurrentDevice(); }));
    units.front()->plug();
    ASSERT_TRUE(pumpUntil([&] { return mainForm().hasCurrentDevice(); }));
    EXPECT_EQ(writeAll(DialogService::Answer::No), 0u);

    // Read from the unit, six empty numbers are what the unit holds.
    for (int i = 0; i < 6; ++i) {
        unit().setGsmNumber(i, "");
    }
    click(window, "btGSMNRead");
    ASSERT_TRUE(pumpUntil([&] { return !gauge()->isVisible(); }));
    EXPECT_EQ(writeAll(std::nullopt), 6u);
    EXPECT_TRUE(dialogs->calls().empty());
}

TEST_F(GSMNumbersTest, ACharacterTheUnitCannotStoreStopsTheWholeWrite) {
    type(window, "edGSMN1", QStringLiteral("0641234567"));
    type(window, "edGSMN4", QStringLiteral("064\u010D12"));

    click(window, "btGSMNWrite");

    EXPECT_EQ(dialogs->texts(),
              QStringList{QStringLiteral("Tekst sadrzi znak koji uredjaj ne podrzava: \u010D")});
    EXPECT_EQ(window->focusWidget(), number(4));
    EXPECT_FALSE(gauge()->isVisible());
    settle();
    EXPECT_TRUE(sentWith("00 53 4E").empty());
}

TEST_F(GSMNumbersTest, ASilentUnitTimesOutOnEveryNumber) {
    unit().behaviour().neverAcknowledge = true;
    type(window, "edGSMN1", QStringLiteral("1"));

    click(window, "btGSMNWrite");

    EXPECT_EQ(dialogs->texts(), QStringList(6, NoReply));
    EXPECT_EQ(sentWith("00 53 4E").size(), 6u);
    EXPECT_FALSE(gauge()->isVisible());
}

}  // namespace
