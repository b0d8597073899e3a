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
        window = openWindow("TfrmAlarmi");
    }
    void fill(const QString& maximum, const QString& minimum, const QString& repeat = "300",
              const QString& count = "3") {
        type(window, "edANAlarmMaxVal", maximum);
        type(window, "edANAlarmMinVal", minimum);
        type(window, "edANVremePonavljanja", repeat);
        type(window, "edMaxSMSForSendind", count);
    }
    void write() {
        dialogs->clear();
        click(window, "btSetAnalogAlarmSettings");
    }
    void read() {
        click(window, "btGetAnalogAlarmSettings");
        settle();
    }
    QCheckBox* box(const char* name) const { return control<QCheckBox>(window, name); }
    QString text(const char* name) const { return edit(window, name)->text(); }

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
    box("cbAN1AlarmOn")->setChecked(true);
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        fill(c.maximum, c.minimum);
        write();
        EXPECT_TRUE(dialogs->calls().empty()) << c.maximum.toStdString();
        expected.push_back(reportHex(c.sent));
    }
    box("cbAN1AlarmOn")->setChecked(false);
    box("cbCustomANAlarmSMSs")->setChecked(true);
    fill("0.0001", "0", "65535", "255");
    write();
    expected.push_back(reportHex("00 53 41 41 00 00 00 01 00 00 00 00 FF FF FF 00 01"));
    settle();
    EXPECT_EQ(sentWith("00 53 41"), expected);
    EXPECT_EQ(unit().analogAlarm(), (UnitAnalogAlarm{1, 0, 65535, 255, 0, 1}));
}

TEST_F(AnalogAlarmTest, TheMaximumMustLieAboveTheMinimum) {
    const std::pair<QString, QString> cases[] = {
        {"1.00004", "1.00003"}, {"5", "5"}, {"-1", "2"}, {"0.00005", "0"}};
    for (const auto& [maximum, minimum] : cases) {
        fill(maximum, minimum);
        write();
        EXPECT_EQ(dialogs->texts(),
                  QStringList{QStringLiteral("Maximalna vrednost mora biti VECA od Minimalne!")})
            << maximum.toStdString();
        EXPECT_EQ(text("edANAlarmMaxVal"), maximum);
    }
    settle();
    EXPECT_TRUE(sentWith("00 53 41").empty());
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
        fill("10", "1");
        type(window, c.edit, c.text);
        write();
        EXPECT_EQ(dialogs->texts(), QStringList{c.message}) << c.text.toStdString();
        EXPECT_EQ(text(c.edit), c.text);
    }
    settle();
    EXPECT_TRUE(sentWith("00 53 41").empty());
}

TEST_F(AnalogAlarmTest, ReadShowsTheSettingsOfTheUnit) {
    unit().setAnalogAlarm({-1, -30000, 300, 5, 7, 1});
    read();
    EXPECT_EQ(sentWith("00 47 41"), reportsHex({"00 47 41 41"}));
    EXPECT_EQ(text("edANAlarmMaxVal"), QStringLiteral("-0.0001"));
    EXPECT_EQ(text("edANAlarmMinVal"), QStringLiteral("-3.0000"));
    EXPECT_EQ(text("edANVremePonavljanja"), QStringLiteral("300"));
    EXPECT_EQ(text("edMaxSMSForSendind"), QStringLiteral("5"));
    EXPECT_TRUE(box("cbAN1AlarmOn")->isChecked());
    EXPECT_TRUE(box("cbCustomANAlarmSMSs")->isChecked());

    // 2 in the user-texts byte says nothing: the check box stays as it was.
    unit().setAnalogAlarm({125000, 0, 0, 0, 0, 2});
    read();
    EXPECT_EQ(text("edANAlarmMaxVal"), QStringLiteral("12.5000"));
    EXPECT_EQ(text("edANAlarmMinVal"), QStringLiteral("0.0000"));
    EXPECT_FALSE(box("cbAN1AlarmOn")->isChecked());
    EXPECT_TRUE(box("cbCustomANAlarmSMSs")->isChecked());

    unit().setAnalogAlarm({125000, 0, 0, 0, 0, 0});
    read();
    EXPECT_FALSE(box("cbCustomANAlarmSMSs")->isChecked());
}

TEST_F(AnalogAlarmTest, ACommaLocaleReadsAndShowsCommas) {
    useLocale(QLocale::German, QLocale::Germany);
    unit().setAnalogAlarm({125000, -1, 0, 0, 0, 0});
    read();
    EXPECT_EQ(text("edANAlarmMaxVal"), QStringLiteral("12,5000"));
    EXPECT_EQ(text("edANAlarmMinVal"), QStringLiteral("-0,0001"));

    fill("12,5", "-3");
    write();
    EXPECT_TRUE(dialogs->calls().empty());
    fill("12.5", "-3");
    write();
    EXPECT_EQ(dialogs->texts(),
              QStringList{QStringLiteral("'12.5' is not a valid floating point value")});
    fill("10", "1", "70000");
    write();
    EXPECT_EQ(dialogs->texts(),
              QStringList{QStringLiteral("Vrednost mora biti u granicama od 0 do 65535!")});
    type(window, "edANAlarmMaxVal", "300000");
    write();
    EXPECT_EQ(dialogs->texts(),
              QStringList{QStringLiteral(
                  "Vrednost mora biti u granicama od -214748,3648 do 214748,3647!")});
    settle();
    EXPECT_EQ(sentWith("00 53 41"),
              reportsHex({"00 53 41 41 00 01 E8 48 FF FF 8A D0 01 2C 03 00 00"}));
}

}  // namespace
