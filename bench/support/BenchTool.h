#pragma once

#include <QString>
#include <QWidget>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "hid/UiThread.h"
#include "link/QtUiThread.h"
#include "sim/SimHidPlatform.h"
#include "sim/SimUnitDevice.h"
#include "widgets/DialogService.h"

class QAbstractButton;
class TApplicationWindows;
class TMainForm;

// Sets the Qt platform to offscreen unless the environment chose one. Call
// before the QApplication is created.
void UseOffscreenUnlessSet();

// Hands the HID layer's deliveries to the Qt event loop like the program
// does, and counts those that have run (the dispatcher and the window
// updates included) with the times the last one started and ended.
class CountingUiThread final : public UiThread {
public:
    void post(std::function<void()> task) override;

    std::uint64_t ran() const { return ran_; }
    std::chrono::steady_clock::time_point lastStarted() const { return lastStarted_; }
    std::chrono::steady_clock::time_point lastEnded() const { return lastEnded_; }

private:
    QtUiThread inner_;
    // Touched on the user-interface thread only.
    std::uint64_t ran_ = 0;
    std::chrono::steady_clock::time_point lastStarted_{};
    std::chrono::steady_clock::time_point lastEnded_{};
};

// The tool as the program builds it (the eight windows, wired), on a
// simulated platform with one virtual unit that answers after `latencyMs`,
// message boxes dismissed at once. Needs a QApplication.
class BenchTool {
public:
    explicit BenchTool(std::uint32_t latencyMs);
    ~BenchTool();
    BenchTool(const BenchTool&) = delete;
    BenchTool& operator=(const BenchTool&) = delete;

    // Shows the main window and runs the event loop until the unit is
    // connected; then switches the automatic status polling off, so that
    // only what a benchmark asks for crosses the link, and shows the status
    // once. False on a time-out.
    bool connect();

    TMainForm& main() const;
    SimHidPlatform& platform() { return platform_; }
    const CountingUiThread& deliveries() const { return ui_; }

    // The window of class `className`, and the control `name` of `window`
    // (of whichever window has it when null). A missing one ends the program
    // with a message, as a benchmark cannot go on without it.
    QWidget* window(const char* className) const;
    template <typename T>
    T* control(const char* name, QWidget* window = nullptr) const {
        T* found = qobject_cast<T*>(findControl(name, window));
        if (found == nullptr) {
            missing(name);
        }
        return found;
    }

    // Clicks "Get Status" (after connect()) and runs the event loop until
    // the delivery of its reply has run; false when none came.
    bool askStatus();

    // A full memory read (128 packets) or phonebook read (100 records),
    // started with its window's button: the milliseconds from the click to
    // the end of the delivery that finished it. Negative when it did not
    // finish, or finished after another number of replies.
    double readMemory();
    double readPhonebook();

    // Runs the event loop, blocking while nothing happens, until `done`
    // holds; false when `timeoutMs` passed first.
    static bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 10000);
    // Runs the event loop for `ms` milliseconds.
    static void pumpFor(int ms);

private:
    QWidget* findControl(const char* name, QWidget* window) const;
    [[noreturn]] static void missing(const char* name);
    double timedRead(QAbstractButton* start, std::uint64_t replies,
                     const std::function<bool()>& finished);

    SimHidPlatform platform_;
    SimUnitDevice unit_;
    CountingUiThread ui_;
    std::unique_ptr<DialogService> previousDialogs_;
    std::unique_ptr<TApplicationWindows> windows_;
    QAbstractButton* getStatus_ = nullptr;
};
