#include "widgets/WindowKeys.h"

#include <QAbstractButton>
#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace {

// Sees the keys the focused control did not take, on their way up to the
// window.
class WindowKeys final : public QObject {
public:
    WindowKeys(QWidget& window, bool escapeCloses)
        : QObject(&window), window_(window), escapeCloses_(escapeCloses) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &window_ || event->type() != QEvent::KeyPress) {
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & ~Qt::KeypadModifier) {
            return false;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            auto* button = qobject_cast<QAbstractButton*>(window_.focusWidget());
            if (button == nullptr || !button->isEnabled() || key->isAutoRepeat()) {
                return false;
            }
            button->click();
            return true;
        }
        if (key->key() == Qt::Key_Escape && escapeCloses_) {
            window_.close();
            return true;
        }
        return false;
    }

private:
    QWidget& window_;
    bool escapeCloses_;
};

}  // namespace

void installWindowKeys(QWidget& window, bool escapeCloses) {
    window.installEventFilter(new WindowKeys(window, escapeCloses));
}
