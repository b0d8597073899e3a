// The SMS texts of the alarm window (slots 0 to 5 and 7 to 9) and of the AD
// settings window (slot 6): the read chains, the acknowledged writes, the
// length warning, refused characters, time-outs, and writes that meet.

#include <QColor>
#include <QLineEdit>
#include <QPalette>

#include "ConfigFixture.h"
#include "widgets/TGauge.h"

namespace {

class AlarmTextsTest : public ConfigFixture {
protected:
    void SetUp() override {
        ConfigFixture::SetUp();
        alarmi = openWindow("TfrmAlarmi");
        ad = openWindow("TfrmADSettings");
    }
    TGauge* gauge(const char* name) const { return control<TGauge>(alarmi, name); }
    QString text(QWidget* window, const char* name) const { return edit(window, name)->text(); }

    QWidget* alarmi = nullptr;
    QWidget* ad = nullptr;
};

const std::vector<std::string> AllTextRequests =
    reportsHex({"00 47 50 00", "00 47 50 01", "00 47 50 02", "00 47 50 03", "00 47 50 04",
                "00 47 50 05", "00 47 50 06", "00 47 50 07", "00 47 50 08", "00 47 50 09"});

TEST_F(AlarmTextsTest, GetSMSsReadsAllTenSlots) {
    const char* texts[] = {"DIN1 gore", "DIN2 gore", "DIN3 gore", "DIN1 dole", "DIN2 dole",
                           "DIN3 dole", "Analog",    "Maksimum",  "Minimum",   "Normalno"};
    for (int slot = 0; slot < 10; ++slot) {
        unit().setSmsText(slot, texts[slot]);
    }

    click(alarmi, "GetSMSs");
    ASSERT_TRUE(pumpUntil([&] { return !gauge("gaSMSGauge1")->isVisible(); }));

    EXPECT_EQ(sentWith("00 47 50"), AllTextRequests);
    EXPECT_EQ(text(alarmi, "edSMSDIN1_UP"), QStringLiteral("DIN1 gore"));
    EXPECT_EQ(text(alarmi, "edSMSDIN2_UP"), QStringLiteral("DIN2 gore"));
    EXPECT_EQ(text(alarmi, "edSMSDIN3_UP"), QStringLiteral("DIN3 gore"));
    EXPECT_EQ(text(alarmi, "edSMSDIN1_DN"), QStringLiteral("DIN1 dole"));
    EXPECT_EQ(text(alarmi, "edSMSDIN2_DN"), QStringLiteral("DIN2 dole"));
    EXPECT_EQ(text(alarmi, "edSMSDIN3_DN"), QStringLiteral("DIN3 dole"));
    EXPECT_EQ(text(ad, "edSMSAnalog1"), QStringLiteral("Analog"));
    EXPECT_EQ(text(alarmi, "edSMSAlarmMax"), QStringLiteral("Maksimum"));
    EXPECT_EQ(text(alarmi, "edSMSAlarmMin"), QStringLiteral("Minimum"));
    EXPECT_EQ(text(alarmi, "edSMSAlarmNormalizacija"), QStringLiteral("Normalno"));
    EXPECT_FALSE(gauge("gaSMSGauge2")->isVisible());
}

TEST_F(AlarmTextsTest, ReadingTheAnalogTextsStartsAtTheirFirstSlot) {
    // btSMSProcitaj, with replies made up here: a full 32-byte text for slot 8.
    unit().behaviour().dropTag = "GP";
    click(alarmi, "btSMSProcitaj");
    EXPECT_TRUE(gauge("gaSMSGauge2")->isVisible());
    EXPECT_EQ(gauge("gaSMSGauge2")->maximum(), 9);
    const char* const replies[] = {R"(00 47 50 00 07 "Previsoko")",
                                   R"(00 47 50 00 08 "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345")",
                                   R"(00 47 50 00 09 "Normalno")"};
    for (std::size_t i = 0; i < std::size(replies); ++i) {
        inject(reportOf(replies[i]));
        if (i + 1 < std::size(replies)) {
            ASSERT_TRUE(pumpUntilSent("00 47 50", i + 2));
        }
    }
    ASSERT_TRUE(pumpUntil([&] { return !gauge("gaSMSGauge2")->isVisible(); }));
    EXPECT_EQ(sentWith("00 47 50"), reportsHex({"00 47 50 07", "00 47 50 08", "00 47 50 09"}));
    EXPECT_EQ(text(alarmi, "edSMSAlarmMax"), QStringLiteral("Previsoko"));
    EXPECT_EQ(text(alarmi, "edSMSAlarmMin"), QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ012345"));
    EXPECT_EQ(text(alarmi, "edSMSAlarmNormalizacija"), QStringLiteral("Normalno"));

    // sBitBtn1 of the AD settings window: slot 6 and on, through the unit.
    unit().behaviour().dropTag.clear();
    unit().setSmsText(6, "Analog");
    unit().setSmsText(9, "Opet normalno");
    click(ad, "sBitBtn1");
    ASSERT_TRUE(pumpUntil([&] {
        return text(alarmi, "edSMSAlarmNormalizacija") == QStringLiteral("Opet normalno");
    }));
    EXPECT_EQ(sentWith("00 47 50"),
              reportsHex({"00 47 50 07", "00 47 50 08", "00 47 50 09", "00 47 50 06", "00 47 50 07",
                          "00 47 50 08", "00 47 50 09"}));
    EXPECT_EQ(text(ad, "edSMSAnalog1"), QStringLiteral("Analog"));
}

TEST_F(AlarmTextsTest, SetSMSsWritesSixRecordsEvenWhenEmpty) {
    click(alarmi, "SetSMSs");

    EXPECT_EQ(sentWith("00 53 50"), reportsHex({"00 53 50 00", "00 53 50 01", "00 53 50 02",
                                                "00 53 50 03", "00 53 50 04", "00 53 50 05"}));
    EXPECT_TRUE(dialogs->calls().empty());
    EXPECT_FALSE(gauge("gaSMSGauge1")->isVisible());
}

TEST_F(AlarmTextsTest, TheAnalogTextWritesSkipEmptyEdits) {
    type(alarmi, "edSMSAlarmMax", QStringLiteral("Max"));
    type(alarmi, "edSMSAlarmNormalizacija", QStringLiteral("Ok"));
    click(alarmi, "btSMSUpisi");
    EXPECT_EQ(sentWith("00 53 50"), reportsHex({"00 53 50 07 4D 61 78", "00 53 50 09 4F 6B"}));
    EXPECT_FALSE(gauge("gaSMSGauge2")->isVisible());

    click(ad, "sBitBtn2");
    type(ad, "edSMSAnalog1", QStringLiteral("AI"));
    click(ad, "sBitBtn2");
    EXPECT_EQ(sentWith("00 53 50"),
              reportsHex({"00 53 50 07 4D 61 78", "00 53 50 09 4F 6B", "00 53 50 06 41 49"}));
    EXPECT_TRUE(dialogs->calls().empty());
    EXPECT_EQ(unit().smsText(6), "AI");
}

TEST_F(AlarmTextsTest, TextsLongerThan30AreRedAndSentCut) {
    const QString thirty = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123");
    type(alarmi, "edSMSDIN1_UP", thirty);
    type(alarmi, "edSMSDIN2_UP", thirty + QStringLiteral("4"));
    EXPECT_EQ(edit(alarmi, "edSMSDIN1_UP")->palette().color(QPalette::Text), QColor(Qt::black));
    EXPECT_EQ(edit(alarmi, "edSMSDIN2_UP")->palette().color(QPalette::Text), QColor(Qt::red));

    click(alarmi, "SetSMSs");

    const std::string thirtyBytes =
        "41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 51 52 53 54 55 56 57 58 59 5A 30 31 32 33";
    const auto sent = sentWith("00 53 50");
    ASSERT_EQ(sent.size(), 6u);
    EXPECT_EQ(sent[0], reportHex("00 53 50 00 " + thirtyBytes));
    EXPECT_EQ(sent[1], reportHex("00 53 50 01 " + thirtyBytes));
    EXPECT_EQ(unit().smsText(1), thirty.toStdString());

    type(alarmi, "edSMSDIN2_UP", thirty);
    EXPECT_EQ(edit(alarmi, "edSMSDIN2_UP")->palette().color(QPalette::Text), QColor(Qt::black));
}

TEST_F(AlarmTextsTest, ACharacterTheUnitCannotStoreStopsTheWholeWrite) {
    type(alarmi, "edSMSDIN1_UP", QStringLiteral("Alarm"));
    type(alarmi, "edSMSDIN3_DN", QStringLiteral("\u010Cas"));

    click(alarmi, "SetSMSs");

    EXPECT_EQ(dialogs->texts(),
              QStringList{QStringLiteral("Tekst sadrzi znak koji uredjaj ne podrzava: \u010C")});
    EXPECT_EQ(alarmi->focusWidget(), edit(alarmi, "edSMSDIN3_DN"));
    EXPECT_FALSE(gauge("gaSMSGauge1")->isVisible());
    settle();
    EXPECT_TRUE(sentWith("00 53 50").empty());
}

TEST_F(AlarmTextsTest, ASilentUnitTimesOutOnEveryRecord) {
    unit().behaviour().neverAcknowledge = true;

    click(alarmi, "SetSMSs");

    EXPECT_EQ(dialogs->texts(), QStringList(6, NoReply));
    EXPECT_EQ(sentWith("00 53 50").size(), 6u);
    EXPECT_FALSE(gauge("gaSMSGauge1")->isVisible());
}

TEST_F(AlarmTextsTest, ALateAcknowledgementEndsTheWaitItArrivesIn) {
    // Slot 7 gets no answer; the acknowledgement that turns up while slot 8
    // waits ends that wait; slot 9 gets no answer again.
    unit().behaviour().neverAcknowledge = true;
    whenSent("00 53 50 08", [this] { inject(reportOf("00 53 50")); });
    type(alarmi, "edSMSAlarmMax", QStringLiteral("7"));
    type(alarmi, "edSMSAlarmMin", QStringLiteral("8"));
    type(alarmi, "edSMSAlarmNormalizacija", QStringLiteral("9"));

    click(alarmi, "btSMSUpisi");

    EXPECT_EQ(sentWith("00 53 50"),
              reportsHex({"00 53 50 07 37", "00 53 50 08 38", "00 53 50 09 39"}));
    EXPECT_EQ(dialogs->texts(), QStringList(2, NoReply));
}

TEST_F(AlarmTextsTest, AWriteStartedDuringAWaitRunsToItsEndInsideIt) {
    // The acknowledgement of slot 0 is still on its way when the second
    // write starts; it ends the second write's first wait, and so on: one
    // flag serves both, and no wait times out.
    unit().behaviour().latencyMs = 50;
    whenSent("00 53 50 00", [this] { click(alarmi, "btSMSUpisi"); });
    type(alarmi, "edSMSAlarmMax", QStringLiteral("7"));
    type(alarmi, "edSMSAlarmMin", QStringLiteral("8"));
    type(alarmi, "edSMSAlarmNormalizacija", QStringLiteral("9"));

    click(alarmi, "SetSMSs");

    EXPECT_EQ(sentWith("00 53 50"), reportsHex({"00 53 50 00", "00 53 50 07 37", "00 53 50 08 38",
                                                "00 53 50 09 39", "00 53 50 01", "00 53 50 02",
                                                "00 53 50 03", "00 53 50 04", "00 53 50 05"}));
    EXPECT_TRUE(dialogs->calls().empty());
    EXPECT_FALSE(gauge("gaSMSGauge1")->isVisible());
    EXPECT_FALSE(gauge("gaSMSGauge2")->isVisible());
}

}  // namespace
