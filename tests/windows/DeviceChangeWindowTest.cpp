// The message-only window that turns WM_DEVICECHANGE into node-change calls.

#include <gtest/gtest.h>

#include <windows.h>

#include <dbt.h>

#include "WineHid.h"
#include "hid/platform/windows/DeviceChangeWindow.h"

namespace {

constexpr GUID hidClass{
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

TEST(DeviceChangeWindowTest, ActsOnNodeChangesAndHidInterfaceEventsOnly) {
    int calls = 0;
    const DeviceChangeWindow watcher(hidClass, [&] { ++calls; });
    const HWND window = deviceChangeWindow();
    ASSERT_NE(window, nullptr);

    DEV_BROADCAST_DEVICEINTERFACE_W hidInterface{};
    hidInterface.dbcc_size = sizeof(hidInterface);
    hidInterface.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    hidInterface.dbcc_classguid = hidClass;
    DEV_BROADCAST_HDR volume{};
    volume.dbch_size = sizeof(volume);
    volume.dbch_devicetype = DBT_DEVTYP_VOLUME;

    // Kinds that carry no record are posted, as the system does; the others
    // are sent with their record.
    const struct {
        const char* what;
        UINT message;
        WPARAM kind;
        const void* record;
        int calls;
    } cases[] = {
        {"nodes changed", WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, nullptr, 1},
        {"configuration changed", WM_DEVICECHANGE, DBT_CONFIGCHANGED, nullptr, 0},
        {"another message", WM_USER, DBT_DEVNODES_CHANGED, nullptr, 0},
        {"interface arrival", WM_DEVICECHANGE, DBT_DEVICEARRIVAL, &hidInterface, 1},
        {"interface removal", WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, &hidInterface, 1},
        {"interface query", WM_DEVICECHANGE, DBT_DEVICEQUERYREMOVE, &hidInterface, 0},
        {"volume arrival", WM_DEVICECHANGE, DBT_DEVICEARRIVAL, &volume, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        calls = 0;
        if (c.record == nullptr) {
            ASSERT_TRUE(PostMessageW(window, c.message, c.kind, 0));
            EXPECT_EQ(calls, 0);
            pumpThreadMessages();
        } else {
            SendMessageW(window, c.message, c.kind, reinterpret_cast<LPARAM>(c.record));
        }
        EXPECT_EQ(calls, c.calls);
    }
}

TEST(DeviceChangeWindowTest, IsGoneWithItsWatcher) {
    int calls = 0;
    HWND window = nullptr;
    {
        const DeviceChangeWindow watcher(hidClass, [&] { ++calls; });
        window = deviceChangeWindow();
        ASSERT_NE(window, nullptr);
    }
    EXPECT_EQ(deviceChangeWindow(), nullptr);
    EXPECT_FALSE(PostMessageW(window, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0));
    pumpThreadMessages();
    EXPECT_EQ(calls, 0);
}

}  // namespace
