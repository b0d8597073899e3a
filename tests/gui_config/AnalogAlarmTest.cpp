// The analog alarm thresholds of the alarm window: fixed-point limits in the
// user's locale, the range checks, the maximum-above-minimum check, and the
// reply into the controls.

#include <QCheckBox>
#include <QLineEdit>

#include "ConfigFixture.h"

namespace {

class AnalogAlarmTest : public ConfigFixture {
protected:
    void SetUp() override {
        ConfigFixture::SetUp();
        window = OpenWindow("TfrmAlarmi");
    }
    void Fill(const QString& maximum, const QString& minimum, const QString& repeat = "300",
              const QString& count = "3") {
        Type(window, "edANAlarmMaxVal", maximum);
        Type(window, "edANAlarmMinVal", minimum);
        Type(window, "edANVremePonavljanja", repeat);
        Type(window, "edMaxSMSForSendind", count);
    }
    void Write() {
        Dialogs->clear();
        Click(window, "btSetAnalogAlarmSettings");
    }
    void Read() {
        Click(window, "btGetAnalogAlarmSettings");
        Settle();
    }
    QCheckBox* Box(const char* name) const { return Control<QCheckBox>(window, name); }
    QString Text(const char* name) const { return Edit(window, name)->text(); }

    QWidget* window = nullptr;
};

TEST_F(AnalogAlarmTest, WriteSendsTheLimitsTimes10000) {
    struct Case {
        QString maximum, minimum;
        std::string sent;
    };
    const Case cases[] = {
        {"12.5", "-3", "00 53 41 41 00 01 E8 48 FF FF 8A D0 01 2C 03 01 00"},
        {"1.0001", "1", "00 53 41 41 00 00 27 11 00 00 27 10 01 2C 03 01 00"},
        {"214748.3647", "-214748.3648", "00 53 41 41 7F FF FF FF 80 00 00 00 01 2C 03 01 00"},
    };
    Box("cbAN1AlarmOn")->setChecked(true);
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        Fill(c.maximum, c.minimum);
        Write();
        EXPECT_TRUE(Dialogs->calls().empty()) << c.maximum.toStdString();
        expected.push_back(reportHex(c.sent));
    }
    Box("cbAN1AlarmOn")->setChecked(false);
    Box("cbCustomANAlarmSMSs")->setChecked(true);
    Fill("0.0001", "0", "65535", "255");
    Write();
    expected.push_back(reportHex("00 53 41 41 00 00 00 01 00 00 00 00 FF FF FF 00 01"));
    Settle();
    EXPECT_EQ(SentWith("00 53 41"), expected);
    EXPECT_EQ(Unit().analogAlarm(), (UnitAnalogAlarm{1, 0, 65535, 255, 0, 1}));
}

TEST_F(AnalogAlarmTest, TheMaximumMustLieAboveTheMinimum) {
    const std::pair<QString, QString> cases[] = {
        {"1.00004", "1.00003"}, {"5", "5"}, {"-1", "2"}, {"0.00005", "0"}};
    for (const auto& [maximum, minimum] : cases) {
        Fill(maximum, minimum);
        Write();
        EXPECT_EQ(Dialogs->texts(),
                  QStringList{QStringLiteral("Maximalna vrednost mora biti VECA od Minimalne!")})
            << maximum.toStdString();
        EXPECT_EQ(Text("edANAlarmMaxVal"), maximum);
    }
    Settle();
    EXPECT_TRUE(SentWith("00 53 41").empty());
}

