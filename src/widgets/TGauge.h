#pragma once

#include <QColor>
#include <QProgressBar>

// A progress gauge that shows its bar and the percentage it has reached
// followed by "%": 0 of 0..5 reads "0%", 1 reads "20%", 5 reads "100%".
// A value outside the range is stored as the nearer end, also when the
// range shrinks under the value (Qt would reset the bar to no value). The
// percentage is truncated, so "100%" appears only at the maximum.
class TGauge : public QProgressBar {
    Q_OBJECT
    Q_PROPERTY(QColor textColor READ textColor WRITE setTextColor)

public:
    explicit TGauge(QWidget* parent = nullptr);

    // These hide QProgressBar's own members so that a value is always kept
    // inside the range; call them on a TGauge, not through a base pointer.
    void setValue(int value);
    void setMinimum(int minimum);
    void setMaximum(int maximum);
    void setRange(int minimum, int maximum);

    QString text() const override;

    QColor textColor() const { return textColor_; }
    void setTextColor(const QColor& color);

private:
    QColor textColor_;
};
