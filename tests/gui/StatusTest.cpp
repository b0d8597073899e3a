// The status monitor: decoding "GS" into the status panel, polling once per
// tick, the report counters and their reset.

#include "AppFixture.h"
#include "QtPrinters.h"
#include "main/DevReader.h"
#include "widgets/TGauge.h"
#include "widgets/TShape.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace {

const QColor Red(0xFF, 0x00, 0x00);
const QColor Green(0x00, 0x80, 0x00);
const QColor Purple(0x80, 0x00, 0x80);
const QColor Yellow(0xFF, 0xFF, 0x00);
const QColor White(0xFF, 0xFF, 0xFF);

// A "GS" report of zeros with `value` in byte `k`.
std::vector<std::uint8_t> StatusWith(std::size_t k, std::uint8_t value) {
    std::vector<std::uint8_t> report = reportOf("00 47 53");
    report[k] = value;
    return report;
}

class StatusTest : public AppFixture {
protected:
    void SetUp() override {
        unit = &AddUnit("S1");
        Start();
        // Polling off, and a report of the test's own shown: the unit's
        // replies come before it, so none is left to arrive later.
        Control<QCheckBox>("cbGetStatusAuto")->setChecked(false);
        auto* signal = Control<QLabel>("lbGSMSignal");
        Platform.sendInput(unit->path(), StatusWith(4, 0xEE));
        ASSERT_TRUE(PumpUntil([signal] { return signal->text() == "GSM Signal [RSSI: 238]"; }));
    }

    // Runs `action` and waits until a status reply has been shown.
    void Shown(const std::function<void()>& action) {
        auto* signal = Control<QLabel>("lbGSMSignal");
        signal->clear();
        action();
        ASSERT_TRUE(PumpUntil([signal] { return !signal->text().isEmpty(); }));
    }

    // Sends a status report from the unit and waits until it has been shown.
    void Show(const std::vector<std::uint8_t>& report) {
        Shown([&] { Platform.sendInput(unit->path(), report); });
    }

    QString Text(const char* label) { return Control<QLabel>(label)->text(); }
    QColor TextColor(const char* label) {
        return Control<QLabel>(label)->palette().color(QPalette::WindowText);
    }
    QColor Fill(const char* shape) { return Control<TShape>(shape)->brushColor(); }

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
    QWidget* phonebook = Window("TfrmCallPhonebook");
    Control<QPushButton>("sBitBtn3")->click();
    Show(reportWith({
        {0, "00 47 53 09 55 01 00 FF 01 0F FF 00 10 01 00 FF FF FF FF FF FF 00 01 E2 40"},
        {25, R"("+381641234567890")"},
        {55, "05"},
        {62, "07 01 FF"},
    }));

    EXPECT_EQ(Control<TGauge>("gaGSMSignal")->text(), "100%");
    EXPECT_EQ(Text("lbGSMSignal"), "GSM Signal [RSSI: 85]");
    EXPECT_EQ(Fill("shapeDIN1"), Yellow);
    EXPECT_EQ(Fill("shapeDIN2"), White);
    EXPECT_EQ(Fill("shapeDIN3"), Yellow);
    EXPECT_EQ(Fill("shapeLEDRele"), Green);
    EXPECT_EQ(Text("lbADRaw1"), "4095");
    EXPECT_EQ(Text("lbADRaw2"), "16");
    EXPECT_EQ(Main().ADRawCH1(), 4095);
    EXPECT_EQ(Text("lbSMSTx"), "256");
    EXPECT_EQ(Text("lbSMSRx"), "65535");
    EXPECT_EQ(Text("lbADCh1Val"), "-0.0001");
    EXPECT_EQ(Text("lbADCh2Val"), "12.3456");
    EXPECT_EQ(Text("sLabel6"), "+381641234567890");
    EXPECT_EQ(Text("lbNetworkState"), "UNDEFINED!?");
    EXPECT_EQ(TextColor("lbNetworkState"), Red);
    EXPECT_EQ(Text("lbCallFuncEnabled"), "Ukljucena");
    auto* numbers = Control<QWidget>(phonebook, "panCallNumbers");
    EXPECT_TRUE(numbers->isVisible());
    EXPECT_TRUE(numbers->isEnabled());
    QWidget* debug = Window("TfrmDebug");
    EXPECT_EQ(Control<QLineEdit>(debug, "sEdit1")->text(), "5");
    EXPECT_EQ(Control<QLineEdit>(debug, "sEdit9")->text(), "255");

    // The call function going off hides the numbers of the open phonebook.
    Show(reportOf("00 47 53"));
    EXPECT_EQ(Text("lbCallFuncEnabled"), "Iskljucena");
    EXPECT_FALSE(numbers->isVisible());
    EXPECT_FALSE(numbers->isEnabled());
}

