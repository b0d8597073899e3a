#pragma once

#include <QList>
#include <QStringList>
#include <QTableWidget>

// A grid of text cells addressed by column and row, both from 0, with a
// gutter (the vertical header) that numbers the rows from 1. Row and column
// counts and widths are QTableWidget's own (setRowCount, setColumnCount,
// setColumnWidth). Cells are editable; an edit changes only the grid.
//
// colRowChanged(col, row) is emitted whenever the current cell becomes a
// different valid cell, whatever moved it: a click on a cell, on a row's
// gutter or on a column title, keyboard navigation, or setCurrentCell() from
// the program. Clicking the cell that is already current reports nothing.
//
// A click on a row's gutter selects the whole row and makes its column 0
// current (also when the grid is scrolled sideways); the press reports the
// new current cell once, then the click emits gutterClicked(row), every time.
//
// Until the user or the program picks a cell there is no current cell:
// focusing the grid does not make its first cell current, so that the first
// click on cell (0, 0) is reported like any other.
class TGrid : public QTableWidget {
    Q_OBJECT

public:
    explicit TGrid(QWidget* parent = nullptr);

    // Out-of-range cells are ignored by setCell and read as empty.
    void setCell(int col, int row, const QString& text);
    QString cell(int col, int row) const;
    // Sets a block: rows[i][j] goes to cell (col + j, row + i). Like
    // setCell, it repaints only the changed cells that are in view, together
    // at the next pass of the event loop. (Switching updates off around it
    // would repaint the whole view instead.)
    void setCells(int col, int row, const QList<QStringList>& rows);

    void setGutterWidth(int width);
    int gutterWidth() const;

signals:
    void colRowChanged(int col, int row);
    void gutterClicked(int row);

protected:
    void focusInEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void gutterPressed(int row);
    void reportCurrent(int row, int col);

    // Set from the press on the gutter until our handler of that press has
    // run, so that Qt's own handling of it reports nothing.
    bool inGutterPress_ = false;
    int rowBeforePress_ = -1;
    int colBeforePress_ = -1;
};
