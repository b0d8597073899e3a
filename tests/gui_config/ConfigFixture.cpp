#include "ConfigFixture.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>

#include <memory>
#include <utility>

void ConfigFixture::SetUp() {
    previousLocale_ = QLocale();
    UseLocale(QLocale::English, QLocale::UnitedStates);
    StartWithUnit();
}

void ConfigFixture::TearDown() {
    Platform.setTranscriptObserver(nullptr);
    QLocale::setDefault(previousLocale_);
}

QWidget* ConfigFixture::OpenWindow(const char* className) {
    QWidget* window = Window(className);
    Open(window);
    return window;
}

QLineEdit* ConfigFixture::Edit(QWidget* window, const char* name) const {
    return Control<QLineEdit>(window, name);
}

void ConfigFixture::Type(QWidget* window, const char* name, const QString& text) {
    QLineEdit* edit = Edit(window, name);
    edit->clear();
    // QTest knows keys for ASCII only; other characters are typed as text.
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(edit, c.toLatin1());
        } else {
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
}

void ConfigFixture::Click(QWidget* window, const char* name) {
    QTest::mouseClick(Control<QWidget>(window, name), Qt::LeftButton);
}

void ConfigFixture::UseLocale(QLocale::Language language, QLocale::Territory territory) {
    QLocale::setDefault(QLocale(language, territory));
}

void ConfigFixture::WhenSent(const std::string& head, std::function<void()> action) {
    // The observer runs on the thread that moved the report: the writing
    // (user-interface) thread for requests, a reader thread for replies.
    auto pending = std::make_shared<std::function<void()>>(std::move(action));
    Platform.setTranscriptObserver([head, pending](const SimTranscriptLine& line) {
        if (line.direction != '>' || !*pending || !hexOf(line.bytes).starts_with(head)) {
            return;
        }
        QMetaObject::invokeMethod(qApp, std::exchange(*pending, nullptr), Qt::QueuedConnection);
    });
}