TEST_F(AnalogAlarmTest, NumbersThatDoNotFitOrAreNoNumbersAreRefused) {
    struct Case {
        const char* edit;
        QString text;
        QString message;
    };
    const Case cases[] = {
        {"edANVremePonavljanja", "70000", "Vrednost mora biti u granicama od 0 do 65535!"},
        {"edMaxSMSForSendind", "256", "Vrednost mora biti u granicama od 0 do 255!"},
        {"edANAlarmMaxVal", "214748.3648",
         "Vrednost mora biti u granicama od -214748.3648 do 214748.3647!"},
        {"edANAlarmMinVal", "-214748.3649",
         "Vrednost mora biti u granicama od -214748.3648 do 214748.3647!"},
        {"edANAlarmMinVal", "abc", "'abc' is not a valid floating point value"},
        {"edANAlarmMaxVal", "1,000.5", "'1,000.5' is not a valid floating point value"},
        {"edANAlarmMaxVal", "", "'' is not a valid floating point value"},
        {"edANVremePonavljanja", "", "'' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        Fill("10", "1");
        Type(window, c.edit, c.text);
        Write();
        EXPECT_EQ(Dialogs->texts(), QStringList{c.message}) << c.text.toStdString();
        EXPECT_EQ(Text(c.edit), c.text);
    }
    Settle();
    EXPECT_TRUE(SentWith("00 53 41").empty());
}

TEST_F(AnalogAlarmTest, ReadShowsTheSettingsOfTheUnit) {
    Unit().setAnalogAlarm({-1, -30000, 300, 5, 7, 1});
    Read();
    EXPECT_EQ(SentWith("00 47 41"), reportsHex({"00 47 41 41"}));
    EXPECT_EQ(Text("edANAlarmMaxVal"), QStringLiteral("-0.0001"));
    EXPECT_EQ(Text("edANAlarmMinVal"), QStringLiteral("-3.0000"));
    EXPECT_EQ(Text("edANVremePonavljanja"), QStringLiteral("300"));
    EXPECT_EQ(Text("edMaxSMSForSendind"), QStringLiteral("5"));
    EXPECT_TRUE(Box("cbAN1AlarmOn")->isChecked());
    EXPECT_TRUE(Box("cbCustomANAlarmSMSs")->isChecked());

    // 2 in the user-texts byte says nothing: the check box stays as it was.
    Unit().setAnalogAlarm({125000, 0, 0, 0, 0, 2});
    Read();
    EXPECT_EQ(Text("edANAlarmMaxVal"), QStringLiteral("12.5000"));
    EXPECT_EQ(Text("edANAlarmMinVal"), QStringLiteral("0.0000"));
    EXPECT_FALSE(Box("cbAN1AlarmOn")->isChecked());
    EXPECT_TRUE(Box("cbCustomANAlarmSMSs")->isChecked());

    Unit().setAnalogAlarm({125000, 0, 0, 0, 0, 0});
    Read();
    EXPECT_FALSE(Box("cbCustomANAlarmSMSs")->isChecked());
}

TEST_F(AnalogAlarmTest, ACommaLocaleReadsAndShowsCommas) {
    UseLocale(QLocale::German, QLocale::Germany);
    Unit().setAnalogAlarm({125000, -1, 0, 0, 0, 0});
    Read();
    EXPECT_EQ(Text("edANAlarmMaxVal"), QStringLiteral("12,5000"));
    EXPECT_EQ(Text("edANAlarmMinVal"), QStringLiteral("-0,0001"));

    Fill("12,5", "-3");
    Write();
    EXPECT_TRUE(Dialogs->calls().empty());
    Fill("12.5", "-3");
    Write();
    EXPECT_EQ(Dialogs->texts(),
              QStringList{QStringLiteral("'12.5' is not a valid floating point value")});
    Fill("10", "1", "70000");
    Write();
    EXPECT_EQ(Dialogs->texts(),
              QStringList{QStringLiteral("Vrednost mora biti u granicama od 0 do 65535!")});
    Type(window, "edANAlarmMaxVal", "300000");
    Write();
    EXPECT_EQ(Dialogs->texts(),
              QStringList{QStringLiteral(
                  "Vrednost mora biti u granicama od -214748,3648 do 214748,3647!")});
    Settle();
    EXPECT_EQ(SentWith("00 53 41"),
              reportsHex({"00 53 41 41 00 01 E8 48 FF FF 8A D0 01 2C 03 00 00"}));
}

}  // namespace
