#pragma once

#include <QFrame>
#include <QString>

// A raised panel that serves as a button: hand cursor, its caption drawn in
// the middle, and clicked() when the left button is pressed and released
// inside it, or when it has the focus and Space or Enter is pressed.
class TClickPanel : public QFrame {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)

public:
    explicit TClickPanel(QWidget* parent = nullptr);

    QString text() const { return text_; }
    void setText(const QString& text);

    QSize sizeHint() const override;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString text_;
    bool pressed_ = false;
};
