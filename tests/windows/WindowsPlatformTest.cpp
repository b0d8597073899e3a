// The Windows backend against the HID stack of the system it runs on: the
// interfaces Wine presents, opening them, their identity and strings, error
// texts and language names.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "WineHid.h"
#include "hid/platform/SystemHidPlatform.h"

namespace {

std::string textProperty(const HidInterfaceRecord& record, std::uint32_t code) {
    const auto found = record.TextProperties.find(code);
    return found != record.TextProperties.end() ? found->second : "(none)";
}

class WindowsPlatformTest : public WineHidTest {
protected:
    const HidInterfaceRecord& listed(const WineDevice& device) {
        if (interfaces.empty()) {
            EXPECT_TRUE(platform->listInterfaces(interfaces));
        }
        const auto found =
            std::find_if(interfaces.begin(), interfaces.end(),
                         [&](const HidInterfaceRecord& r) { return r.DevicePath == device.path; });
        if (found == interfaces.end()) {
            ADD_FAILURE() << device.name << " not listed";
            static const HidInterfaceRecord none;
            return none;
        }
        return *found;
    }

    std::unique_ptr<HidPlatform> platform = createSystemHidPlatform();
    std::vector<HidInterfaceRecord> interfaces;
};

TEST(WindowsPlatformClassTest, ListsTheHidInterfaceClass) {
    const HidGuid hidClass{
        0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
    EXPECT_EQ(createSystemHidPlatform()->hidGuid(), hidClass);
}

TEST_F(WindowsPlatformTest, ListsWinesDevicesWithTheirProperties) {
    ASSERT_TRUE(platform->listInterfaces(interfaces));
    EXPECT_EQ(interfaces.size(), 2u);
    const std::vector<std::vector<std::string>> hardwareIds = {
        {R"(HID\VID_845E&PID_0001\0&0000&0&0)", R"(HID\VID_845E&PID_0001)", "HID"},
        {R"(HID\VID_845E&PID_0002\0&0000&0&0)", R"(HID\VID_845E&PID_0002)", "HID"}};
    for (std::size_t i = 0; i < std::size(wineDevices); ++i) {
        SCOPED_TRACE(wineDevices[i].name);
        const HidInterfaceRecord& record = listed(wineDevices[i]);
        EXPECT_EQ(textProperty(record, HidPropClass), "HIDClass");
        EXPECT_EQ(textProperty(record, HidPropClassGUID), "{745A17A0-74D3-11D0-B6FE-00A0C90F57DA}");
        EXPECT_EQ(textProperty(record, HidPropDeviceDesc), "Wine HID device");
        const auto ids = record.MultiTextProperties.find(HidPropHardwareID);
        ASSERT_NE(ids, record.MultiTextProperties.end());
        EXPECT_EQ(ids->second, hardwareIds[i]);
        // A property the system does not report is left out, not given as empty.
        EXPECT_EQ(record.TextProperties.count(HidPropFriendlyName), 0u);
    }
    EXPECT_NE(listed(wineMouse).DeviceID, listed(wineKeyboard).DeviceID);
}

TEST_F(WindowsPlatformTest, DeviceIdsStayTheSameFromOneListingToTheNext) {
    std::vector<HidInterfaceRecord> again;
    ASSERT_TRUE(platform->listInterfaces(again));
    for (const WineDevice& device : wineDevices) {
        SCOPED_TRACE(device.name);
        const std::uint32_t first = listed(device).DeviceID;
        const auto found =
            std::find_if(again.begin(), again.end(),
                         [&](const HidInterfaceRecord& r) { return r.DevicePath == device.path; });
        ASSERT_NE(found, again.end());
        EXPECT_EQ(found->DeviceID, first);
    }
}

TEST_F(WindowsPlatformTest, OpensEveryKindOfChannelUnderItsOwnHandle) {
    std::set<HidHandle> handles;
    for (const WineDevice& device : wineDevices) {
        for (const HidAccess access : {HidAccess::ReadWrite, HidAccess::QueryOnly,
                                       HidAccess::OverlappedRead, HidAccess::OverlappedWrite}) {
            SCOPED_TRACE(std::string(device.name) + " access " +
                         std::to_string(static_cast<int>(access)));
            const HidHandle handle = platform->open(device.path, access);
            ASSERT_NE(handle, InvalidHandle) << platform->lastError();
            EXPECT_TRUE(handles.insert(handle).second);
            platform->close(handle);
            // A closed handle is never handed out again.
            HidAttributes attributes;
            EXPECT_FALSE(platform->getAttributes(handle, attributes));
            EXPECT_EQ(platform->lastError(), 6u);
        }
    }
}

TEST_F(WindowsPlatformTest, AnUnknownPathCannotBeOpened) {
    const HidHandle handle = platform->open(
        R"(\\?\hid#vid_0000&pid_0000#0&0000&0&0#{4d1e55b2-f16f-11cf-88cb-001111000030})",
        HidAccess::QueryOnly);
    EXPECT_EQ(handle, InvalidHandle);
    EXPECT_EQ(platform->lastError(), 2u);
}

TEST_F(WindowsPlatformTest, ReadsIdentityCapabilitiesAndStrings) {
    for (const WineDevice& device : wineDevices) {
        SCOPED_TRACE(device.name);
        const HidHandle handle = platform->open(device.path, HidAccess::QueryOnly);
        ASSERT_NE(handle, InvalidHandle);

        HidAttributes attributes;
        ASSERT_TRUE(platform->getAttributes(handle, attributes));
        EXPECT_EQ(attributes.Size, 12u);
        EXPECT_EQ(attributes.VendorID, 0x845E);
        EXPECT_EQ(attributes.ProductID, device.productId);

        void* preparsed = platform->getPreparsedData(handle);
        ASSERT_NE(preparsed, nullptr);
        HidCaps caps;
        EXPECT_EQ(platform->getCaps(preparsed, caps), 0x00110000);
        platform->freePreparsedData(preparsed);
        EXPECT_EQ(caps.UsagePage, 0x0001);
        EXPECT_EQ(caps.Usage, device.usage);
        EXPECT_EQ(caps.InputReportByteLength, device.inputReportLength);
        EXPECT_EQ(caps.OutputReportByteLength, 0);
        EXPECT_EQ(caps.FeatureReportByteLength, 0);

        char16_t text[254];
        const struct {
            const char* what;
            bool (HidPlatform::*query)(HidHandle, void*, std::uint32_t);
            std::u16string expected;
        } strings[] = {
            {"manufacturer", &HidPlatform::getManufacturerString, u"The Wine Project"},
            {"product", &HidPlatform::getProductString, device.product},
            {"serial number", &HidPlatform::getSerialNumberString, u"0000"},
        };
        for (const auto& string : strings) {
            SCOPED_TRACE(string.what);
            std::fill(std::begin(text), std::end(text), u'\xFFFF');
            EXPECT_TRUE((platform.get()->*string.query)(handle, text, sizeof(text)));
            EXPECT_EQ(bufferText(text, std::size(text)), string.expected);
        }
        platform->close(handle);
    }
}

TEST_F(WindowsPlatformTest, InputBufferCountsAreSetAndReadBack) {
    const HidHandle handle = platform->open(wineKeyboard.path, HidAccess::ReadWrite);
    ASSERT_NE(handle, InvalidHandle);
    std::uint32_t count = 0;
    EXPECT_TRUE(platform->setNumInputBuffers(handle, 64));
    EXPECT_TRUE(platform->getNumInputBuffers(handle, count));
    EXPECT_EQ(count, 64u);
    // The system keeps at least two; the refusal carries its code.
    EXPECT_FALSE(platform->setNumInputBuffers(handle, 1));
    EXPECT_EQ(platform->lastError(), 87u);
    EXPECT_TRUE(platform->getNumInputBuffers(handle, count));
    EXPECT_EQ(count, 64u);
    platform->close(handle);
}

TEST(WindowsErrorsTest, KnownCodesHaveATextAndAskingKeepsTheLastError) {
    const auto platform = createSystemHidPlatform();
    const struct {
        std::uint32_t code;
        bool known;
    } cases[] = {{2, true},  {5, true},   {6, true},      {31, true},
                 {87, true}, {995, true}, {0xDEAD, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        SetLastError(1167);
        EXPECT_EQ(platform->errorMessage(c.code).empty(), !c.known);
        EXPECT_EQ(platform->lastError(), 1167u);
    }
}

TEST(WindowsLanguagesTest, NamesTheLanguagesTheSystemKnows) {
    const auto platform = createSystemHidPlatform();
    const struct {
        std::uint16_t id;
        bool known;
    } cases[] = {{0x0409, true}, {0x241A, true}, {0x1234, false}, {0xFFFF, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        std::u16string name = u"before";
        EXPECT_EQ(platform->languageName(c.id, name), c.known);
        if (c.known) {
            EXPECT_FALSE(name.empty());
            EXPECT_EQ(name.find(u'\0'), std::u16string::npos);
        }
    }
}

}  // namespace
