// The debug window: the state values of the status reply, the name of the
// main state, and the test SMS.

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "ServiceFixture.h"

namespace {

const QString TestSmsQuestion =
    QStringLiteral("Da li zaista zelite da posaljete na sve upisane brojeve TEST SMS poruku?");

class DebugTest : public ServiceFixture {
protected:
    void open() {
        window = windowOf("TfrmDebug");
        ServiceFixture::open(window);
    }
    QLineEdit* edit(int n) const {
        return control<QLineEdit>(window, QStringLiteral("sEdit%1").arg(n).toLatin1().constData());
    }
    QStringList values() const {
        QStringList texts;
        for (int n : {1, 2, 3, 4, 5, 6, 7, 9}) {
            texts << edit(n)->text();
        }
        return texts;
    }

    QWidget* window = nullptr;
};

TEST_F(DebugTest, ShowsTheStateValuesOfEachStatusReply) {
    startWithUnit();
    open();
    // Status bytes 55 to 61 and 64.
    unit().live().stateValues = {5, 1, 2, 3, 4, 6, 7, 255};
    ASSERT_TRUE(pumpUntil([&] { return edit(9)->text() == "255"; }));
    EXPECT_EQ(values(), QStringList({"5", "1", "2", "3", "4", "6", "7", "255"}));
    EXPECT_EQ(edit(8)->text(), "STATE_GSM_SIGNAL");

    unit().live().stateValues = {0, 1, 2, 3, 4, 6, 7, 0};
    ASSERT_TRUE(pumpUntil([&] { return edit(1)->text() == "0"; }));
    EXPECT_EQ(edit(8)->text(), "STATE_GSM_SIGNAL");
}

TEST_F(DebugTest, NamesTheStateTypedIntoTheFirstEdit) {
    start();
    open();
    struct Case {
        const char* typed;
        const char* name;
    };
    // A text that is no state number leaves the name as it was.
    const std::vector<Case> cases = {
        {"12", "STATE_GPRS_TRY_RECONNECT"},
        {"012", "STATE_GPRS_TRY_RECONNECT"},
        {"1", "STATE_START"},
        {"17", "STATE_START"},
        {"16", "STATE_GSM_WAIT_FOR_CALL"},
        {"0", "STATE_GSM_WAIT_FOR_CALL"},
        {"", "STATE_GSM_WAIT_FOR_CALL"},
        {" 9", "STATE_GSM_WAIT_FOR_CALL"},
        {"9", "STATE_GSM_SIM_CARD"},
    };
    for (const Case& c : cases) {
        edit(1)->clear();
        QTest::keyClicks(edit(1), QString::fromLatin1(c.typed));
        EXPECT_EQ(edit(8)->text(), QLatin1String(c.name)) << '"' << c.typed << '"';
    }
}

TEST_F(DebugTest, SendsTheTestSmsOnlyWhenConfirmed) {
    startWithUnit();
    open();
    auto* button = control<QPushButton>(window, "btSendSMS");
    EXPECT_EQ(button->toolTip(), "Na sve upisane brojeve telefona salje TEST SMS poruku");

    dialogs->answer(DialogService::Answer::No);
    QTest::mouseClick(button, Qt::LeftButton);
    settle();
    EXPECT_TRUE(sentWith("00 53 54").empty());

    dialogs->answer(DialogService::Answer::Yes);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(sentWith("00 53 54"), reportsHex({"00 53 54 53"}));
    ASSERT_EQ(dialogs->calls().size(), 2u);
    for (const auto& call : dialogs->calls()) {
        EXPECT_EQ(call.kind, ScriptedDialogService::Kind::WarningYesNo);
        EXPECT_EQ(call.text, TestSmsQuestion);
    }
}

TEST_F(DebugTest, AsksButSendsNothingWithoutAUnit) {
    start();
    open();
    dialogs->answer(DialogService::Answer::Yes);
    QTest::mouseClick(control<QPushButton>(window, "btSendSMS"), Qt::LeftButton);
    EXPECT_EQ(dialogs->texts(), QStringList{TestSmsQuestion});
    EXPECT_TRUE(sent().empty());
}

}  // namespace
