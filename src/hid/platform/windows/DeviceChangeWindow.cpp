#include "hid/platform/windows/DeviceChangeWindow.h"

#include <dbt.h>

#include <utility>

namespace {

constexpr wchar_t className[] = L"BrevalonHidDeviceChange";

bool registerClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = className;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool isInterfaceEvent(WPARAM kind, LPARAM data) {
    if (kind != DBT_DEVICEARRIVAL && kind != DBT_DEVICEREMOVECOMPLETE) {
        return false;
    }
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    return header != nullptr && header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE;
}

}  // namespace

DeviceChangeWindow::DeviceChangeWindow(const GUID& interfaceClass, std::function<void()> changed)
    : changed_(std::move(changed)) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!registerClass(instance, &windowProc)) {
        return;
    }
    window_ =
        CreateWindowExW(0, className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, this);
    if (window_ == nullptr) {
        return;
    }
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = interfaceClass;
    notification_ = RegisterDeviceNotificationW(window_, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}

DeviceChangeWindow::~DeviceChangeWindow() {
    if (notification_ != nullptr) {
        UnregisterDeviceNotification(notification_);
    }
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
}

LRESULT CALLBACK DeviceChangeWindow::windowProc(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    } else if (message == WM_DEVICECHANGE) {
        auto* self =
            reinterpret_cast<DeviceChangeWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self != nullptr &&
            (wParam == DBT_DEVNODES_CHANGED || isInterfaceEvent(wParam, lParam))) {
            self->changed_();
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
