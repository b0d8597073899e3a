// The keys of the tool's windows, the grid's Tab, and where a window goes on
// a small screen.

#include "widgets/ScreenFit.h"
#include "widgets/TGrid.h"
#include "widgets/WindowKeys.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

TEST(WindowKeys, EnterClicksTheFocusedButtonAndEscapeClosesAToolWindow) {
    for (const bool toolWindow : {true, false}) {
        SCOPED_TRACE(toolWindow);
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* button = new QPushButton("Upiši");
        auto* check = new QCheckBox("Aktivan");
        auto* edit = new QLineEdit;
        layout->addWidget(button);
        layout->addWidget(check);
        layout->addWidget(edit);
        installWindowKeys(window, toolWindow);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QSignalSpy clicked(button, &QPushButton::clicked);

        button->setFocus();
        QTest::keyClick(button, Qt::Key_Return);
        QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
        QTest::keyClick(button, Qt::Key_Return, Qt::ControlModifier);
        EXPECT_EQ(clicked.count(), 2);
        check->setFocus();
        QTest::keyClick(check, Qt::Key_Return);
        EXPECT_TRUE(check->isChecked());
        // An edit's Enter is the edit's own.
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_EQ(clicked.count(), 2);
        button->setEnabled(false);
        QTest::keyClick(&window, Qt::Key_Return);
        EXPECT_EQ(clicked.count(), 2);

        QTest::keyClick(edit, Qt::Key_Escape);
        EXPECT_EQ(window.isVisible(), !toolWindow);
    }
}

TEST(TGrid, TabLeavesTheGridAndTheArrowsMoveInside) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* grid = new TGrid;
    grid->setColumnCount(3);
    grid->setRowCount(3);
    auto* after = new QLineEdit;
    layout->addWidget(grid);
    layout->addWidget(after);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    grid->setFocus();
    grid->setCurrentCell(0, 0);
    QTest::keyClick(grid, Qt::Key_Right);
    EXPECT_EQ(grid->currentColumn(), 1);
    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_TRUE(after->hasFocus());
    EXPECT_EQ(grid->currentColumn(), 1);
}

// The inside of a window and its frame (a title bar of 30) on a free area of
// 960 x 540 at 0, 0: kept whole on the screen, title bar first.
TEST(ScreenFit, AWindowIsMovedAndShrunkOntoTheFreeArea) {
    const QRect available(0, 0, 960, 540);
    const QMargins frame(4, 30, 4, 4);
    const struct {
        QRect window;
        QRect fitted;
    } cases[] = {
        // Fits where it is.
        {{100, 100, 400, 300}, {100, 100, 400, 300}},
        // The title bar above the screen, or the bottom below it.
        {{100, -50, 400, 300}, {100, 30, 400, 300}},
        {{100, 400, 400, 300}, {100, 236, 400, 300}},
        // Off at the left and at the right.
        {{-300, 100, 400, 300}, {4, 100, 400, 300}},
        {{900, 100, 400, 300}, {556, 100, 400, 300}},
        // Taller than the screen: as tall as it allows, title bar on it.
        {{100, -27, 604, 594}, {100, 30, 604, 506}},
        // One pixel too tall at 0: shrunk by that pixel.
        {{4, 30, 400, 507}, {4, 30, 400, 506}},
        {{4, 30, 953, 506}, {4, 30, 952, 506}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ScreenFit::fittedGeometry(c.window, frame, available), c.fitted) << c.window.y();
    }
    // On a second screen to the right, off its top.
    EXPECT_EQ(ScreenFit::fittedGeometry({1000, -10, 300, 200}, frame, {960, 0, 1366, 768}),
              QRect(1000, 30, 300, 200));
}

TEST(ScreenFit, AWindowsControlsMoveIntoAScrollAreaThatShowsThemAll) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* last = new QPushButton("Upiši");
    last->setObjectName("last");
    for (int i = 0; i < 20; ++i) {
        layout->addWidget(new QLineEdit);
    }
    layout->addWidget(last);
    ScreenFit::scrollContent(window);
    window.resize(300, 120);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto* area = window.findChild<QScrollArea*>();
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(window.findChild<QPushButton*>("last"), last);
    // Nothing squeezed: the controls keep their size and the area scrolls.
    EXPECT_GE(area->widget()->height(), area->widget()->minimumSizeHint().height());
    EXPECT_GT(area->verticalScrollBar()->maximum(), 0);
    area->ensureWidgetVisible(last);
    const QPoint shown = last->mapTo(area->viewport(), QPoint(0, 0));
    EXPECT_TRUE(area->viewport()->rect().contains(QRect(shown, last->size())));
}
