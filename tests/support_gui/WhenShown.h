#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <utility>

// Runs `act` once on the first visible window of type T, from the event loop
// of whatever modal dialog or wait is running then.
template <typename T>
class WhenShown {
public:
    explicit WhenShown(std::function<bool(T&)> act) : act_(std::move(act)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { look(); });
        timer_.start(5);
    }
    bool done() const { return !timer_.isActive(); }

private:
    void look() {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* found = qobject_cast<T*>(window);
            if (found != nullptr && found->isVisible() && act_(*found)) {
                timer_.stop();
                return;
            }
        }
    }
    std::function<bool(T&)> act_;
    QTimer timer_;
};
