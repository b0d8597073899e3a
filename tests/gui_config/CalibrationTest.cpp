// The AD settings window: calibration of both channels (channel 2 hidden but
// read and written), the zero and full-scale capture with the calculation of
// K and the offset, and what the write refuses.

#include <QCheckBox>
#include <QLineEdit>

#include "ConfigFixture.h"
#include "main/DevReader.h"

namespace {

class CalibrationTest : public ConfigFixture {
protected:
    void SetUp() override {
        ConfigFixture::SetUp();
        window = openWindow("TfrmADSettings");
    }
    void read() {
        click(window, "btGetKoef");
        settle();
    }
    void write() {
        dialogs->clear();
        click(window, "btSetKoef");
    }
    // The unit's raw reading of channel 1 reaches the tool with the status.
    void readingIs(std::uint16_t raw) {
        unit().live().fixedRaw[0] = raw;
        ASSERT_TRUE(pumpUntil([&] { return mainForm().ADRawCH1() == raw; }));
    }
    QString text(const char* name) const { return edit(window, name)->text(); }
    QCheckBox* box(const char* name) const { return control<QCheckBox>(window, name); }

    QWidget* window = nullptr;
};

TEST_F(CalibrationTest, CapturedZeroAndFullScaleGiveKAndTheOffset) {
    unit().setCalibration({{10000, 20000}, {0, 5000}, {0, 100}, {0, 1}});
    read();
    readingIs(512);
    click(window, "btADZerro");
    readingIs(4095);
    click(window, "btADFullscale");
    type(window, "edVrednostPriFS", "100");
    EXPECT_EQ(text("edADZerro"), QStringLiteral("512"));
    EXPECT_EQ(text("edADFullScale"), QStringLiteral("4095"));

    click(window, "btADCalcKN");
    EXPECT_EQ(text("edKoefKCh1"), QStringLiteral("0.0279095729835334"));
    EXPECT_EQ(text("edADRawOffsetCh1"), QStringLiteral("-512"));
    EXPECT_EQ(text("edKoefNCh1"), QStringLiteral("0.0000"));

    write();
    settle();
    EXPECT_TRUE(dialogs->calls().empty());
    EXPECT_EQ(sentWith("00 53 4B"),
              reportsHex({"00 53 4B 41 00 00 01 17 00 00 00 00 00 00 4E 20 00 00 13 88 FE 00 00 64 "
                          "00 01"}));
    EXPECT_EQ(unit().calibration(),
              (UnitCalibration{{279, 20000}, {0, 5000}, {-512, 100}, {0, 1}}));
}

TEST_F(CalibrationTest, ReadFillsBothChannels) {
    unit().setCalibration({{100000, -1}, {-25000, 3}, {-200, 32767}, {7, 0}});
    read();
    EXPECT_EQ(sentWith("00 47 4B"), reportsHex({"00 47 4B 41"}));
    EXPECT_EQ(text("edKoefKCh1"), QStringLiteral("10.0000"));
    EXPECT_EQ(text("edKoefNCh1"), QStringLiteral("-2.5000"));
    EXPECT_EQ(text("edKoefKCh2"), QStringLiteral("-0.0001"));
    EXPECT_EQ(text("edKoefNCh2"), QStringLiteral("0.0003"));
    EXPECT_EQ(text("edADRawOffsetCh1"), QStringLiteral("-200"));
    EXPECT_EQ(text("edADRawOffsetCh2"), QStringLiteral("32767"));
    EXPECT_TRUE(box("cbUseVoltageOUTCH1")->isChecked());
    EXPECT_FALSE(box("cbUseVoltageOUTCH2")->isChecked());
    EXPECT_TRUE(edit(window, "edKoefKCh2")->isHidden());
}

TEST_F(CalibrationTest, TypedCoefficientsAreRoundedOnTheirDigits) {
    unit().setCalibration({});
    read();
    const std::pair<QString, std::string> cases[] = {
        {"1.23456", "00 00 30 3A"}, {"250", "00 26 25 A0"},     {"0.00005", "00 00 00 00"},
        {"0.00015", "00 00 00 02"}, {"1.00004", "00 00 27 10"}, {"-0.00015", "FF FF FF FE"},
    };
    std::vector<std::string> expected;
    for (const auto& [k, bytes] : cases) {
        type(window, "edKoefKCh1", k);
        write();
        EXPECT_TRUE(dialogs->calls().empty()) << k.toStdString();
        expected.push_back(reportHex("00 53 4B 41 " + bytes +
                                     " 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"));
    }
    settle();
    EXPECT_EQ(sentWith("00 53 4B"), expected);
}

TEST_F(CalibrationTest, SnimiRefusesWhatCannotBeSent) {
    // Before any read the hidden channel 2 edits are empty.
    type(window, "edKoefKCh1", "1");
    type(window, "edKoefNCh1", "0");
    type(window, "edADRawOffsetCh1", "0");
    write();
    EXPECT_EQ(dialogs->texts(),
              QStringList{QStringLiteral("'' is not a valid floating point value")});

    read();
    const QString range = QStringLiteral("Vrednost mora biti u granicama od -32768 do 32767!");
    struct Case {
        QString offset, message;
        bool focused;
    };
    const Case cases[] = {{"40000", range, true},
                          {"-32769", range, true},
                          {"5.5", "'5.5' is not a valid integer value", false}};
    for (const Case& c : cases) {
        type(window, "edADRawOffsetCh1", c.offset);
        write();
        EXPECT_EQ(dialogs->texts(), QStringList{c.message}) << c.offset.toStdString();
        EXPECT_EQ(window->focusWidget() == edit(window, "edADRawOffsetCh1"), c.focused);
    }
    settle();
    EXPECT_TRUE(sentWith("00 53 4B").empty());
}

TEST_F(CalibrationTest, AZeroSpanOrAnOverflowStopsTheCalculation) {
    struct Case {
        QString zero, fullScale, value, message;
    };
    const Case cases[] = {
        {"512", "512", "100", "Floating point division by zero"},
        {"512", "512", "0", "Invalid floating point operation"},
        {"x", "512", "0", "'x' is not a valid floating point value"},
        {"0", "1", "", "'' is not a valid floating point value"},
        {"0", "1e-300", "1e300", "Floating point overflow"},
    };
    for (const Case& c : cases) {
        type(window, "edKoefKCh1", "7");
        type(window, "edADRawOffsetCh1", "8");
        type(window, "edADZerro", c.zero);
        type(window, "edADFullScale", c.fullScale);
        type(window, "edVrednostPriFS", c.value);
        dialogs->clear();
        click(window, "btADCalcKN");
        EXPECT_EQ(dialogs->texts(), QStringList{c.message}) << c.message.toStdString();
        EXPECT_EQ(text("edKoefKCh1"), QStringLiteral("7"));
        EXPECT_EQ(text("edADRawOffsetCh1"), QStringLiteral("8"));
    }
}

TEST_F(CalibrationTest, AZeroReadingWithDecimalsGivesKButNoOffset) {
    type(window, "edADRawOffsetCh1", "8");
    type(window, "edADZerro", "512.5");
    type(window, "edADFullScale", "4095");
    type(window, "edVrednostPriFS", "100");
    click(window, "btADCalcKN");
    EXPECT_EQ(text("edKoefKCh1"), QStringLiteral("0.0279134682484299"));
    EXPECT_EQ(text("edADRawOffsetCh1"), QStringLiteral("8"));
    EXPECT_EQ(dialogs->texts(),
              QStringList{QStringLiteral("'512.5' is not a valid integer value")});
}

TEST_F(CalibrationTest, KIsWrittenInTheGeneralFormatOfTheLocale) {
    useLocale(QLocale::German, QLocale::Germany);
    const std::pair<QString, QString> cases[] = {
        {"1", "0,0001"}, {"0,9", "9E-5"}, {"30000", "3"}, {"-1", "-0,0001"}};
    type(window, "edADZerro", "0");
    type(window, "edADFullScale", "10000");
    for (const auto& [value, k] : cases) {
        type(window, "edVrednostPriFS", value);
        click(window, "btADCalcKN");
        EXPECT_EQ(text("edKoefKCh1"), k) << value.toStdString();
        EXPECT_EQ(text("edADRawOffsetCh1"), QStringLiteral("0"));
    }
    EXPECT_TRUE(dialogs->calls().empty());
}

}  // namespace
