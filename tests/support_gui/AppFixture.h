#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "ScriptedDialogService.h"
#include "link/QtUiThread.h"
#include "sim/SimHidPlatform.h"
#include "sim/SimUnitDevice.h"

class QListWidget;
class TApplicationWindows;
class TMainForm;
class TfrmMemory;

// The tool as the program builds it, on a simulated HID platform: the eight
// windows wired to each other, the Qt event loop as the user-interface
// thread, and a scripted dialog service. A test attaches devices, starts the
// windows, drives them through their controls and reads what crossed the
// link from the platform's transcript.
class AppFixture : public ::testing::Test {
protected:
    AppFixture();
    ~AppFixture() override;

    // A virtual unit that answers at once, attached now (before or after start()).
    SimUnitDevice& AddUnit(const std::string& serial);
    // Creates the windows, shows the main window and waits until the start-up
    // device changes have run and the first tick has shown the presence.
    void Start();

    TMainForm& Main() const;
    TfrmMemory& Memory() const;
    QWidget* Window(const char* className) const;

    // The control `name` of the main window, or of `window`; a missing control
    // fails the test.
    template <typename T>
    T* Control(const char* name) const {
        return Control<T>(MainWidget(), name);
    }
    template <typename T>
    T* Control(QWidget* window, const char* name) const {
        T* control = window->findChild<T*>(QString::fromLatin1(name));
        if (control == nullptr) {
            ADD_FAILURE() << "no control " << name << " in " << window->metaObject()->className();
            throw std::runtime_error("missing control");
        }
        return control;
    }

    // Runs the event loop until `done` holds, blocking while nothing happens;
    // false when `timeoutMs` passed first.
    static bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000);
    // Runs the event loop for `ms` milliseconds.
    static void PumpFor(int ms);

    // The reports written to the device at `path` (every device when empty),
    // as "00 47 53 ..." in the order they were written.
    std::vector<std::string> Sent(const std::string& path = {}) const;
    // The same for the reports the devices delivered to their readers.
    std::vector<std::string> Received(const std::string& path = {}) const;
    // How many of the written reports start with `head`, e.g. "00 47 53".
    int CountSent(const std::string& head, const std::string& path = {}) const;

    // The texts of a list's items, in order.
    static QStringList Items(QListWidget* list);
    // The texts of the history list, in order.
    QStringList History() const;
    // The text of status bar panel 0, 1 or 2.
    QString StatusPanel(int index) const;

    SimHidPlatform Platform;
    std::vector<std::unique_ptr<SimUnitDevice>> Units;
    QtUiThread Ui;
    ScopedScriptedDialogs Dialogs;

private:
    QWidget* MainWidget() const;
    std::vector<std::string> Lines(char direction, const std::string& path) const;

    std::unique_ptr<TApplicationWindows> Windows;
};

// A report of 65 bytes: the given leading bytes ("00 47 53"), then zeros.
std::string Padded(const std::string& head);
