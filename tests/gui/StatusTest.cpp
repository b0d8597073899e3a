// The status monitor: the unit's status values in the main window's
// controls, polling once per tick, the report counters and their reset. The
// values come from the virtual unit; which byte of "GS" carries which value
// is tested with the protocol's decoding.

#include "AppFixture.h"
#include "QtPrinters.h"
#include "main/DevReader.h"
#include "widgets/TGauge.h"
#include "widgets/TShape.h"

#include <QCheckBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

const QColor Red(0xB0, 0x00, 0x00);
const QColor TextGreen(0x00, 0x64, 0x00);
const QColor Green(0x00, 0x80, 0x00);
const QColor Purple(0x80, 0x00, 0x80);
const QColor Yellow(0xFF, 0xFF, 0x00);
const QColor White(0xFF, 0xFF, 0xFF);

class StatusTest : public AppFixture {
protected:
    void SetUp() override {
        unit = &addUnit("S1");
        start();
        // Polling off, and one reply of known content shown: the unit answers
        // in order, so no earlier reply is left to arrive later.
        control<QCheckBox>("cbGetStatusAuto")->setChecked(false);
        live().rssi = 238;
        control<QPushButton>("btGetStatus")->click();
        auto* signal = control<QLabel>("lbGSMSignal");
        ASSERT_TRUE(pumpUntil([signal] { return signal->text() == "GSM Signal [RSSI: 238]"; }));
    }

    UnitLiveValues& live() { return unit->unit().live(); }
    // The unit's calculated values of channels 1 and 2, in units of 0.0001:
    // with K 0 each is its channel's N.
    void calculatedValues(std::int32_t first, std::int32_t second) {
        unit->unit().setCalibration({{0, 0}, {first, second}, {0, 0}, {0, 0}});
    }

    // Runs `action` and waits until a status reply has been shown.
    void shown(const std::function<void()>& action) {
        auto* signal = control<QLabel>("lbGSMSignal");
        signal->clear();
        action();
        ASSERT_TRUE(pumpUntil([signal] { return !signal->text().isEmpty(); }));
    }
    // Asks the unit for its status and waits until the reply has been shown.
    void showStatus() {
        shown([this] { control<QPushButton>("btGetStatus")->click(); });
    }

    QString text(const char* label) { return control<QLabel>(label)->text(); }
    QColor textColor(const char* label) {
        return control<QLabel>(label)->palette().color(QPalette::WindowText);
    }
    QColor fill(const char* shape) { return control<TShape>(shape)->brushColor(); }

    SimUnitDevice* unit = nullptr;
};

// Restores the default locale when it goes.
class LocaleScope {
public:
    explicit LocaleScope(const QLocale& locale) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(previous_); }

private:
    QLocale previous_;
};

}  // namespace

TEST_F(StatusTest, AFullReplyFillsEveryControl) {
    QWidget* phonebook = windowOf("TfrmCallPhonebook");
    control<QPushButton>("sBitBtn3")->click();
    UnitLiveValues& values = live();
    values.signalLevel = 9;
    values.rssi = 85;
    values.inputs = {1, 0, 0xFF};
    values.relay = 1;
    values.fixedRaw = {std::uint16_t{4095}, std::uint16_t{16}};
    values.smsSent = 256;
    values.smsReceived = 65535;
    calculatedValues(-1, 123456);
    values.phoneNumber = "+381641234567890";
    values.networkState = 7;
    values.fixedCallFunction = 1;
    showStatus();

    EXPECT_EQ(control<TGauge>("gaGSMSignal")->text(), "100%");
    EXPECT_EQ(text("lbGSMSignal"), "GSM Signal [RSSI: 85]");
    EXPECT_EQ(fill("shapeDIN1"), Yellow);
    EXPECT_EQ(fill("shapeDIN2"), White);
    EXPECT_EQ(fill("shapeDIN3"), Yellow);
    EXPECT_EQ(fill("shapeLEDRele"), Green);
    EXPECT_EQ(text("lbADRaw1"), "4095");
    EXPECT_EQ(text("lbADRaw2"), "16");
    EXPECT_EQ(mainForm().ADRawCH1(), 4095);
    EXPECT_EQ(text("lbSMSTx"), "256");
    EXPECT_EQ(text("lbSMSRx"), "65535");
    EXPECT_EQ(text("lbADCh1Val"), "-0.0001");
    EXPECT_EQ(text("lbADCh2Val"), "12.3456");
    EXPECT_EQ(text("sLabel6"), "+381641234567890");
    EXPECT_EQ(text("lbNetworkState"), "UNDEFINED!?");
    EXPECT_EQ(textColor("lbNetworkState"), Red);
    EXPECT_EQ(text("lbCallFuncEnabled"), "Ukljucena");
    auto* numbers = control<QWidget>(phonebook, "panCallNumbers");
    EXPECT_TRUE(numbers->isVisible());
    EXPECT_TRUE(numbers->isEnabled());

    // The call function going off hides the numbers of the open phonebook.
    values.fixedCallFunction = 0;
    showStatus();
    EXPECT_EQ(text("lbCallFuncEnabled"), "Iskljucena");
    EXPECT_FALSE(numbers->isVisible());
    EXPECT_FALSE(numbers->isEnabled());
}

