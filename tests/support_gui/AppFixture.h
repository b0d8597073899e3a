#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QTemporaryDir>
#include <QWidget>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "ReportBytes.h"
#include "ScriptedDialogService.h"
#include "link/QtUiThread.h"
#include "sim/SimHidPlatform.h"
#include "sim/SimUnitDevice.h"

class QListWidget;
class QTimer;
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
    SimUnitDevice& addUnit(const std::string& serial);
    // Creates the windows, shows the main window and waits until the start-up
    // device changes have run and the first tick has shown the presence.
    void start();

    // The main window's 100 ms tick, under the test's control: stopTicks()
    // stops its timer and tick() runs the tick by hand instead; runTicks()
    // runs the timer every `intervalMs` while the event loop runs, or at its
    // own interval again.
    void stopTicks();
    void tick(int n = 1);
    void runTicks(int intervalMs);
    void runTicks();

    TMainForm& mainForm() const;
    TfrmMemory& memoryForm() const;
    QWidget* windowOf(const char* className) const;

    // The control `name` of the main window, or of `window`; a missing control
    // fails the test.
    template <typename T>
    T* control(const char* name) const {
        return control<T>(mainWidget(), name);
    }
    template <typename T>
    T* control(QWidget* window, const char* name) const {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        if (found == nullptr) {
            ADD_FAILURE() << "no control " << name << " in " << window->metaObject()->className();
            throw std::runtime_error("missing control");
        }
        return found;
    }

    // Runs the event loop until `done` holds, blocking while nothing happens;
    // false when `timeoutMs` passed first.
    static bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 5000);
    // Runs the event loop for `ms` milliseconds.
    static void pumpFor(int ms);

    // The reports written to the device at `path` (every device when empty),
    // as "00 47 53 ..." in the order they were written.
    std::vector<std::string> sent(const std::string& path = {}) const;
    // The same for the reports the devices delivered to their readers.
    std::vector<std::string> received(const std::string& path = {}) const;
    // How many of the written reports start with `head`, e.g. "00 47 53".
    int countSent(const std::string& head, const std::string& path = {}) const;

    // The texts of a list's items, in order.
    static QStringList items(QListWidget* list);
    // The texts of the history list, in order.
    QStringList history() const;
    // The text of status bar panel 0, 1 or 2.
    QString statusPanel(int index) const;

    // BREVALON_DATA_DIR: where the units' history goes.
    QTemporaryDir dataFolder;
    SimHidPlatform platform;
    std::vector<std::unique_ptr<SimUnitDevice>> units;
    QtUiThread ui;
    ScopedScriptedDialogs dialogs;

private:
    QWidget* mainWidget() const;
    QTimer* tickTimer() const;
    std::vector<std::string> transcriptLines(char direction, const std::string& path) const;

    std::unique_ptr<TApplicationWindows> windows_;
    int ownTickMs_ = 0;
};
