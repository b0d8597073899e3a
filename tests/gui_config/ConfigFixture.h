#pragma once

#include <QLocale>
#include <QString>

#include <functional>
#include <string>

#include "ServiceFixture.h"

class QLineEdit;

// The service fixture with what the configuration windows' tests share: one
// unit started, typing and clicking by control name, the decimal separator of
// the user's locale, and actions run when a request goes out.
class ConfigFixture : public ServiceFixture {
protected:
    static inline const QString NoReply = QStringLiteral("Nema odgovora iz uredjaja!");
    static inline const QString EmptyFieldsQuestion = QStringLiteral(
        "Polja su prazna: upisivanjem će podešavanja u uređaju biti obrisana. Nastaviti?");

    void SetUp() override;
    void TearDown() override;

    // Shows the window of class `className` as the main window's button does.
    QWidget* openWindow(const char* className);
    // Replaces the text of the edit `name` by typing `text`.
    void type(QWidget* window, const char* name, const QString& text);
    QLineEdit* edit(QWidget* window, const char* name) const;
    // A left click on the control `name`.
    void click(QWidget* window, const char* name);
    // Makes `locale` the user's locale for the rest of the test.
    static void useLocale(QLocale::Language language, QLocale::Territory territory);

    // Runs `action` on the user-interface thread once, soon after the first
    // request starting with `head` has been written: inside the wait that
    // follows it, when the request was an acknowledged write.
    void whenSent(const std::string& head, std::function<void()> action);

private:
    QLocale previousLocale_;
};
