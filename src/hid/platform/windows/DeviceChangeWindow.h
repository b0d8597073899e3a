#pragma once

#include <functional>

#include "hid/platform/windows/HidApi.h"

// A message-only window of the creating thread that turns WM_DEVICECHANGE
// into calls of `changed`, on that thread, from its event loop.
//
// The system broadcasts DBT_DEVNODES_CHANGED to top-level windows only, so
// the window also registers for arrivals and removals of HID interfaces and
// counts them as node changes; a DBT_DEVNODES_CHANGED posted to it directly
// is acted on as well.
class DeviceChangeWindow {
public:
    DeviceChangeWindow(const GUID& interfaceClass, std::function<void()> changed);
    // Must run on the creating thread; no call of `changed` follows.
    ~DeviceChangeWindow();
    DeviceChangeWindow(const DeviceChangeWindow&) = delete;
    DeviceChangeWindow& operator=(const DeviceChangeWindow&) = delete;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::function<void()> changed_;
    HWND window_ = nullptr;
    HDEVNOTIFY notification_ = nullptr;
};
