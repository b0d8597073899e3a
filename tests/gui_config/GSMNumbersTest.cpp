// The GSM numbers window: the chained read of the six numbers, the
// acknowledged write of all six, and what it refuses.

#include <QLineEdit>

#include "ConfigFixture.h"
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

TEST_F(GSMNumbersTest, WriteSendsTheFirst15CharactersOfEachNumber) {
    type(window, "edGSMN1", QStringLiteral("123456789012345678"));
    type(window, "edGSMN2", QStringLiteral("064123456789012"));
    type(window, "edGSMN3", QString());
    type(window, "edGSMN4", QStringLiteral("+381"));
    type(window, "edGSMN5", QStringLiteral("\u00E9"));
    type(window, "edGSMN6", QStringLiteral("9"));

    click(window, "btGSMNWrite");

    EXPECT_EQ(sentWith("00 53 4E"),
              reportsHex({"00 53 4E 00 31 32 33 34 35 36 37 38 39 30 31 32 33 34 35",
                          "00 53 4E 01 30 36 34 31 32 33 34 35 36 37 38 39 30 31 32", "00 53 4E 02",
                          "00 53 4E 03 2B 33 38 31", "00 53 4E 04 E9", "00 53 4E 05 39"}));
    EXPECT_TRUE(dialogs->calls().empty());
    EXPECT_FALSE(gauge()->isVisible());
    EXPECT_EQ(unit().gsmNumber(0), "123456789012345");
    EXPECT_EQ(unit().gsmNumber(2), "");
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

    click(window, "btGSMNWrite");

    EXPECT_EQ(dialogs->texts(), QStringList(6, NoReply));
    EXPECT_EQ(sentWith("00 53 4E").size(), 6u);
    EXPECT_FALSE(gauge()->isVisible());
}

}  // namespace
