// The acknowledgement wait, on the real 100 ms timer.

#include "AppFixture.h"
#include "QtPrinters.h"
#include "main/DevReader.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <chrono>

namespace {

const QString NoAnswer = "Nema odgovora iz uredjaja!";

class WaitTest : public AppFixture {
protected:
    // Counts the ticks of the main window's timer from now on.
    void countTicks() {
        QObject::connect(control<QTimer>("Timer1"), &QTimer::timeout, &mainForm(),
                         [this] { ++ticks; });
    }

    int ticks = 0;
};

}  // namespace

TEST_F(WaitTest, AWaitWithoutAcknowledgementEndsAfterTenTicks) {
    start();
    countTicks();
    const bool waitForOk = true;
    EXPECT_FALSE(mainForm().waitForAcknowledge(waitForOk));
    EXPECT_EQ(ticks, 10);
    EXPECT_EQ(dialogs->texts(), QStringList{NoAnswer});
}

TEST_F(WaitTest, AWaitEndsWhenItsFlagIsCleared) {
    start();
    countTicks();
    bool waitForOk = true;
    QTimer::singleShot(250, &mainForm(), [&waitForOk] { waitForOk = false; });
    EXPECT_TRUE(mainForm().waitForAcknowledge(waitForOk));
    EXPECT_LT(ticks, 10);
    EXPECT_TRUE(dialogs->texts().isEmpty());
}

// An acknowledgement handled in the same pass of the event loop as the tick
// that ends the countdown still counts as one.
TEST_F(WaitTest, AnAcknowledgementWithTheLastTickStillCounts) {
    start();
    countTicks();
    bool waitForOk = true;
    QObject::connect(control<QTimer>("Timer1"), &QTimer::timeout, &mainForm(), [&] {
        if (ticks == 10) {
            waitForOk = false;
        }
    });
    EXPECT_TRUE(mainForm().waitForAcknowledge(waitForOk));
    EXPECT_EQ(ticks, 10);
    EXPECT_TRUE(dialogs->texts().isEmpty());
}

// A second window's wait inside the first re-arms the shared countdown; when
// it times out, the first one times out at its next check, without a tick.
TEST_F(WaitTest, NestedWaitsShareTheCountdown) {
    start();
    countTicks();
    const bool outer = true;
    const bool inner = true;
    bool innerAcknowledged = true;
    int ticksWhenInnerEnded = -1;
    QTimer::singleShot(250, &mainForm(), [&] {
        innerAcknowledged = mainForm().waitForAcknowledge(inner);
        ticksWhenInnerEnded = ticks;
    });
    EXPECT_FALSE(mainForm().waitForAcknowledge(outer));
    EXPECT_FALSE(innerAcknowledged);
    EXPECT_GT(ticksWhenInnerEnded, 10);
    EXPECT_EQ(ticks, ticksWhenInnerEnded);
    EXPECT_EQ(dialogs->texts(), (QStringList{NoAnswer, NoAnswer}));
}

// Acknowledgements carry no number: the first number's, arriving after its
// wait timed out, ends the wait for the second number.
TEST_F(WaitTest, ALateAcknowledgementEndsTheNextWaitOfItsWindow) {
    SimUnitDevice& unit = addUnit("S1");
    unit.unit().behaviour().neverAcknowledge = true;
    start();
    control<QCheckBox>("cbGetStatusAuto")->setChecked(false);
    QWidget* numbers = windowOf("TfrmGSMNumbers");
    for (int k = 1; k <= 6; ++k) {
        control<QLineEdit>(numbers, QStringLiteral("edGSMN%1").arg(k).toLatin1().constData())
            ->setText(QStringLiteral("06400000%1").arg(k));
    }

    // Due halfway through the second wait: each wait lasts 0.9 to 1 s.
    platform.sendInput(unit.path(), reportOf("00 53 4E"), std::chrono::milliseconds(1500));
    control<QPushButton>(numbers, "btGSMNWrite")->click();

    EXPECT_EQ(countSent("00 53 4E"), 6);
    EXPECT_EQ(dialogs->texts(), QStringList(5, NoAnswer));
}
