// Without a unit the configuration windows send nothing and show nothing,
// not even for texts and numbers that would be refused; the calibration group
// works.

#include <QLineEdit>

#include "ConfigFixture.h"
#include "main/DevReader.h"

namespace {

class NoUnitTest : public ConfigFixture {
protected:
    void SetUp() override {
        ConfigFixture::SetUp();
        Unit().live().fixedRaw[0] = 777;
        ASSERT_TRUE(PumpUntil([this] { return Main().ADRawCH1() == 777; }));
        Units.front()->unplug();
        ASSERT_TRUE(PumpUntil([this] { return !Main().hasCurrentDevice(); }));
        Platform.clearTranscript();
    }
};

TEST_F(NoUnitTest, ButtonsThatTalkToTheUnitDoNothing) {
    QWidget* gsm = OpenWindow("TfrmGSMNumbers");
    QWidget* alarmi = OpenWindow("TfrmAlarmi");
    QWidget* ad = OpenWindow("TfrmADSettings");
    Type(gsm, "edGSMN1", "\u010D");
    Type(alarmi, "edSMSDIN1_UP", "\u010D");
    Type(alarmi, "edSMSAlarmMax", "\u010D");
    Type(ad, "edSMSAnalog1", "\u010D");
    Type(alarmi, "edDebounceDelayDIN1", "300");
    Type(alarmi, "edANAlarmMaxVal", "1");
    Type(alarmi, "edANAlarmMinVal", "2");
    Type(ad, "edADRawOffsetCh1", "40000");

    const std::pair<QWidget*, const char*> buttons[] = {
        {gsm, "btGSMNRead"},
        {gsm, "btGSMNWrite"},
        {alarmi, "GetSMSs"},
        {alarmi, "SetSMSs"},
        {alarmi, "btSMSProcitaj"},
        {alarmi, "btSMSUpisi"},
        {alarmi, "btnGetDINTrigers"},
        {alarmi, "btnSetDINTrigers"},
        {alarmi, "btGetAnalogAlarmSettings"},
        {alarmi, "btSetAnalogAlarmSettings"},
        {ad, "btGetKoef"},
        {ad, "btSetKoef"},
        {ad, "sBitBtn1"},
        {ad, "sBitBtn2"},
    };
    for (const auto& [window, name] : buttons) {
        Click(window, name);
    }
    PumpFor(300);
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(Dialogs->calls().empty());

    Type(ad, "edADZerro", "100");
    Type(ad, "edADFullScale", "1100");
    Type(ad, "edVrednostPriFS", "50");
    Click(ad, "btADCalcKN");
    EXPECT_EQ(Edit(ad, "edKoefKCh1")->text(), QStringLiteral("0.05"));
    EXPECT_EQ(Edit(ad, "edADRawOffsetCh1")->text(), QStringLiteral("-100"));
    // The reading the last status reply left.
    Click(ad, "btADZerro");
    EXPECT_EQ(Edit(ad, "edADZerro")->text(), QStringLiteral("777"));
}

}  // namespace