TEST_F(StatusTest, AShortReplyReadsAsIfPaddedWithZeros) {
    UnitLiveValues& values = live();
    values.smsSent = 256;
    values.phoneNumber = "1";
    values.networkState = 1;
    values.fixedCallFunction = 1;
    showStatus();
    // 10 data bytes after the report ID: the values after them are lost.
    unit->unit().behaviour().shortReportBytes = 11;
    values.signalLevel = 3;
    values.rssi = 16;
    values.inputs = {0, 1, 0};
    values.fixedRaw[0] = 515;
    showStatus();

    EXPECT_EQ(control<TGauge>("gaGSMSignal")->text(), "60%");
    EXPECT_EQ(text("lbGSMSignal"), "GSM Signal [RSSI: 16]");
    EXPECT_EQ(fill("shapeDIN1"), White);
    EXPECT_EQ(fill("shapeDIN2"), Yellow);
    EXPECT_EQ(fill("shapeLEDRele"), White);
    EXPECT_EQ(text("lbADRaw1"), "515");
    EXPECT_EQ(text("lbSMSTx"), "0");
    EXPECT_EQ(text("lbSMSRx"), "0");
    EXPECT_EQ(text("lbADCh1Val"), "0.0000");
    EXPECT_EQ(text("sLabel6"), "");
    EXPECT_EQ(text("lbNetworkState"), "NOT_REGISTERED");
    EXPECT_EQ(textColor("lbNetworkState"), Red);
    EXPECT_EQ(text("lbCallFuncEnabled"), "Iskljucena");
}

TEST_F(StatusTest, NetworkStatesHaveTheirTextsAndColours) {
    const struct {
        std::uint8_t value;
        const char* text;
        QColor color;
    } cases[] = {{0, "NOT_REGISTERED", Red},        {1, "HOME_NETWORK", TextGreen},
                 {2, "ROAMING_NETWORK", TextGreen}, {3, "SEARCHING...", Purple},
                 {4, "UNDEFINED!?", Red},           {255, "UNDEFINED!?", Red}};
    for (const auto& c : cases) {
        live().networkState = c.value;
        showStatus();
        EXPECT_EQ(text("lbNetworkState"), c.text) << int(c.value);
        EXPECT_EQ(textColor("lbNetworkState"), c.color) << int(c.value);
    }
}

TEST_F(StatusTest, SignalLevelsAreShownAsPercentagesOfFive) {
    const std::pair<std::uint8_t, const char*> cases[] = {{0, "0%"},   {1, "20%"},  {4, "80%"},
                                                          {5, "100%"}, {6, "100%"}, {255, "100%"}};
    for (const auto& [level, shownText] : cases) {
        live().signalLevel = level;
        showStatus();
        EXPECT_EQ(control<TGauge>("gaGSMSignal")->text(), shownText) << int(level);
    }
}

TEST_F(StatusTest, AnalogValuesUseTheLocalesDecimalSeparator) {
    const LocaleScope german(QLocale(QLocale::German, QLocale::Germany));
    calculatedValues(-1, 123456);
    showStatus();
    EXPECT_EQ(text("lbADCh1Val"), "-0,0001");
    EXPECT_EQ(text("lbADCh2Val"), "12,3456");
}

TEST_F(StatusTest, PhoneNumberEndsAtItsFirstZeroByte) {
    live().phoneNumber = std::string(
        "06\0"
        "9",
        4);
    showStatus();
    EXPECT_EQ(text("sLabel6"), "06");
    // Bytes are character codes, not a code page.
    live().phoneNumber =
        "\xE9"
        "1";
    showStatus();
    EXPECT_EQ(text("sLabel6"), QString::fromUtf8("\xC3\xA9") + "1");
}

// Each tick with "Automatic" sends one request: ten ticks, the tool's second,
// make ten requests and, with a unit that answers each, ten replies.
TEST_F(StatusTest, AutomaticPollingSendsOneRequestPerTick) {
    stopTicks();
    dialogs->answer(DialogService::Answer::Yes);
    QTest::mouseDClick(control<QStatusBar>("StatusBar1"), Qt::LeftButton);
    platform.clearTranscript();
    control<QCheckBox>("cbGetStatusAuto")->setChecked(true);

    for (int k = 1; k <= 10; ++k) {
        shown([this] { tick(); });
    }
    EXPECT_EQ(statusPanel(2), "Tx/Rx: 10/9");
    EXPECT_EQ(sent(), std::vector<std::string>(10, reportHex("00 47 53")));
    EXPECT_EQ(received().size(), 10u);
    control<QCheckBox>("cbGetStatusAuto")->setChecked(false);
    tick();
    EXPECT_EQ(statusPanel(2), "Tx/Rx: 10/10");
    EXPECT_EQ(sent().size(), 10u);
}

TEST_F(StatusTest, DoubleClickOnTheStatusBarResetsTheCountersWhenConfirmed) {
    stopTicks();
    const std::pair<DialogService::Answer, const char*> cases[] = {
        {DialogService::Answer::No, "Tx/Rx: 3/3"}, {DialogService::Answer::Yes, "Tx/Rx: 0/0"}};
    for (const auto& [answer, counters] : cases) {
        // Three requests and replies on counters that start from 0.
        dialogs->answer(DialogService::Answer::Yes);
        QTest::mouseDClick(control<QStatusBar>("StatusBar1"), Qt::LeftButton);
        for (int k = 1; k <= 3; ++k) {
            showStatus();
        }
        dialogs->clear();
        dialogs->answer(answer);
        QTest::mouseDClick(control<QLabel>("StatusPanel0"), Qt::LeftButton);
        EXPECT_EQ(dialogs->texts(), QStringList{"Da li zelite da obrisete brojace?"});
        tick();
        EXPECT_EQ(statusPanel(2), counters);
    }
}
