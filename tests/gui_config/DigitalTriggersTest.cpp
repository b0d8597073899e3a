// The digital input triggers of the alarm window: the reply into the
// controls, the write request, and the delays it refuses.

#include <QCheckBox>
#include <QLineEdit>

#include <string>

#include "ConfigFixture.h"

namespace {

class DigitalTriggersTest : public ConfigFixture {
protected:
    void SetUp() override {
        ConfigFixture::SetUp();
        window = openWindow("TfrmAlarmi");
    }
    QCheckBox* box(const char* name) const { return control<QCheckBox>(window, name); }
    QString text(const char* name) const { return edit(window, name)->text(); }

    QWidget* window = nullptr;
};

// Which reply bit and byte carry which value is tested with the protocol's
// decoding; here each read replaces what the controls showed.
TEST_F(DigitalTriggersTest, ReadFillsTheControls) {
    struct Case {
        UnitDigitalTriggers stored;
        bool tr1, tr2, tr3, allEnabled;
        const char *t1, *t2, *t3;
    };
    const Case cases[] = {
        {{{0, 1, 0}, {5, 0, 200}, 1}, false, true, false, true, "5", "0", "200"},
        {{{1, 0, 1}, {0, 10, 255}, 1}, true, false, true, true, "0", "10", "255"},
        {{{0, 0, 0}, {1, 2, 3}, 2}, false, false, false, false, "1", "2", "3"},
        {{{0, 1, 0}, {9, 9, 9}, 0}, false, true, false, false, "9", "9", "9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.t1) + " " + c.t2 + " " + c.t3);
        unit().setDigitalTriggers(c.stored);
        platform.clearTranscript();
        click(window, "btnGetDINTrigers");
        settle();
        EXPECT_EQ(sentWith("00 47 41"), reportsHex({"00 47 41 44"}));
        EXPECT_EQ(box("cbDINTr1")->isChecked(), c.tr1);
        EXPECT_EQ(box("cbDINTr2")->isChecked(), c.tr2);
        EXPECT_EQ(box("cbDINTr3")->isChecked(), c.tr3);
        EXPECT_EQ(box("cbDinsAllEnabled")->isChecked(), c.allEnabled);
        EXPECT_EQ(text("edDebounceDelayDIN1"), QString::fromLatin1(c.t1));
        EXPECT_EQ(text("edDebounceDelayDIN2"), QString::fromLatin1(c.t2));
        EXPECT_EQ(text("edDebounceDelayDIN3"), QString::fromLatin1(c.t3));
    }
}

TEST_F(DigitalTriggersTest, WriteSendsEnablesDelaysAndTheAllFlag) {
    box("cbDINTr2")->setChecked(true);
    type(window, "edDebounceDelayDIN1", QStringLiteral("0"));
    type(window, "edDebounceDelayDIN2", QStringLiteral("25"));
    type(window, "edDebounceDelayDIN3", QStringLiteral("255"));

    click(window, "btnSetDINTrigers");
    settle();

    EXPECT_EQ(sentWith("00 53 41"), reportsHex({"00 53 41 44 00 01 00 00 19 FF 00"}));
    EXPECT_TRUE(dialogs->calls().empty());
    EXPECT_EQ(unit().digitalTriggers(), (UnitDigitalTriggers{{0, 1, 0}, {0, 25, 255}, 0}));
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
            type(window, name, QStringLiteral("10"));
        }
        type(window, c.edit, c.text);
        dialogs->clear();
        click(window, "btnSetDINTrigers");
        EXPECT_EQ(dialogs->texts(), QStringList{c.message});
        EXPECT_EQ(text(c.edit), c.text);
        if (c.focused) {
            EXPECT_EQ(window->focusWidget(), edit(window, c.edit));
            EXPECT_EQ(edit(window, c.edit)->selectedText(), c.text);
        }
    }
    settle();
    EXPECT_TRUE(sentWith("00 53 41").empty());
}

}  // namespace
