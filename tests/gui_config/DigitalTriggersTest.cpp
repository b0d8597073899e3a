// The digital input triggers of the alarm window: the reply into the
// controls, the write request, and the delays it refuses.

#include <QCheckBox>
#include <QLineEdit>

#include "ConfigFixture.h"

namespace {

class DigitalTriggersTest : public ConfigFixture {
protected:
    void SetUp() override {
        ConfigFixture::SetUp();
        window = OpenWindow("TfrmAlarmi");
    }
    QCheckBox* Box(const char* name) const { return Control<QCheckBox>(window, name); }
    QString Text(const char* name) const { return Edit(window, name)->text(); }

    QWidget* window = nullptr;
};

TEST_F(DigitalTriggersTest, ReadFillsTheControls) {
    Unit().setDigitalTriggers({{0, 1, 0}, {5, 0, 200}, 1});
    Click(window, "btnGetDINTrigers");
    ASSERT_TRUE(PumpUntil([&] { return Text("edDebounceDelayDIN3") == QStringLiteral("200"); }));
    EXPECT_EQ(SentWith("00 47 41"), reportsHex({"00 47 41 44"}));
    EXPECT_FALSE(Box("cbDINTr1")->isChecked());
    EXPECT_TRUE(Box("cbDINTr2")->isChecked());
    EXPECT_FALSE(Box("cbDINTr3")->isChecked());
    EXPECT_EQ(Text("edDebounceDelayDIN1"), QStringLiteral("5"));
    EXPECT_EQ(Text("edDebounceDelayDIN2"), QStringLiteral("0"));
    EXPECT_TRUE(Box("cbDinsAllEnabled")->isChecked());
}

TEST_F(DigitalTriggersTest, RepliesAreReadBitByBit) {
    struct Case {
        const char* reply;  // the enable bits, the three delays, the "all" flag
        bool tr1, tr2, tr3, allEnabled;
        const char *t1, *t2, *t3;
    };
    const Case cases[] = {
        {"00 47 41 00 44 05 00 0A FF 01", true, false, true, true, "0", "10", "255"},
        {"00 47 41 00 44 F8 01 02 03 02", false, false, false, false, "1", "2", "3"},
        {"00 47 41 00 44 02 09 09 09 00", false, true, false, false, "9", "9", "9"},
    };
    for (const Case& c : cases) {
        Inject(reportOf(c.reply));
        Settle();
        SCOPED_TRACE(c.reply);
        EXPECT_EQ(Box("cbDINTr1")->isChecked(), c.tr1);
        EXPECT_EQ(Box("cbDINTr2")->isChecked(), c.tr2);
        EXPECT_EQ(Box("cbDINTr3")->isChecked(), c.tr3);
        EXPECT_EQ(Box("cbDinsAllEnabled")->isChecked(), c.allEnabled);
        EXPECT_EQ(Text("edDebounceDelayDIN1"), QString::fromLatin1(c.t1));
        EXPECT_EQ(Text("edDebounceDelayDIN2"), QString::fromLatin1(c.t2));
        EXPECT_EQ(Text("edDebounceDelayDIN3"), QString::fromLatin1(c.t3));
    }
}

TEST_F(DigitalTriggersTest, WriteSendsEnablesDelaysAndTheAllFlag) {
    Box("cbDINTr2")->setChecked(true);
    Type(window, "edDebounceDelayDIN1", QStringLiteral("0"));
    Type(window, "edDebounceDelayDIN2", QStringLiteral("25"));
    Type(window, "edDebounceDelayDIN3", QStringLiteral("255"));

    Click(window, "btnSetDINTrigers");
    Settle();

    EXPECT_EQ(SentWith("00 53 41"), reportsHex({"00 53 41 44 00 01 00 00 19 FF 00"}));
    EXPECT_TRUE(Dialogs->calls().empty());
    EXPECT_EQ(Unit().digitalTriggers(), (UnitDigitalTriggers{{0, 1, 0}, {0, 25, 255}, 0}));
}

TEST_F(DigitalTriggersTest, ADelayThatIsNoByteIsRefused) {
    struct Case {
        const char* edit;
        QString text;
        QString message;
        bool focused;
    };
    const QString range = QStringLiteral("Vrednost mora biti u granicama od 0 do 255!");
    const Case cases[] = {
        {"edDebounceDelayDIN1", QString(), QStringLiteral("'' is not a valid integer value"),
         false},
        {"edDebounceDelayDIN2", QStringLiteral("300"), range, true},
        {"edDebounceDelayDIN3", QStringLiteral("-1"), range, true},
        {"edDebounceDelayDIN2", QStringLiteral("2.5"),
         QStringLiteral("'2.5' is not a valid integer value"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        for (const char* name :
             {"edDebounceDelayDIN1", "edDebounceDelayDIN2", "edDebounceDelayDIN3"}) {
            Type(window, name, QStringLiteral("10"));
        }
        Type(window, c.edit, c.text);
        Dialogs->clear();
        Click(window, "btnSetDINTrigers");
        EXPECT_EQ(Dialogs->texts(), QStringList{c.message});
        EXPECT_EQ(Text(c.edit), c.text);
        if (c.focused) {
            EXPECT_EQ(window->focusWidget(), Edit(window, c.edit));
            EXPECT_EQ(Edit(window, c.edit)->selectedText(), c.text);
        }
    }
    Settle();
    EXPECT_TRUE(SentWith("00 53 41").empty());
}

}  // namespace
