#include "ConfigFixture.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>

#include <memory>
#include <utility>

void ConfigFixture::SetUp() {
    previousLocale_ = QLocale();
    useLocale(QLocale::English, QLocale::UnitedStates);
    startWithUnit();
}

void ConfigFixture::TearDown() {
    platform.setTranscriptObserver(nullptr);
    QLocale::setDefault(previousLocale_);
}

QWidget* ConfigFixture::openWindow(const char* className) {
    QWidget* window = windowOf(className);
    open(window);
    return window;
}

QLineEdit* ConfigFixture::edit(QWidget* window, const char* name) const {
    return control<QLineEdit>(window, name);
}

void ConfigFixture::type(QWidget* window, const char* name, const QString& text) {
    QLineEdit* field = edit(window, name);
    field->clear();
    // QTest knows keys for ASCII only; other characters are typed as text.
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(field, c.toLatin1());
        } else {
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
}

void ConfigFixture::click(QWidget* window, const char* name) {
    QTest::mouseClick(control<QWidget>(window, name), Qt::LeftButton);
}

void ConfigFixture::useLocale(QLocale::Language language, QLocale::Territory territory) {
    QLocale::setDefault(QLocale(language, territory));
}

void ConfigFixture::whenSent(const std::string& head, std::function<void()> action) {
    // The observer runs on the thread that moved the report: the writing
    // (user-interface) thread for requests, a reader thread for replies.
    auto pending = std::make_shared<std::function<void()>>(std::move(action));
    platform.setTranscriptObserver([head, pending](const SimTranscriptLine& line) {
        if (line.direction != '>' || !*pending || !hexOf(line.bytes).starts_with(head)) {
            return;
        }
        QMetaObject::invokeMethod(qApp, std::exchange(*pending, nullptr), Qt::QueuedConnection);
    });
}
