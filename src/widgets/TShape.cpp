#include "widgets/TShape.h"

#include <QPainter>

#include <algorithm>

TShape::TShape(QWidget* parent) : QWidget(parent) {}

void TShape::setBrushColor(const QColor& color) {
    if (color == brushColor_) {
        return;
    }
    brushColor_ = color;
    update();
}

QSize TShape::sizeHint() const {
    return {15, 15};
}

void TShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(brushColor_);
    // Inset by half the pen so the outline is not clipped at the edges.
    const qreal diameter = std::min(width(), height()) - 1.0;
    const QRectF circle((width() - diameter) / 2.0, (height() - diameter) / 2.0, diameter,
                        diameter);
    painter.drawEllipse(circle);
}
