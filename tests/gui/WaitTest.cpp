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
    void CountTicks() {
        QObject::connect(Control<QTimer>("Timer1"), &QTimer::timeout, &Main(), [this] { ++ticks; });
    }

    int ticks = 0;
};

}  // namespace

TEST_F(WaitTest, AWaitWithoutAcknowledgementEndsAfterTenTicks) {
    Start();
    CountTicks();
    const bool waitForOk = true;
    EXPECT_FALSE(Main().waitForAcknowledge(waitForOk));
    EXPECT_EQ(ticks, 10);
    EXPECT_EQ(Dialogs->texts(), QStringList{NoAnswer});
}

TEST_F(WaitTest, AWaitEndsWhenItsFlagIsCleared) {
    Start();
    CountTicks();
    bool waitForOk = true;
    QTimer::singleShot(250, &Main(), [&waitForOk] { waitForOk = false; });
    EXPECT_TRUE(Main().waitForAcknowledge(waitForOk));
    EXPECT_LT(ticks, 10);
    EXPECT_TRUE(Dialogs->texts().isEmpty());
}

// An acknowledgement handled in the same pass of the event loop as the tick
// that ends the countdown still counts as one.
TEST_F(WaitTest, AnAcknowledgementWithTheLastTickStillCounts) {
    Start();
    CountTicks();
    bool waitForOk = true;
    QObject::connect(Control<QTimer>("Timer1"), &QTimer::timeout, &Main(), [&] {
        if (ticks == 10) {
            waitForOk = false;
        }
    });
    EXPECT_TRUE(Main().waitForAcknowledge(waitForOk));
    EXPECT_EQ(ticks, 10);
    EXPECT_TRUE(Dialogs->texts().isEmpty());
}

// A second window's wait inside the first re-arms the shared countdown; when
// it times out, the first one times out at its next check, without a tick.
TEST_F(WaitTest, NestedWaitsShareTheCountdown) {
    Start();
    CountTicks();
    const bool outer = true;
    const bool inner = true;
    bool innerAcknowledged = true;
    int ticksWhenInnerEnded = -1;
    QTimer::singleShot(250, &Main(), [&] {
        innerAcknowledged = Main().waitForAcknowledge(inner);
        ticksWhenInnerEnded = ticks;
    });
    EXPECT_FALSE(Main().waitForAcknowledge(outer));
    EXPECT_FALSE(innerAcknowledged);
    EXPECT_GT(ticksWhenInnerEnded, 10);
    EXPECT_EQ(ticks, ticksWhenInnerEnded);
    EXPECT_EQ(Dialogs->texts(), (QStringList{NoAnswer, NoAnswer}));
}

// Acknowledgements carry no number: the first number's, arriving after its
// wait timed out, ends the wait for the second number.
TEST_F(WaitTest, ALateAcknowledgementEndsTheNextWaitOfItsWindow) {
    SimUnitDevice& unit = AddUnit("S1");
    unit.unit().behaviour().neverAcknowledge = true;
    Start();
    Control<QCheckBox>("cbGetStatusAuto")->setChecked(false);
    QWidget* numbers = Window("TfrmGSMNumbers");
    for (int k = 1; k <= 6; ++k) {
        Control<QLineEdit>(numbers, QStringLiteral("edGSMN%1").arg(k).toLatin1().constData())
            ->setText(QStringLiteral("06400000%1").arg(k));
    }

    // Due halfway through the second wait: each wait lasts 0.9 to 1 s.
    Platform.sendInput(unit.path(), reportOf("00 53 4E"), std::chrono::milliseconds(1500));
    Control<QPushButton>(numbers, "btGSMNWrite")->click();

    EXPECT_EQ(CountSent("00 53 4E"), 6);
    EXPECT_EQ(Dialogs->texts(), QStringList(5, NoAnswer));
}
