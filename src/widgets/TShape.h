#pragma once

#include <QColor>
#include <QWidget>

// A round indicator: the largest circle that fits the widget, centred, with
// a black outline and a fill colour (white until set).
class TShape : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor brushColor READ brushColor WRITE setBrushColor)

public:
    explicit TShape(QWidget* parent = nullptr);

    QColor brushColor() const { return brushColor_; }
    void setBrushColor(const QColor& color);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor brushColor_{Qt::white};
};
