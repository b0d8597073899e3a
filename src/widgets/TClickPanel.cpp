#include "widgets/TClickPanel.h"

#include <QMouseEvent>
#include <QPainter>

TClickPanel::TClickPanel(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setCursor(Qt::PointingHandCursor);
}

void TClickPanel::setText(const QString& text) {
    text_ = text;
    updateGeometry();
    update();
}

QSize TClickPanel::sizeHint() const {
    const QSize textSize = fontMetrics().size(Qt::TextSingleLine, text_);
    return textSize + QSize(24, 12);
}

void TClickPanel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(contentsRect(), Qt::AlignCenter, text_);
}

void TClickPanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressed_ = true;
        event->accept();
        return;
    }
    QFrame::mousePressEvent(event);
}

void TClickPanel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QFrame::mouseReleaseEvent(event);
        return;
    }
    const bool wasPressed = pressed_;
    pressed_ = false;
    event->accept();
    if (wasPressed && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}
