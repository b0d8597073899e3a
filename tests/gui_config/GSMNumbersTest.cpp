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
        window = OpenWindow("TfrmGSMNumbers");
    }
    QLineEdit* Number(int n) const {
        return Edit(window, QStringLiteral("edGSMN%1").arg(n).toLatin1().constData());
    }
    TGauge* Gauge() const { return Control<TGauge>(window, "sGauge1"); }

    QWidget* window = nullptr;
};

TEST_F(GSMNumbersTest, ReadPutsEachNumberIntoItsEdit) {
    const char* numbers[] = {"0641234567", "1234567890123456", "", "381", "+38164", "5"};
    for (int i = 0; i < 6; ++i) {
        Unit().setGsmNumber(i, numbers[i]);
    }
    Number(3)->setText(QStringLiteral("was here"));

    Click(window, "btGSMNRead");
    ASSERT_TRUE(PumpUntil([&] { return Number(6)->text() == QStringLiteral("5"); }));

    EXPECT_EQ(SentWith("00 47 4E"), reportsHex({"00 47 4E 00", "00 47 4E 01", "00 47 4E 02",
                                                "00 47 4E 03", "00 47 4E 04", "00 47 4E 05"}));
    EXPECT_EQ(Number(1)->text(), QStringLiteral("0641234567"));
    EXPECT_EQ(Number(2)->text(), QStringLiteral("1234567890123456"));
    EXPECT_EQ(Number(3)->text(), QString());
    EXPECT_EQ(Number(4)->text(), QStringLiteral("381"));
    EXPECT_EQ(Number(5)->text(), QStringLiteral("+38164"));
    EXPECT_FALSE(Gauge()->isVisible());
}

TEST_F(GSMNumbersTest, AReplyForIndex7ChangesNoEditButCounts) {
    Unit().behaviour().dropTag = "GN";
    for (int n = 1; n <= 6; ++n) {
        Number(n)->setText(QStringLiteral("old"));
    }
    Click(window, "btGSMNRead");
    EXPECT_TRUE(Gauge()->isVisible());
    EXPECT_EQ(Gauge()->maximum(), 6);

    // Each reply makes the window ask for the next number, whatever it named.
    const char* const replies[] = {R"(00 47 4E 00 00 "100")", R"(00 47 4E 07 00 "700")",
                                   R"(00 47 4E 02 00 "300")", R"(00 47 4E 03 00 "400")",
                                   R"(00 47 4E 04 00 "500")", R"(00 47 4E 05 00 "600")"};
    for (std::size_t i = 0; i < std::size(replies); ++i) {
        Inject(reportOf(replies[i]));
        if (i + 1 < std::size(replies)) {
            ASSERT_TRUE(PumpUntilSent("00 47 4E", i + 2));
        }
    }
    ASSERT_TRUE(PumpUntil([&] { return !Gauge()->isVisible(); }));

    EXPECT_EQ(SentWith("00 47 4E"), reportsHex({"00 47 4E 00", "00 47 4E 01", "00 47 4E 02",
                                                "00 47 4E 03", "00 47 4E 04", "00 47 4E 05"}));
    const char* expected[] = {"100", "old", "300", "400", "500", "600"};
    for (int n = 1; n <= 6; ++n) {
        EXPECT_EQ(Number(n)->text(), QString::fromLatin1(expected[n - 1])) << n;
    }
}

TEST_F(GSMNumbersTest, WriteSendsTheFirst15CharactersOfEachNumber) {
    Type(window, "edGSMN1", QStringLiteral("123456789012345678"));
    Type(window, "edGSMN2", QStringLiteral("064123456789012"));
    Type(window, "edGSMN3", QString());
    Type(window, "edGSMN4", QStringLiteral("+381"));
    Type(window, "edGSMN5", QStringLiteral("\u00E9"));
    Type(window, "edGSMN6", QStringLiteral("9"));

    Click(window, "btGSMNWrite");

    EXPECT_EQ(SentWith("00 53 4E"),
              reportsHex({"00 53 4E 00 31 32 33 34 35 36 37 38 39 30 31 32 33 34 35",
                          "00 53 4E 01 30 36 34 31 32 33 34 35 36 37 38 39 30 31 32", "00 53 4E 02",
                          "00 53 4E 03 2B 33 38 31", "00 53 4E 04 E9", "00 53 4E 05 39"}));
    EXPECT_TRUE(Dialogs->calls().empty());
    EXPECT_FALSE(Gauge()->isVisible());
    EXPECT_EQ(Unit().gsmNumber(0), "123456789012345");
    EXPECT_EQ(Unit().gsmNumber(2), "");
}

TEST_F(GSMNumbersTest, ACharacterTheUnitCannotStoreStopsTheWholeWrite) {
    Type(window, "edGSMN1", QStringLiteral("0641234567"));
    Type(window, "edGSMN4", QStringLiteral("064\u010D12"));

    Click(window, "btGSMNWrite");

    EXPECT_EQ(Dialogs->texts(),
              QStringList{QStringLiteral("Tekst sadrzi znak koji uredjaj ne podrzava: \u010D")});
    EXPECT_EQ(window->focusWidget(), Number(4));
    EXPECT_FALSE(Gauge()->isVisible());
    Settle();
    EXPECT_TRUE(SentWith("00 53 4E").empty());
}

TEST_F(GSMNumbersTest, ASilentUnitTimesOutOnEveryNumber) {
    Unit().behaviour().neverAcknowledge = true;

    Click(window, "btGSMNWrite");

    EXPECT_EQ(Dialogs->texts(), QStringList(6, NoReply));
    EXPECT_EQ(SentWith("00 53 4E").size(), 6u);
    EXPECT_FALSE(Gauge()->isVisible());
}

}  // namespace
