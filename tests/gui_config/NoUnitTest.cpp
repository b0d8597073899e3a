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
        unit().live().fixedRaw[0] = 777;
        ASSERT_TRUE(pumpUntil([this] { return mainForm().ADRawCH1() == 777; }));
        units.front()->unplug();
        ASSERT_TRUE(pumpUntil([this] { return !mainForm().hasCurrentDevice(); }));
        platform.clearTranscript();
    }
};

TEST_F(NoUnitTest, ButtonsThatTalkToTheUnitDoNothing) {
    QWidget* gsm = openWindow("TfrmGSMNumbers");
    QWidget* alarmi = openWindow("TfrmAlarmi");
    QWidget* ad = openWindow("TfrmADSettings");
    type(gsm, "edGSMN1", "\u010D");
    type(alarmi, "edSMSDIN1_UP", "\u010D");
    type(alarmi, "edSMSAlarmMax", "\u010D");
    type(ad, "edSMSAnalog1", "\u010D");
    type(alarmi, "edDebounceDelayDIN1", "300");
    type(alarmi, "edANAlarmMaxVal", "1");
    type(alarmi, "edANAlarmMinVal", "2");
    type(ad, "edADRawOffsetCh1", "40000");

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
        click(window, name);
    }
    pumpFor(300);
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(dialogs->calls().empty());

    type(ad, "edADZerro", "100");
    type(ad, "edADFullScale", "1100");
    type(ad, "edVrednostPriFS", "50");
    click(ad, "btADCalcKN");
    EXPECT_EQ(edit(ad, "edKoefKCh1")->text(), QStringLiteral("0.05"));
    EXPECT_EQ(edit(ad, "edADRawOffsetCh1")->text(), QStringLiteral("-100"));
    // The reading the last status reply left.
    click(ad, "btADZerro");
    EXPECT_EQ(edit(ad, "edADZerro")->text(), QStringLiteral("777"));
}

}  // namespace
