#pragma once

#include <QList>

#include <memory>

#include "main/WindowSet.h"

class HidPlatform;
class QWidget;
class TMainForm;
class UiThread;

// The windows of the tool, created once in their fixed order (the main
// window first) and wired to each other; only the main window is shown at
// first, and closing it ends the program. The program and the GUI tests build
// the same set.
class TApplicationWindows {
public:
    // `platform` and `uiThread` must outlive the windows.
    TApplicationWindows(HidPlatform& platform, UiThread& uiThread);
    ~TApplicationWindows();
    TApplicationWindows(const TApplicationWindows&) = delete;
    TApplicationWindows& operator=(const TApplicationWindows&) = delete;

    TMainForm& mainForm() const { return *mainForm_; }
    const TWindowSet& windows() const { return windows_; }
    // All of them: the main window, then the others in the order of TWindowSet.
    QList<QWidget*> all() const;

private:
    TWindowSet windows_;
    // The other windows are destroyed after the main window: while it
    // releases its devices, replies still pending are dispatched into them.
    std::unique_ptr<QWidget> others_[10];
    std::unique_ptr<TMainForm> mainForm_;
};
