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
        window = OpenWindow("TfrmADSettings");
    }
    void Read() {
        Click(window, "btGetKoef");
        Settle();
    }
    void Write() {
        Dialogs->clear();
        Click(window, "btSetKoef");
    }
    // The unit's raw reading of channel 1 reaches the tool with the status.
    void ReadingIs(std::uint16_t raw) {
        Unit().live().fixedRaw[0] = raw;
        ASSERT_TRUE(PumpUntil([&] { return Main().ADRawCH1() == raw; }));
    }
    QString Text(const char* name) const { return Edit(window, name)->text(); }
    QCheckBox* Box(const char* name) const { return Control<QCheckBox>(window, name); }

    QWidget* window = nullptr;
};

TEST_F(CalibrationTest, CapturedZeroAndFullScaleGiveKAndTheOffset) {
    Unit().setCalibration({{10000, 20000}, {0, 5000}, {0, 100}, {0, 1}});
    Read();
    ReadingIs(512);
    Click(window, "btADZerro");
    ReadingIs(4095);
    Click(window, "btADFullscale");
    Type(window, "edVrednostPriFS", "100");
    EXPECT_EQ(Text("edADZerro"), QStringLiteral("512"));
    EXPECT_EQ(Text("edADFullScale"), QStringLiteral("4095"));

    Click(window, "btADCalcKN");
    EXPECT_EQ(Text("edKoefKCh1"), QStringLiteral("0.0279095729835334"));
    EXPECT_EQ(Text("edADRawOffsetCh1"), QStringLiteral("-512"));
    EXPECT_EQ(Text("edKoefNCh1"), QStringLiteral("0.0000"));

    Write();
    Settle();
    EXPECT_TRUE(Dialogs->calls().empty());
    EXPECT_EQ(SentWith("00 53 4B"),
              reportsHex({"00 53 4B 41 00 00 01 17 00 00 00 00 00 00 4E 20 00 00 13 88 FE 00 00 64 "
                          "00 01"}));
    EXPECT_EQ(Unit().calibration(),
              (UnitCalibration{{279, 20000}, {0, 5000}, {-512, 100}, {0, 1}}));
}

TEST_F(CalibrationTest, ReadFillsBothChannels) {
    Unit().setCalibration({{100000, -1}, {-25000, 3}, {-200, 32767}, {7, 0}});
    Read();
    EXPECT_EQ(SentWith("00 47 4B"), reportsHex({"00 47 4B 41"}));
    EXPECT_EQ(Text("edKoefKCh1"), QStringLiteral("10.0000"));
    EXPECT_EQ(Text("edKoefNCh1"), QStringLiteral("-2.5000"));
    EXPECT_EQ(Text("edKoefKCh2"), QStringLiteral("-0.0001"));
    EXPECT_EQ(Text("edKoefNCh2"), QStringLiteral("0.0003"));
    EXPECT_EQ(Text("edADRawOffsetCh1"), QStringLiteral("-200"));
    EXPECT_EQ(Text("edADRawOffsetCh2"), QStringLiteral("32767"));
    EXPECT_TRUE(Box("cbUseVoltageOUTCH1")->isChecked());
    EXPECT_FALSE(Box("cbUseVoltageOUTCH2")->isChecked());
    EXPECT_TRUE(Edit(window, "edKoefKCh2")->isHidden());
}

TEST_F(CalibrationTest, TypedCoefficientsAreRoundedOnTheirDigits) {
    Unit().setCalibration({});
    Read();
    const std::pair<QString, std::string> cases[] = {
        {"1.23456", "00 00 30 3A"}, {"250", "00 26 25 A0"},     {"0.00005", "00 00 00 00"},
        {"0.00015", "00 00 00 02"}, {"1.00004", "00 00 27 10"}, {"-0.00015", "FF FF FF FE"},
    };
    std::vector<std::string> expected;
    for (const auto& [k, bytes] : cases) {
        Type(window, "edKoefKCh1", k);
        Write();
        EXPECT_TRUE(Dialogs->calls().empty()) << k.toStdString();
        expected.push_back(reportHex("00 53 4B 41 " + bytes +
                                     " 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"));
    }
    Settle();
    EXPECT_EQ(SentWith("00 53 4B"), expected);
}

TEST_F(CalibrationTest, SnimiRefusesWhatCannotBeSent) {
    // Before any read the hidden channel 2 edits are empty.
    Type(window, "edKoefKCh1", "1");
    Type(window, "edKoefNCh1", "0");
    Type(window, "edADRawOffsetCh1", "0");
    Write();
    EXPECT_EQ(Dialogs->texts(),
              QStringList{QStringLiteral("'' is not a valid floating point value")});

    Read();
    const QString range = QStringLiteral("Vrednost mora biti u granicama od -32768 do 32767!");
    struct Case {
        QString offset, message;
        bool focused;
    };
    const Case cases[] = {{"40000", range, true},
                          {"-32769", range, true},
                          {"5.5", "'5.5' is not a valid integer value", false}};
    for (const Case& c : cases) {
        Type(window, "edADRawOffsetCh1", c.offset);
        Write();
        EXPECT_EQ(Dialogs->texts(), QStringList{c.message}) << c.offset.toStdString();
        EXPECT_EQ(window->focusWidget() == Edit(window, "edADRawOffsetCh1"), c.focused);
    }
    Settle();
    EXPECT_TRUE(SentWith("00 53 4B").empty());
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
        Type(window, "edKoefKCh1", "7");
        Type(window, "edADRawOffsetCh1", "8");
        Type(window, "edADZerro", c.zero);
        Type(window, "edADFullScale", c.fullScale);
        Type(window, "edVrednostPriFS", c.value);
        Dialogs->clear();
        Click(window, "btADCalcKN");
        EXPECT_EQ(Dialogs->texts(), QStringList{c.message}) << c.message.toStdString();
        EXPECT_EQ(Text("edKoefKCh1"), QStringLiteral("7"));
        EXPECT_EQ(Text("edADRawOffsetCh1"), QStringLiteral("8"));
    }
}

TEST_F(CalibrationTest, AZeroReadingWithDecimalsGivesKButNoOffset) {
    Type(window, "edADRawOffsetCh1", "8");
    Type(window, "edADZerro", "512.5");
    Type(window, "edADFullScale", "4095");
    Type(window, "edVrednostPriFS", "100");
    Click(window, "btADCalcKN");
    EXPECT_EQ(Text("edKoefKCh1"), QStringLiteral("0.0279134682484299"));
    EXPECT_EQ(Text("edADRawOffsetCh1"), QStringLiteral("8"));
    EXPECT_EQ(Dialogs->texts(),
              QStringList{QStringLiteral("'512.5' is not a valid integer value")});
}

TEST_F(CalibrationTest, KIsWrittenInTheGeneralFormatOfTheLocale) {
    UseLocale(QLocale::German, QLocale::Germany);
    const std::pair<QString, QString> cases[] = {
        {"1", "0,0001"}, {"0,9", "9E-5"}, {"30000", "3"}, {"-1", "-0,0001"}};
    Type(window, "edADZerro", "0");
    Type(window, "edADFullScale", "10000");
    for (const auto& [value, k] : cases) {
        Type(window, "edVrednostPriFS", value);
        Click(window, "btADCalcKN");
        EXPECT_EQ(Text("edKoefKCh1"), k) << value.toStdString();
        EXPECT_EQ(Text("edADRawOffsetCh1"), QStringLiteral("0"));
    }
    EXPECT_TRUE(Dialogs->calls().empty());
}

}  // namespace
