// The SMS texts of the alarm window (slots 0 to 5 and 7 to 9) and of the AD
// settings window (slot 6): the read chains, the acknowledged writes, the
// length warning, refused characters, time-outs, and writes that meet.

#include <QColor>
#include <QLineEdit>
#include <QPalette>
#include <QTest>

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

// Six empty texts would leave the unit's inputs without messages: from a
// window nobody filled they go out only after a Yes; once the texts were
// read from the unit, empty ones are what the unit holds.
TEST_F(AlarmTextsTest, SetSMSsAsksBeforeWritingSixEmptyTextsNobodyFilled) {
    click(alarmi, "SetSMSs");
    EXPECT_EQ(dialogs->texts(), QStringList{EmptyFieldsQuestion});
    EXPECT_EQ(dialogs->calls()[0].kind, ScriptedDialogService::Kind::WarningYesNo);
    settle();
    EXPECT_TRUE(sentWith("00 53 50").empty());

    dialogs->answer(DialogService::Answer::Yes);
    click(alarmi, "SetSMSs");
    EXPECT_EQ(sentWith("00 53 50"), reportsHex({"00 53 50 00", "00 53 50 01", "00 53 50 02",
                                                "00 53 50 03", "00 53 50 04", "00 53 50 05"}));
    EXPECT_FALSE(gauge("gaSMSGauge1")->isVisible());

    for (int slot = 0; slot < 10; ++slot) {
        unit().setSmsText(slot, "");
    }
    click(alarmi, "GetSMSs");
    ASSERT_TRUE(pumpUntil([&] { return !gauge("gaSMSGauge1")->isVisible(); }));
    dialogs->clear();
    click(alarmi, "SetSMSs");
    EXPECT_TRUE(dialogs->calls().empty());
    EXPECT_EQ(sentWith("00 53 50").size(), 12u);
}

// The lower "Upiši" is a panel: it takes the focus and answers the keys a
// button does; Escape hides the window as closing it does.
TEST_F(AlarmTextsTest, TheLowerUpisiAnswersTheKeyboardAndEscapeHidesTheWindow) {
    type(alarmi, "edSMSDIN1_UP", QStringLiteral("A"));
    auto* panel = control<QWidget>(alarmi, "SetSMSs");
    panel->setFocus();
    for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return}) {
        QTest::keyClick(panel, key);
    }
    EXPECT_EQ(sentWith("00 53 50").size(), 12u);
    QTest::keyClick(panel, Qt::Key_Escape);
    EXPECT_FALSE(alarmi->isVisible());
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

// Typing stops at the 30 characters the unit keeps; a longer text read from
// a unit is shown whole, in red, and the write names it instead of cutting it.
TEST_F(AlarmTextsTest, TypingStopsAt30AndALongerTextReadIsRedAndRefused) {
    const QString thirty = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123");
    type(alarmi, "edSMSDIN1_UP", thirty + QStringLiteral("4"));
    EXPECT_EQ(text(alarmi, "edSMSDIN1_UP"), thirty);
    EXPECT_EQ(edit(alarmi, "edSMSDIN1_UP")->palette().color(QPalette::Text), QColor(Qt::black));

    unit().behaviour().dropTag = "GP";
    click(alarmi, "GetSMSs");
    inject(reportOf(R"(00 47 50 00 01 "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345")"));
    ASSERT_TRUE(pumpUntil([&] { return text(alarmi, "edSMSDIN2_UP").size() == 32; }));
    QLineEdit* longer = edit(alarmi, "edSMSDIN2_UP");
    EXPECT_EQ(longer->palette().color(QPalette::Text), QColor(Qt::red));
    // It may get shorter, not longer.
    longer->setFocus();
    longer->end(false);
    QTest::keyClick(longer, Qt::Key_X);
    EXPECT_EQ(longer->text().size(), 32);
    QTest::keyClick(longer, Qt::Key_Backspace);
    EXPECT_EQ(longer->text().size(), 31);

    click(alarmi, "SetSMSs");
    EXPECT_EQ(dialogs->texts(),
              QStringList{QStringLiteral("Digitalni ulaz 2 UZLAZNA IVICA: tekst ima 31 znakova, a "
                                         "uređaj prima najviše 30.")});
    EXPECT_EQ(alarmi->focusWidget(), longer);
    settle();
    EXPECT_TRUE(sentWith("00 53 50").empty());
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
    type(alarmi, "edSMSDIN1_UP", QStringLiteral("A"));

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
    dialogs->answer(DialogService::Answer::Yes);

    click(alarmi, "SetSMSs");

    EXPECT_EQ(sentWith("00 53 50"), reportsHex({"00 53 50 00", "00 53 50 07 37", "00 53 50 08 38",
                                                "00 53 50 09 39", "00 53 50 01", "00 53 50 02",
                                                "00 53 50 03", "00 53 50 04", "00 53 50 05"}));
    EXPECT_EQ(dialogs->texts(), QStringList{EmptyFieldsQuestion});
    EXPECT_FALSE(gauge("gaSMSGauge1")->isVisible());
    EXPECT_FALSE(gauge("gaSMSGauge2")->isVisible());
}

}  // namespace
