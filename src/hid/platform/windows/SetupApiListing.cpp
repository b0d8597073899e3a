#include "hid/platform/windows/SetupApiListing.h"

#include <setupapi.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>

#include "hid/platform/windows/WideText.h"

namespace {

enum class Kind { Text, MultiText, Number };

struct Property {
    HidDeviceProperty code;
    Kind kind;
};

constexpr Property properties[] = {
    {HidPropCapabilities, Kind::Number},
    {HidPropClass, Kind::Text},
    {HidPropClassGUID, Kind::Text},
    {HidPropCompatibleIDs, Kind::MultiText},
    {HidPropConfigFlags, Kind::Number},
    {HidPropDeviceDesc, Kind::Text},
    {HidPropDriver, Kind::Text},
    {HidPropFriendlyName, Kind::Text},
    {HidPropHardwareID, Kind::MultiText},
    {HidPropLowerFilters, Kind::MultiText},
    {HidPropMfg, Kind::Text},
    {HidPropUpperFilters, Kind::MultiText},
    {HidPropAddress, Kind::Text},
    {HidPropBusNumber, Kind::Number},
    {HidPropBusTypeGUID, Kind::Text},
    {HidPropCharacteristics, Kind::Text},
    {HidPropDevType, Kind::Number},
    {HidPropEnumeratorName, Kind::Text},
    {HidPropExclusive, Kind::Number},
    {HidPropLegacyBusType, Kind::Number},
    {HidPropLocationInformation, Kind::Text},
    {HidPropPhysicalDeviceObjectName, Kind::Text},
    {HidPropSecuritySDS, Kind::Text},
    {HidPropService, Kind::Text},
    {HidPropUINumber, Kind::Number},
    {HidPropUINumberDescFormat, Kind::Text},
};

constexpr DWORD textBytes = 1024;
constexpr DWORD multiTextBytes = 32768;

class InfoSet {
public:
    explicit InfoSet(HDEVINFO set) : set_(set) {}
    ~InfoSet() { SetupDiDestroyDeviceInfoList(set_); }
    InfoSet(const InfoSet&) = delete;
    InfoSet& operator=(const InfoSet&) = delete;
    HDEVINFO get() const { return set_; }

private:
    HDEVINFO set_;
};

DWORD numberOf(const std::vector<wchar_t>& buffer) {
    DWORD value = 0;
    std::memcpy(&value, buffer.data(), sizeof(value));
    return value;
}

std::string guidText(const std::vector<wchar_t>& buffer) {
    GUID guid{};
    std::memcpy(&guid, buffer.data(), sizeof(guid));
    char text[40];
    std::snprintf(text, sizeof(text), "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                  guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                  guid.Data4[6], guid.Data4[7]);
    return text;
}

// Most text properties are strings; a few are stored as a number or a GUID
// and are shown the way the system writes them.
bool textOf(DWORD type, DWORD size, const std::vector<wchar_t>& buffer, std::string& text) {
    switch (type) {
        case REG_SZ:
        case REG_EXPAND_SZ:
        case REG_MULTI_SZ:
            text = toUtf8(untilZero(buffer.data(), size / sizeof(wchar_t)));
            return true;
        case REG_DWORD:
            text = std::to_string(numberOf(buffer));
            return size == sizeof(DWORD);
        case REG_BINARY:
            text = guidText(buffer);
            return size == sizeof(GUID);
        default:
            return false;
    }
}

std::vector<std::string> entriesOf(DWORD size, const std::vector<wchar_t>& buffer) {
    std::vector<std::string> entries;
    const wchar_t* next = buffer.data();
    const wchar_t* end = next + size / sizeof(wchar_t);
    while (next < end && *next != L'\0') {
        const std::wstring_view entry = untilZero(next, static_cast<std::size_t>(end - next));
        entries.push_back(toUtf8(entry));
        next += entry.size() + 1;
    }
    return entries;
}

void readProperties(HDEVINFO set, SP_DEVINFO_DATA& info, HidInterfaceRecord& record) {
    std::vector<wchar_t> buffer(multiTextBytes / sizeof(wchar_t));
    auto* bytes = reinterpret_cast<BYTE*>(buffer.data());
    for (const Property& property : properties) {
        const DWORD capacity = property.kind == Kind::Text        ? textBytes
                               : property.kind == Kind::MultiText ? multiTextBytes
                                                                  : sizeof(DWORD);
        std::fill(buffer.begin(), buffer.end(), L'\0');
        DWORD type = 0;
        DWORD size = 0;
        if (!SetupDiGetDeviceRegistryPropertyW(set, &info, property.code, &type, bytes, capacity,
                                               &size)) {
            continue;
        }
        size = std::min(size, capacity);
        std::string text;
        switch (property.kind) {
            case Kind::Text:
                if (textOf(type, size, buffer, text)) {
                    record.TextProperties[property.code] = std::move(text);
                }
                break;
            case Kind::MultiText:
                record.MultiTextProperties[property.code] = entriesOf(size, buffer);
                break;
            case Kind::Number:
                if (size == sizeof(DWORD)) {
                    record.NumberProperties[property.code] = numberOf(buffer);
                }
                break;
        }
    }
}

// The two-call protocol: the size first, then the path and the device's
// SP_DEVINFO_DATA.
bool readInterface(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& interfaceData,
                   HidInterfaceRecord& record) {
    DWORD needed = 0;
    if (SetupDiGetDeviceInterfaceDetailW(set, &interfaceData, nullptr, 0, &needed, nullptr) ||
        GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0) {
        return false;
    }
    const DWORD size = std::max<DWORD>(needed, sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W));
    std::vector<DWORD> storage((size + sizeof(DWORD) - 1) / sizeof(DWORD));
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    SP_DEVINFO_DATA info{};
    info.cbSize = sizeof(info);
    if (!SetupDiGetDeviceInterfaceDetailW(set, &interfaceData, detail, size, nullptr, &info)) {
        return false;
    }
    const std::size_t pathLength =
        (size - offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath)) / sizeof(wchar_t);
    record.DeviceID = info.DevInst;
    record.DevicePath = toUtf8(untilZero(detail->DevicePath, pathLength));
    readProperties(set, info, record);
    return true;
}

}  // namespace

bool listDeviceInterfaces(const GUID& interfaceClass, std::vector<HidInterfaceRecord>& out) {
    out.clear();
    const HDEVINFO handle = SetupDiGetClassDevsW(&interfaceClass, nullptr, nullptr,
                                                 DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    const InfoSet set(handle);
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA interfaceData{};
        interfaceData.cbSize = sizeof(interfaceData);
        if (!SetupDiEnumDeviceInterfaces(set.get(), nullptr, &interfaceClass, index,
                                         &interfaceData)) {
            break;
        }
        HidInterfaceRecord record;
        if (readInterface(set.get(), interfaceData, record)) {
            out.push_back(std::move(record));
        }
    }
    return true;
}