TEST_F(StatusTest, AShortReplyReadsAsIfPaddedWithZeros) {
    Show(reportWith({{0, "00 47 53"}, {13, "01"}, {25, "31"}, {62, "01 01"}}));
    // 10 data bytes after the report ID.
    Show(bytesOf("00 47 53 03 10 00 01 00 00 02 03"));

    EXPECT_EQ(Control<TGauge>("gaGSMSignal")->text(), "60%");
    EXPECT_EQ(Text("lbGSMSignal"), "GSM Signal [RSSI: 16]");
    EXPECT_EQ(Fill("shapeDIN1"), White);
    EXPECT_EQ(Fill("shapeDIN2"), Yellow);
    EXPECT_EQ(Fill("shapeLEDRele"), White);
    EXPECT_EQ(Text("lbADRaw1"), "515");
    EXPECT_EQ(Text("lbSMSTx"), "0");
    EXPECT_EQ(Text("lbSMSRx"), "0");
    EXPECT_EQ(Text("lbADCh1Val"), "0.0000");
    EXPECT_EQ(Text("sLabel6"), "");
    EXPECT_EQ(Text("lbNetworkState"), "NOT_REGISTERED");
    EXPECT_EQ(TextColor("lbNetworkState"), Red);
    EXPECT_EQ(Text("lbCallFuncEnabled"), "Iskljucena");
}

TEST_F(StatusTest, NetworkStatesHaveTheirTextsAndColours) {
    const struct {
        std::uint8_t value;
        const char* text;
        QColor color;
    } cases[] = {{0, "NOT_REGISTERED", Red},    {1, "HOME_NETWORK", Green},
                 {2, "ROAMING_NETWORK", Green}, {3, "SEARCHING...", Purple},
                 {4, "UNDEFINED!?", Red},       {255, "UNDEFINED!?", Red}};
    for (const auto& c : cases) {
        Show(StatusWith(62, c.value));
        EXPECT_EQ(Text("lbNetworkState"), c.text) << int(c.value);
        EXPECT_EQ(TextColor("lbNetworkState"), c.color) << int(c.value);
    }
}

TEST_F(StatusTest, SignalLevelsAreShownAsPercentagesOfFive) {
    const std::pair<std::uint8_t, const char*> cases[] = {{0, "0%"},   {1, "20%"},  {4, "80%"},
                                                          {5, "100%"}, {6, "100%"}, {255, "100%"}};
    for (const auto& [level, text] : cases) {
        Show(StatusWith(3, level));
        EXPECT_EQ(Control<TGauge>("gaGSMSignal")->text(), text) << int(level);
    }
}

TEST_F(StatusTest, AnalogValuesUseTheLocalesDecimalSeparator) {
    const LocaleScope german(QLocale(QLocale::German, QLocale::Germany));
    Show(reportWith({{0, "00 47 53"}, {17, "FF FF FF FF 00 01 E2 40"}}));
    EXPECT_EQ(Text("lbADCh1Val"), "-0,0001");
    EXPECT_EQ(Text("lbADCh2Val"), "12,3456");
}

TEST_F(StatusTest, PhoneNumberEndsAtItsFirstZeroByte) {
    Show(reportWith({{0, "00 47 53"}, {25, R"("06" 00 "9")"}}));
    EXPECT_EQ(Text("sLabel6"), "06");
    // Bytes are character codes, not a code page.
    Show(reportWith({{0, "00 47 53"}, {25, "E9 31"}}));
    EXPECT_EQ(Text("sLabel6"), QString::fromUtf8("\xC3\xA9") + "1");
}

// Each tick with "Automatic" sends one request: ten ticks, the tool's second,
// make ten requests and, with a unit that answers each, ten replies.
TEST_F(StatusTest, AutomaticPollingSendsOneRequestPerTick) {
    Control<QTimer>("Timer1")->stop();
    Dialogs->answer(DialogService::Answer::Yes);
    QTest::mouseDClick(Control<QStatusBar>("StatusBar1"), Qt::LeftButton);
    Platform.clearTranscript();
    Control<QCheckBox>("cbGetStatusAuto")->setChecked(true);

    for (int tick = 1; tick <= 10; ++tick) {
        Shown([this] { Main().Timer1Timer(); });
    }
    EXPECT_EQ(StatusPanel(2), "Tx/Rx: 10/9");
    EXPECT_EQ(Sent(), std::vector<std::string>(10, reportHex("00 47 53")));
    EXPECT_EQ(Received().size(), 10u);
    Control<QCheckBox>("cbGetStatusAuto")->setChecked(false);
    Main().Timer1Timer();
    EXPECT_EQ(StatusPanel(2), "Tx/Rx: 10/10");
    EXPECT_EQ(Sent().size(), 10u);
}

TEST_F(StatusTest, DoubleClickOnTheStatusBarResetsTheCountersWhenConfirmed) {
    Control<QTimer>("Timer1")->stop();
    const std::pair<DialogService::Answer, const char*> cases[] = {
        {DialogService::Answer::No, "Tx/Rx: 3/3"}, {DialogService::Answer::Yes, "Tx/Rx: 0/0"}};
    for (const auto& [answer, shown] : cases) {
        // Three requests and replies on counters that start from 0.
        Dialogs->answer(DialogService::Answer::Yes);
        QTest::mouseDClick(Control<QStatusBar>("StatusBar1"), Qt::LeftButton);
        for (int k = 1; k <= 3; ++k) {
            Shown([this] { Control<QPushButton>("btGetStatus")->click(); });
        }
        Dialogs->clear();
        Dialogs->answer(answer);
        QTest::mouseDClick(Control<QLabel>("StatusPanel0"), Qt::LeftButton);
        EXPECT_EQ(Dialogs->texts(), QStringList{"Da li zelite da obrisete brojace?"});
        Main().Timer1Timer();
        EXPECT_EQ(StatusPanel(2), shown);
    }
}
