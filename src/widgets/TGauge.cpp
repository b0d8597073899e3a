#include "widgets/TGauge.h"

#include <QPalette>

#include <algorithm>

TGauge::TGauge(QWidget* parent) : QProgressBar(parent) {
    setTextVisible(true);
    setAlignment(Qt::AlignCenter);
    setTextColor(Qt::black);
    QProgressBar::setRange(0, 100);
    setValue(0);
}

void TGauge::setValue(int value) {
    QProgressBar::setValue(std::clamp(value, minimum(), maximum()));
}

void TGauge::setMinimum(int minimum) {
    setRange(minimum, std::max(minimum, maximum()));
}

void TGauge::setMaximum(int maximum) {
    setRange(std::min(minimum(), maximum), maximum);
}

void TGauge::setRange(int minimum, int maximum) {
    // Qt would reset a value that falls outside the new range; keep it at
    // the nearer end instead.
    const int kept = value();
    QProgressBar::setRange(minimum, maximum);
    setValue(kept);
}

QString TGauge::text() const {
    const qint64 span = qint64(maximum()) - minimum();
    const qint64 done = qint64(value()) - minimum();
    // An empty range reads 0%, as does the state after reset().
    const qint64 percent = span > 0 ? std::clamp<qint64>(done, 0, span) * 100 / span : 0;
    return QStringLiteral("%1%").arg(percent);
}

void TGauge::setTextColor(const QColor& color) {
    textColor_ = color;
    QPalette colours = palette();
    colours.setColor(QPalette::Text, color);
    colours.setColor(QPalette::WindowText, color);
    colours.setColor(QPalette::HighlightedText, color);
    setPalette(colours);
}
