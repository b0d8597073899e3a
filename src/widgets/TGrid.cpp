#include "widgets/TGrid.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QMouseEvent>

TGrid::TGrid(QWidget* parent) : QTableWidget(parent) {
    setWordWrap(false);
    QHeaderView* gutter = verticalHeader();
    gutter->setSectionResizeMode(QHeaderView::Fixed);
    gutter->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    // Tab leaves the grid for the window's next control; the arrow keys move
    // inside it.
    setTabKeyNavigation(false);

    connect(this, &QTableWidget::currentCellChanged, this,
            [this](int row, int col, int, int) { reportCurrent(row, col); });
    // Qt's own handler of a gutter press (connected before ours) selects the
    // row and makes its leftmost visible column current; ours then moves to
    // column 0 and reports once.
    gutter->viewport()->installEventFilter(this);
    connect(gutter, &QHeaderView::sectionPressed, this, &TGrid::gutterPressed);
    connect(gutter, &QHeaderView::sectionClicked, this, &TGrid::gutterClicked);
}

void TGrid::setCell(int col, int row, const QString& text) {
    if (col < 0 || col >= columnCount() || row < 0 || row >= rowCount()) {
        return;
    }
    if (QTableWidgetItem* existing = item(row, col)) {
        existing->setText(text);
    } else {
        setItem(row, col, new QTableWidgetItem(text));
    }
}

QString TGrid::cell(int col, int row) const {
    const QTableWidgetItem* existing = item(row, col);
    return existing ? existing->text() : QString();
}

void TGrid::setCells(int col, int row, const QList<QStringList>& rows) {
    for (qsizetype i = 0; i < rows.size(); ++i) {
        for (qsizetype j = 0; j < rows[i].size(); ++j) {
            setCell(col + int(j), row + int(i), rows[i][j]);
        }
    }
}

void TGrid::setGutterWidth(int width) {
    verticalHeader()->setFixedWidth(width);
}

int TGrid::gutterWidth() const {
    return verticalHeader()->width();
}

void TGrid::focusInEvent(QFocusEvent* event) {
    if (currentIndex().isValid()) {
        QTableWidget::focusInEvent(event);
        return;
    }
    // QAbstractItemView would make the first cell current here without any
    // report; skip it and do the rest of what it does.
    QAbstractScrollArea::focusInEvent(event);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    viewport()->update();
}

bool TGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == verticalHeader()->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            const auto* press = static_cast<QMouseEvent*>(event);
            if (press->button() == Qt::LeftButton) {
                inGutterPress_ = true;
                rowBeforePress_ = currentRow();
                colBeforePress_ = currentColumn();
            }
        } else if (event->type() == QEvent::MouseButtonRelease) {
            // A press that hit no row never reached gutterPressed().
            inGutterPress_ = false;
        }
    }
    return QTableWidget::eventFilter(watched, event);
}

void TGrid::gutterPressed(int row) {
    inGutterPress_ = true;
    if (currentRow() != row || currentColumn() != 0) {
        // Qt leaves the selection alone in single-cell selection mode; the
        // row is then selected here.
        const auto command = currentRow() == row ? QItemSelectionModel::NoUpdate
                                                 : QItemSelectionModel::ClearAndSelect;
        selectionModel()->setCurrentIndex(model()->index(row, 0), command);
    }
    inGutterPress_ = false;
    if (currentRow() != rowBeforePress_ || currentColumn() != colBeforePress_) {
        reportCurrent(currentRow(), currentColumn());
    }
}

void TGrid::reportCurrent(int row, int col) {
    if (!inGutterPress_ && row >= 0 && col >= 0) {
        emit colRowChanged(col, row);
    }
}
