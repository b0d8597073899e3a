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
    void Open() {
        window = Window("TfrmDebug");
        ServiceFixture::Open(window);
    }
    QLineEdit* Edit(int n) const {
        return Control<QLineEdit>(window, QStringLiteral("sEdit%1").arg(n).toLatin1().constData());
    }
    QStringList Values() const {
        QStringList values;
        for (int n : {1, 2, 3, 4, 5, 6, 7, 9}) {
            values << Edit(n)->text();
        }
        return values;
    }

    QWidget* window = nullptr;
};

TEST_F(DebugTest, ShowsTheStateValuesOfEachStatusReply) {
    StartWithUnit();
    Open();
    // Status bytes 55 to 61 and 64.
    Unit().live().stateValues = {5, 1, 2, 3, 4, 6, 7, 255};
    ASSERT_TRUE(PumpUntil([&] { return Edit(9)->text() == "255"; }));
    EXPECT_EQ(Values(), QStringList({"5", "1", "2", "3", "4", "6", "7", "255"}));
    EXPECT_EQ(Edit(8)->text(), "STATE_GSM_SIGNAL");

    Unit().live().stateValues = {0, 1, 2, 3, 4, 6, 7, 0};
    ASSERT_TRUE(PumpUntil([&] { return Edit(1)->text() == "0"; }));
    EXPECT_EQ(Edit(8)->text(), "STATE_GSM_SIGNAL");
}

TEST_F(DebugTest, NamesTheStateTypedIntoTheFirstEdit) {
    Start();
    Open();
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
        Edit(1)->clear();
        QTest::keyClicks(Edit(1), QString::fromLatin1(c.typed));
        EXPECT_EQ(Edit(8)->text(), QLatin1String(c.name)) << '"' << c.typed << '"';
    }
}

TEST_F(DebugTest, SendsTheTestSmsOnlyWhenConfirmed) {
    StartWithUnit();
    Open();
    auto* button = Control<QPushButton>(window, "btSendSMS");
    EXPECT_EQ(button->toolTip(), "Na sve upisane brojeve telefona salje TEST SMS poruku");

    Dialogs->answer(DialogService::Answer::No);
    QTest::mouseClick(button, Qt::LeftButton);
    Settle();
    EXPECT_TRUE(SentWith("00 53 54").empty());

    Dialogs->answer(DialogService::Answer::Yes);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(SentWith("00 53 54"), reportsHex({"00 53 54 53"}));
    ASSERT_EQ(Dialogs->calls().size(), 2u);
    for (const auto& call : Dialogs->calls()) {
        EXPECT_EQ(call.kind, ScriptedDialogService::Kind::Confirm);
        EXPECT_EQ(call.text, TestSmsQuestion);
    }
}

TEST_F(DebugTest, AsksButSendsNothingWithoutAUnit) {
    Start();
    Open();
    Dialogs->answer(DialogService::Answer::Yes);
    QTest::mouseClick(Control<QPushButton>(window, "btSendSMS"), Qt::LeftButton);
    EXPECT_EQ(Dialogs->texts(), QStringList{TestSmsQuestion});
    EXPECT_TRUE(Sent().empty());
}

}  // namespace
