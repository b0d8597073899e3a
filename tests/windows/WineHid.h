#pragma once

// What the tests know of the HID devices Wine presents of its own: a mouse
// and a keyboard of vendor 845E. Under Wine they are always there; on a
// Windows machine the tests that need them are skipped.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "hid/platform/HidPlatform.h"

struct WineDevice {
    const char* name;
    const char* path;
    std::uint16_t productId;
    const char16_t* product;
    std::uint16_t usage;
    std::uint16_t inputReportLength;
};

inline constexpr std::uint16_t wineVendorId = 0x845E;

inline const WineDevice wineMouse{
    "mouse", R"(\\?\hid#vid_845e&pid_0001#0&0000&0&0#{4d1e55b2-f16f-11cf-88cb-001111000030})",
    0x0001,  u"Wine HID mouse",
    0x0002,  2};

inline const WineDevice wineKeyboard{
    "keyboard", R"(\\?\hid#vid_845e&pid_0002#0&0000&0&0#{4d1e55b2-f16f-11cf-88cb-001111000030})",
    0x0002,     u"Wine HID keyboard",
    0x0006,     14};

inline const WineDevice wineDevices[] = {wineMouse, wineKeyboard};

inline bool runningUnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Tests that need Wine's devices; skipped outside Wine.
class WineHidTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!runningUnderWine()) {
            GTEST_SKIP() << "needs the HID devices Wine presents of its own";
        }
    }
};

// The text of a zero-terminated UTF-16 buffer.
inline std::u16string bufferText(const char16_t* text, std::size_t length) {
    std::u16string out;
    for (std::size_t i = 0; i < length && text[i] != u'\0'; ++i) {
        out += text[i];
    }
    return out;
}

// Runs the window messages queued for this thread.
inline void pumpThreadMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// This thread's message-only window that receives the device-change
// notifications, or none. Other processes' windows of the class are found
// too, since tests run side by side.
inline HWND deviceChangeWindow() {
    HWND window = nullptr;
    while ((window = FindWindowExW(HWND_MESSAGE, window, L"BrevalonHidDeviceChange", nullptr)) !=
           nullptr) {
        if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
            return window;
        }
    }
    return nullptr;
}
