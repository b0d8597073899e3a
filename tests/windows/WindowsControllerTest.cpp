// The HID controller on the Windows backend, with the devices Wine presents.

#include <gtest/gtest.h>

#include <windows.h>

#include <dbt.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "ManualUiThread.h"
#include "WineHid.h"
#include "hid/HidControllerClass.h"
#include "hid/platform/SystemHidPlatform.h"

namespace {

struct Recorder {
    std::vector<std::string> events;
    std::vector<std::u16string> enumerated;

    void Arrival(THidDevice* dev) { events.push_back("arrival " + dev->PnPInfo().DevicePath()); }
    void Removal(THidDevice* dev) { events.push_back("removal " + dev->PnPInfo().DevicePath()); }
    void DeviceChange(THidDeviceController*) { events.push_back("change"); }
    bool Enumerate(THidDevice* dev, std::int32_t) {
        enumerated.push_back(dev->ProductName());
        return true;
    }
    void Data(THidDevice*, std::uint8_t, const std::uint8_t*, std::uint16_t) {}
    void Error(THidDevice*, std::uint32_t code) {
        events.push_back("error " + std::to_string(code));
    }
};

class WindowsControllerTest : public WineHidTest {
protected:
    void SetUp() override {
        WineHidTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        ctl = std::make_unique<THidDeviceController>(*platform, ui);
        ctl->setOnArrival(THidPlugEvent::bind(&log, &Recorder::Arrival));
        ctl->setOnRemoval(THidPlugEvent::bind(&log, &Recorder::Removal));
        ctl->setOnDeviceChange(THidNotifyEvent::bind(&log, &Recorder::DeviceChange));
        ui.pump();
    }
    void TearDown() override { ctl.reset(); }

    std::unique_ptr<HidPlatform> platform = createSystemHidPlatform();
    ManualUiThread ui;
    Recorder log;
    std::unique_ptr<THidDeviceController> ctl;
};

TEST_F(WindowsControllerTest, WinesDevicesArriveAtStartAndCanBeEnumerated) {
    // The pass run by assigning OnDeviceChange, then the initial notification.
    const std::vector<std::string> expected = {"arrival " + std::string(wineMouse.path),
                                               "arrival " + std::string(wineKeyboard.path),
                                               "change", "change"};
    ASSERT_EQ(log.events.size(), 4u);
    std::vector<std::string> sorted = log.events;
    std::sort(sorted.begin(), sorted.begin() + 2);
    EXPECT_EQ(sorted, expected);
    EXPECT_EQ(ctl->NumCheckedInDevices(), 2);

    ctl->setOnEnumerate(THidEnumerateEvent::bind(&log, &Recorder::Enumerate));
    EXPECT_EQ(ctl->Enumerate(), 2);
    std::vector<std::u16string> products = log.enumerated;
    std::sort(products.begin(), products.end());
    EXPECT_EQ(products, (std::vector<std::u16string>{u"Wine HID keyboard", u"Wine HID mouse"}));
    for (THidDevice* dev : ctl->Devices()) {
        EXPECT_EQ(dev->Attributes().VendorID, 0x845E);
        EXPECT_EQ(dev->PnPInfo().ClassDescr(), "HIDClass");
        // Channels are closed again after the callback.
        EXPECT_EQ(dev->HidFileHandle(), InvalidHandle);
    }
}

TEST_F(WindowsControllerTest, APostedNodeChangeRunsAPassThatFindsNothingNew) {
    log.events.clear();
    const HWND window = deviceChangeWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(PostMessageW(window, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0));
    pumpThreadMessages();
    EXPECT_EQ(ui.queued(), 1u);
    ui.pump();
    EXPECT_TRUE(log.events.empty());
    EXPECT_EQ(ctl->Devices().size(), 2u);
}

TEST_F(WindowsControllerTest, ACheckedOutKeyboardAnswersQueriesAndRunsAReaderUntilCheckIn) {
    THidDevice* keyboard = nullptr;
    ASSERT_TRUE(ctl->CheckOutByID(keyboard, 0x845E, 0x0002));
    ASSERT_NE(keyboard, nullptr);
    EXPECT_EQ(ctl->NumCheckedOutDevices(), 1);
    EXPECT_TRUE(keyboard->HasReadWriteAccess());
    EXPECT_EQ(keyboard->ProductName(), u"Wine HID keyboard");
    EXPECT_EQ(keyboard->VendorName(), u"The Wine Project");
    const HidCaps caps = keyboard->Caps();
    EXPECT_EQ(caps.InputReportByteLength, 14);
    EXPECT_EQ(caps.Usage, 0x0006);

    log.events.clear();
    keyboard->setOnDataError(THidDataErrorEvent::bind(&log, &Recorder::Error));
    keyboard->setOnData(THidDataEvent::bind(&log, &Recorder::Data));
    EXPECT_TRUE(keyboard->HasReader());
    // Gives the reader time to start its read and wait in it; a read that
    // cannot be started would show up as a delivered error.
    ui.waitUntilQueued(std::chrono::milliseconds(200));
    ctl->CheckIn(keyboard);
    EXPECT_EQ(keyboard, nullptr);
    EXPECT_EQ(ctl->NumCheckedOutDevices(), 0);
    EXPECT_EQ(ctl->NumCheckedInDevices(), 2);
    ui.pump();
    EXPECT_EQ(log.events, std::vector<std::string>{});
}

TEST_F(WindowsControllerTest, TheWindowIsGoneWithTheController) {
    EXPECT_NE(deviceChangeWindow(), nullptr);
    ctl.reset();
    EXPECT_EQ(deviceChangeWindow(), nullptr);
}

}  // namespace
