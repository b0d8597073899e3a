#include "widgets/ScreenFit.h"

#include <QLayout>
#include <QMainWindow>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>

namespace ScreenFit {

namespace {

QScrollArea* newScrollArea(QWidget* content) {
    auto* area = new QScrollArea;
    area->setObjectName(QStringLiteral("scrollContent"));
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setWidget(content);
    return area;
}

// The frame the window system puts around `window`: known once it is shown,
// otherwise the style's title bar and a thin border.
QMargins frameOf(const QWidget& window) {
    if (window.isVisible()) {
        const QRect outer = window.frameGeometry();
        const QRect inner = window.geometry();
        return {inner.left() - outer.left(), inner.top() - outer.top(),
                outer.right() - inner.right(), outer.bottom() - inner.bottom()};
    }
    const int border = 4;
    return {border, window.style()->pixelMetric(QStyle::PM_TitleBarHeight) + border, border,
            border};
}

}  // namespace

void scrollContent(QWidget& window) {
    QLayout* layout = window.layout();
    if (layout == nullptr) {
        return;
    }
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("scrollContentWidget"));
    // Takes the layout, and with it every control, off the window.
    content->setLayout(layout);
    auto* outer = new QVBoxLayout(&window);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(newScrollArea(content));
}

void scrollContent(QMainWindow& window) {
    QWidget* central = window.takeCentralWidget();
    if (central != nullptr) {
        window.setCentralWidget(newScrollArea(central));
    }
}

QRect fittedGeometry(const QRect& geometry, const QMargins& frame, const QRect& available) {
    const QSize room = available.size().shrunkBy(frame);
    QRect fitted(geometry.topLeft(), geometry.size().boundedTo(room.expandedTo(QSize(1, 1))));
    const QRect outer = fitted.marginsAdded(frame);
    QPoint shift;
    shift.setX(
        std::max(available.left() - outer.left(), std::min(0, available.right() - outer.right())));
    shift.setY(
        std::max(available.top() - outer.top(), std::min(0, available.bottom() - outer.bottom())));
    return fitted.translated(shift);
}

void fitToScreen(QWidget& window, bool centre) {
    QScreen* screen = window.screen();
    if (screen == nullptr) {
        return;
    }
    const QRect available = screen->availableGeometry();
    QRect geometry = window.geometry();
    if (centre) {
        geometry.moveCenter(available.center());
    }
    const QMargins frame = frameOf(window);
    const QRect fitted = fittedGeometry(geometry, frame, available);
    window.resize(fitted.size());
    // A window's position is its frame's.
    window.move(fitted.topLeft() - QPoint(frame.left(), frame.top()));
}

}  // namespace ScreenFit
