#include "widgets/TGrid.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

#include <memory>

namespace {

// A shown 100 x 3 grid, like the phonebook's, that logs its reports in order.
class TGridTest : public testing::Test {
protected:
    void SetUp() override {
        grid = std::make_unique<TGrid>();
        grid->setColumnCount(3);
        grid->setRowCount(100);
        grid->setGutterWidth(40);
        for (int col = 0; col < 3; ++col) {
            grid->setColumnWidth(col, 100);
        }
        grid->resize(300, 300);
        QObject::connect(grid.get(), &TGrid::colRowChanged, [this](int col, int row) {
            log.push_back(QStringLiteral("cell %1,%2").arg(col).arg(row));
        });
        QObject::connect(grid.get(), &TGrid::gutterClicked,
                         [this](int row) { log.push_back(QStringLiteral("gutter %1").arg(row)); });
        grid->show();
        grid->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(grid.get()));
    }

    QPoint cellCentre(int col, int row) {
        return grid->visualRect(grid->model()->index(row, col)).center();
    }

    void clickCell(int col, int row) {
        grid->scrollTo(grid->model()->index(row, col));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCentre(col, row));
    }

    void clickGutter(int row) {
        grid->scrollTo(
            grid->model()->index(row, grid->currentColumn() < 0 ? 0 : grid->currentColumn()));
        QHeaderView* gutter = grid->verticalHeader();
        const QPoint at(gutter->width() / 2,
                        gutter->sectionViewportPosition(row) + gutter->sectionSize(row) / 2);
        QTest::mouseClick(gutter->viewport(), Qt::LeftButton, {}, at);
    }

    QStringList takeLog() { return std::exchange(log, {}); }

    std::unique_ptr<TGrid> grid;
    QStringList log;
};

}  // namespace

TEST_F(TGridTest, CellsAreAddressedByColumnThenRow) {
    grid->setCell(2, 5, "AKTIVAN");
    grid->setCell(0, 99, "0641234567");
    grid->setCell(0, 99, "0649999999");  // overwrites in place
    grid->setCell(3, 0, "beyond the columns");
    grid->setCell(0, 100, "beyond the rows");
    grid->setCell(-1, 0, "before the first");

    EXPECT_EQ(grid->cell(2, 5), QString("AKTIVAN"));
    EXPECT_EQ(grid->item(5, 2)->text(), QString("AKTIVAN"));
    EXPECT_EQ(grid->cell(0, 99), QString("0649999999"));
    EXPECT_EQ(grid->cell(1, 5), QString());
    EXPECT_EQ(grid->cell(3, 0), QString());
    EXPECT_EQ(grid->cell(0, 100), QString());
    EXPECT_EQ(grid->rowCount(), 100);
    // The gutter numbers the rows from 1.
    EXPECT_EQ(grid->model()->headerData(11, Qt::Vertical).toString(), QString("12"));

    grid->setCells(1, 98, {{"a", "b", "c"}, {"d"}});
    EXPECT_EQ(grid->cell(1, 98), QString("a"));
    EXPECT_EQ(grid->cell(2, 98), QString("b"));
    EXPECT_EQ(grid->cell(1, 99), QString("d"));
    EXPECT_EQ(grid->cell(0, 99), QString("0649999999"));
    EXPECT_TRUE(grid->updatesEnabled());
    EXPECT_TRUE(log.isEmpty()) << log.join(", ").toStdString();
}

TEST_F(TGridTest, ReportsEachNewCurrentCellHoweverItMoved) {
    // Showing and focusing the grid made no cell current, so the first
    // cell is reported like any other.
    clickCell(0, 0);
    EXPECT_EQ(takeLog(), QStringList{"cell 0,0"});

    clickCell(1, 4);
    EXPECT_EQ(takeLog(), QStringList{"cell 1,4"});

    clickCell(1, 4);  // already current
    EXPECT_EQ(takeLog(), QStringList{});

    const struct {
        Qt::Key key;
        const char* report;
    } keys[] = {{Qt::Key_Down, "cell 1,5"},
                {Qt::Key_Right, "cell 2,5"},
                {Qt::Key_Up, "cell 2,4"},
                {Qt::Key_Home, "cell 0,4"}};
    for (const auto& k : keys) {
        QTest::keyClick(grid.get(), k.key);
        EXPECT_EQ(takeLog(), QStringList{k.report}) << k.report;
    }

    grid->setCurrentCell(50, 2);
    EXPECT_EQ(takeLog(), QStringList{"cell 2,50"});
}

TEST_F(TGridTest, GutterClickMakesColumnZeroCurrentThenReportsTheClick) {
    clickCell(2, 3);
    takeLog();

    clickGutter(11);
    EXPECT_EQ(takeLog(), (QStringList{"cell 0,11", "gutter 11"}));
    EXPECT_EQ(grid->currentRow(), 11);
    EXPECT_EQ(grid->currentColumn(), 0);
    const auto selected = grid->selectionModel()->selectedIndexes();
    EXPECT_EQ(selected.size(), 3);
    for (const QModelIndex& index : selected) {
        EXPECT_EQ(index.row(), 11);
    }

    // The same gutter again: no new current cell, but the click is reported.
    clickGutter(11);
    EXPECT_EQ(takeLog(), QStringList{"gutter 11"});
}

TEST_F(TGridTest, GutterClickReportsColumnZeroOnceWhenScrolledSideways) {
    grid->resize(160, 300);  // narrower than its columns
    clickCell(2, 7);
    ASSERT_GT(grid->horizontalScrollBar()->value(), 0);
    takeLog();

    clickGutter(20);
    EXPECT_EQ(takeLog(), (QStringList{"cell 0,20", "gutter 20"}));
}

TEST_F(TGridTest, TypingIntoACellChangesOnlyThatCell) {
    grid->setCell(1, 6, "staro");
    clickCell(1, 6);
    takeLog();

    QTest::keyClick(grid.get(), Qt::Key_F2);
    auto* editor = grid->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "novo");
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();  // the delegate commits by a queued call

    EXPECT_EQ(grid->cell(1, 6), QString("novo"));
    EXPECT_EQ(grid->cell(0, 6), QString());
    EXPECT_EQ(grid->cell(1, 5), QString());
    EXPECT_EQ(grid->currentRow(), 6);
    EXPECT_EQ(grid->currentColumn(), 1);
}
