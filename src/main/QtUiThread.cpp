#include "QtUiThread.h"

#include <QMetaObject>

void QtUiThread::post(std::function<void()> task) {
    QMetaObject::invokeMethod(
        &context_, [task = std::move(task)] { task(); }, Qt::QueuedConnection);
}
