#include "widgets/TClickPanel.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

TEST(TClickPanel, EmitsClickedOnlyForALeftClickThatEndsInside) {
    TClickPanel panel;
    panel.setText("Upiši");
    panel.resize(80, 25);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    EXPECT_EQ(panel.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(panel.text(), QString("Upiši"));

    QSignalSpy clicked(&panel, &TClickPanel::clicked);
    const QPoint inside(40, 12);
    const QPoint outside(120, 12);

    QTest::mouseClick(&panel, Qt::LeftButton, {}, inside);
    EXPECT_EQ(clicked.count(), 1);

    QTest::mouseClick(&panel, Qt::RightButton, {}, inside);
    EXPECT_EQ(clicked.count(), 1);

    QTest::mousePress(&panel, Qt::LeftButton, {}, inside);
    QTest::mouseRelease(&panel, Qt::LeftButton, {}, outside);
    EXPECT_EQ(clicked.count(), 1);

    QTest::mouseRelease(&panel, Qt::LeftButton, {}, inside);  // no press before it
    EXPECT_EQ(clicked.count(), 1);

    panel.setEnabled(false);
    QTest::mouseClick(&panel, Qt::LeftButton, {}, inside);
    EXPECT_EQ(clicked.count(), 1);
}

TEST(TClickPanel, TakesTheFocusAndAnswersSpaceAndEnter) {
    TClickPanel panel;
    panel.resize(80, 25);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    EXPECT_EQ(panel.focusPolicy(), Qt::StrongFocus);
    QSignalSpy clicked(&panel, &TClickPanel::clicked);
    for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}) {
        QTest::keyClick(&panel, key);
    }
    QTest::keyClick(&panel, Qt::Key_A);
    EXPECT_EQ(clicked.count(), 3);
}
