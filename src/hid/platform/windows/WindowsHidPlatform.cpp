#include "hid/platform/windows/WindowsHidPlatform.h"

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

#include "hid/platform/SystemHidPlatform.h"
#include "hid/platform/windows/SetupApiListing.h"
#include "hid/platform/windows/WideText.h"

namespace {

// USB string descriptors hold at most 126 characters; some devices fail a
// string request whose buffer is larger than that.
constexpr std::uint32_t maxStringBytes = 126 * sizeof(wchar_t);

constexpr wchar_t versionKey[] = L"\\StringFileInfo\\040904E4\\FileVersion";

HIDP_REPORT_TYPE reportTypeOf(std::uint32_t reportType) {
    return static_cast<HIDP_REPORT_TYPE>(reportType);
}

PHIDP_PREPARSED_DATA parsed(void* preparsed) {
    return static_cast<PHIDP_PREPARSED_DATA>(preparsed);
}

char* bytesOf(void* report) {
    return static_cast<char*>(report);
}

// Lends a 32-bit count, in and out, to a parser function that takes a ULONG,
// which is a distinct type here.
template <typename Call>
NTSTATUS withUlong(std::uint32_t& count, Call call) {
    ULONG value = count;
    const NTSTATUS status = call(&value);
    count = value;
    return status;
}

// The Windows API takes non-const buffers for data it only reads.
void* writable(const void* buffer) {
    return const_cast<void*>(buffer);
}

DWORD creationAccess(HidAccess access) {
    switch (access) {
        case HidAccess::ReadWrite:
            return GENERIC_READ | GENERIC_WRITE;
        case HidAccess::QueryOnly:
            return 0;
        case HidAccess::OverlappedRead:
            return GENERIC_READ;
        case HidAccess::OverlappedWrite:
            return GENERIC_WRITE;
    }
    return 0;
}

bool isOverlapped(HidAccess access) {
    return access == HidAccess::OverlappedRead || access == HidAccess::OverlappedWrite;
}

// Keeps the caller's last error across calls that may change it.
class LastErrorKeeper {
public:
    LastErrorKeeper() : error_(GetLastError()) {}
    ~LastErrorKeeper() { SetLastError(error_); }
    LastErrorKeeper(const LastErrorKeeper&) = delete;
    LastErrorKeeper& operator=(const LastErrorKeeper&) = delete;

private:
    DWORD error_;
};

}  // namespace

std::unique_ptr<HidPlatform> createSystemHidPlatform() {
    return std::make_unique<WindowsHidPlatform>();
}

WindowsHidPlatform::WindowsHidPlatform() {
    HidD_GetHidGuid(&hidGuid_);
}

WindowsHidPlatform::~WindowsHidPlatform() {
    stopWatching();
}

HidGuid WindowsHidPlatform::hidGuid() const {
    HidGuid guid;
    guid.Data1 = hidGuid_.Data1;
    guid.Data2 = hidGuid_.Data2;
    guid.Data3 = hidGuid_.Data3;
    std::copy(std::begin(hidGuid_.Data4), std::end(hidGuid_.Data4), guid.Data4);
    return guid;
}

bool WindowsHidPlatform::listInterfaces(std::vector<HidInterfaceRecord>& out) {
    return listDeviceInterfaces(hidGuid_, out);
}

std::string WindowsHidPlatform::hidVersion() const {
    const HMODULE library = GetModuleHandleW(L"hid.dll");
    wchar_t path[MAX_PATH];
    const DWORD pathLength = library != nullptr ? GetModuleFileNameW(library, path, MAX_PATH) : 0;
    if (pathLength == 0 || pathLength >= MAX_PATH) {
        return {};
    }
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0) {
        return {};
    }
    std::vector<std::uint8_t> block(size);
    void* value = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoW(path, 0, size, block.data()) ||
        !VerQueryValueW(block.data(), versionKey, &value, &length) || value == nullptr) {
        return {};
    }
    return toUtf8(untilZero(static_cast<const wchar_t*>(value), length));
}

void WindowsHidPlatform::startWatching(std::function<void()> changed) {
    watcher_ = std::make_unique<DeviceChangeWindow>(hidGuid_, std::move(changed));
}

void WindowsHidPlatform::stopWatching() {
    watcher_.reset();
}

HidHandle WindowsHidPlatform::open(const std::string& devicePath, HidAccess access) {
    const HANDLE file = CreateFileW(toWide(devicePath).c_str(), creationAccess(access),
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    isOverlapped(access) ? FILE_FLAG_OVERLAPPED : 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return InvalidHandle;
    }
    std::lock_guard lock(channelsMutex_);
    const HidHandle handle = nextHandle_++;
    channels_.emplace(handle, std::make_shared<WindowsChannel>(file));
    return handle;
}

void WindowsHidPlatform::close(HidHandle handle) {
    std::lock_guard lock(channelsMutex_);
    const auto found = channels_.find(handle);
    if (found != channels_.end() && found->second->close()) {
        channels_.erase(found);
    }
}

std::shared_ptr<WindowsChannel> WindowsHidPlatform::channel(HidHandle handle) {
    std::shared_ptr<WindowsChannel> found;
    {
        std::lock_guard lock(channelsMutex_);
        const auto entry = channels_.find(handle);
        if (entry != channels_.end()) {
            found = entry->second;
        }
    }
    if (!found) {
        SetLastError(ERROR_INVALID_HANDLE);
    }
    return found;
}

void WindowsHidPlatform::forgetIfFinished(HidHandle handle) {
    const LastErrorKeeper keeper;
    std::lock_guard lock(channelsMutex_);
    const auto found = channels_.find(handle);
    if (found != channels_.end() && found->second->finished()) {
        channels_.erase(found);
    }
}

template <typename Call>
bool WindowsHidPlatform::withFile(HidHandle handle, Call call) {
    const std::shared_ptr<WindowsChannel> open = channel(handle);
    const HANDLE file = open ? open->file() : INVALID_HANDLE_VALUE;
    if (file == INVALID_HANDLE_VALUE) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    return call(file, *open) != FALSE;
}

bool WindowsHidPlatform::getAttributes(HidHandle handle, HidAttributes& attributes) {
    HIDD_ATTRIBUTES system{};
    system.Size = sizeof(system);
    if (!withFile(handle, [&](HANDLE file, WindowsChannel&) {
            return HidD_GetAttributes(file, &system);
        })) {
        return false;
    }
    attributes.Size = system.Size;
    attributes.VendorID = system.VendorID;
    attributes.ProductID = system.ProductID;
    attributes.VersionNumber = system.VersionNumber;
    return true;
}

void* WindowsHidPlatform::getPreparsedData(HidHandle handle) {
    PHIDP_PREPARSED_DATA preparsed = nullptr;
    if (!withFile(handle, [&](HANDLE file, WindowsChannel&) {
            return HidD_GetPreparsedData(file, &preparsed);
        })) {
        return nullptr;
    }
    return preparsed;
}

void WindowsHidPlatform::freePreparsedData(void* preparsed) {
    if (preparsed != nullptr) {
        HidD_FreePreparsedData(parsed(preparsed));
    }
}

std::int32_t WindowsHidPlatform::getCaps(void* preparsed, HidCaps& caps) {
    static_assert(sizeof(HIDP_CAPS) == sizeof(HidCaps) && std::is_trivially_copyable_v<HidCaps>);
    HIDP_CAPS system{};
    const NTSTATUS status = HidP_GetCaps(parsed(preparsed), &system);
    if (status == HIDP_STATUS_SUCCESS) {
        std::memcpy(static_cast<void*>(&caps), &system, sizeof(caps));
    }
    return status;
}

bool WindowsHidPlatform::getManufacturerString(HidHandle handle, void* buffer,
                                               std::uint32_t bufferBytes) {
    return withFile(handle, [&](HANDLE file, WindowsChannel&) {
        return HidD_GetManufacturerString(file, buffer, std::min(bufferBytes, maxStringBytes));
    });
}

bool WindowsHidPlatform::getProductString(HidHandle handle, void* buffer,
                                          std::uint32_t bufferBytes) {
    return withFile(handle, [&](HANDLE file, WindowsChannel&) {
        return HidD_GetProductString(file, buffer, std::min(bufferBytes, maxStringBytes));
    });
}

bool WindowsHidPlatform::getSerialNumberString(HidHandle handle, void* buffer,
                                               std::uint32_t bufferBytes) {
    return withFile(handle, [&](HANDLE file, WindowsChannel&) {
        return HidD_GetSerialNumberString(file, buffer, std::min(bufferBytes, maxStringBytes));
    });
}

bool WindowsHidPlatform::getIndexedString(HidHandle handle, std::uint32_t index, void* buffer,
                                          std::uint32_t bufferBytes) {
    return withFile(handle, [&](HANDLE file, WindowsChannel&) {
        return HidD_GetIndexedString(file, index, buffer, std::min(bufferBytes, maxStringBytes));
    });
}

bool WindowsHidPlatform::getNumInputBuffers(HidHandle handle, std::uint32_t& count) {
    ULONG buffers = 0;
    if (!withFile(handle, [&](HANDLE file, WindowsChannel&) {
            return HidD_GetNumInputBuffers(file, &buffers);
        })) {
        return false;
    }
    count = buffers;
    return true;
}

bool WindowsHidPlatform::setNumInputBuffers(HidHandle handle, std::uint32_t count) {
    return withFile(
        handle, [&](HANDLE file, WindowsChannel&) { return HidD_SetNumInputBuffers(file, count); });
}

bool WindowsHidPlatform::getPhysicalDescriptor(HidHandle handle, void* buffer,
                                               std::uint32_t bufferBytes) {
    return withFile(handle, [&](HANDLE file, WindowsChannel&) {
        return HidD_GetPhysicalDescriptor(file, buffer, bufferBytes);
    });
}

bool WindowsHidPlatform::getConfiguration(HidHandle handle, HidConfiguration& configuration) {
    HIDD_CONFIGURATION system{};
    if (!withFile(handle, [&](HANDLE file, WindowsChannel& open) {
            const BOOLEAN ok = HidD_GetConfiguration(file, &system, sizeof(system));
            open.rememberCookie(system.cookie);
            return ok;
        })) {
        return false;
    }
    configuration.cookie =
        static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(system.cookie));
    configuration.size = system.size;
    configuration.RingBufferSize = system.RingBufferSize;
    return true;
}

bool WindowsHidPlatform::setConfiguration(HidHandle handle, const HidConfiguration& configuration) {
    return withFile(handle, [&](HANDLE file, WindowsChannel& open) {
        HIDD_CONFIGURATION system{};
        system.cookie = open.cookieFor(configuration.cookie);
        system.size = configuration.size;
        system.RingBufferSize = configuration.RingBufferSize;
        return HidD_SetConfiguration(file, &system, sizeof(system));
    });
}

bool WindowsHidPlatform::flushQueue(HidHandle handle) {
    return withFile(handle, [](HANDLE file, WindowsChannel&) { return HidD_FlushQueue(file); });
}

bool WindowsHidPlatform::getFeature(HidHandle handle, void* report, std::uint32_t size) {
    return withFile(
        handle, [&](HANDLE file, WindowsChannel&) { return HidD_GetFeature(file, report, size); });
}

bool WindowsHidPlatform::setFeature(HidHandle handle, const void* report, std::uint32_t size) {
    return withFile(handle, [&](HANDLE file, WindowsChannel&) {
        return HidD_SetFeature(file, writable(report), size);
    });
}

bool WindowsHidPlatform::getInputReport(HidHandle handle, void* report, std::uint32_t size) {
    return withFile(handle, [&](HANDLE file, WindowsChannel&) {
        return HidD_GetInputReport(file, report, size);
    });
}

bool WindowsHidPlatform::setOutputReport(HidHandle handle, const void* report, std::uint32_t size) {
    return withFile(handle, [&](HANDLE file, WindowsChannel&) {
        return HidD_SetOutputReport(file, writable(report), size);
    });
}

bool WindowsHidPlatform::deviceIoControl(HidHandle handle, std::uint32_t ioControlCode,
                                         const void* inBuffer, std::uint32_t inSize,
                                         void* outBuffer, std::uint32_t outSize,
                                         std::uint32_t& bytesReturned) {
    DWORD returned = 0;
    const bool ok = withFile(handle, [&](HANDLE file, WindowsChannel&) {
        return DeviceIoControl(file, ioControlCode, writable(inBuffer), inSize, outBuffer, outSize,
                               &returned, nullptr);
    });
    bytesReturned = returned;
    return ok;
}

std::int32_t WindowsHidPlatform::getButtonCaps(void* preparsed, std::uint32_t reportType,
                                               std::uint16_t usagePage,
                                               std::uint16_t linkCollection, std::uint16_t usage,
                                               void* caps, std::uint16_t& count) {
    return HidP_GetSpecificButtonCaps(reportTypeOf(reportType), usagePage, linkCollection, usage,
                                      static_cast<PHIDP_BUTTON_CAPS>(caps), &count,
                                      parsed(preparsed));
}

std::int32_t WindowsHidPlatform::getValueCaps(void* preparsed, std::uint32_t reportType,
                                              std::uint16_t usagePage, std::uint16_t linkCollection,
                                              std::uint16_t usage, void* caps,
                                              std::uint16_t& count) {
    return HidP_GetSpecificValueCaps(reportTypeOf(reportType), usagePage, linkCollection, usage,
                                     static_cast<PHIDP_VALUE_CAPS>(caps), &count,
                                     parsed(preparsed));
}

std::int32_t WindowsHidPlatform::getData(void* preparsed, std::uint32_t reportType, void* dataList,
                                         std::uint32_t& dataLength, void* report,
                                         std::uint32_t reportLength) {
    return withUlong(dataLength, [&](PULONG length) {
        return HidP_GetData(reportTypeOf(reportType), static_cast<PHIDP_DATA>(dataList), length,
                            parsed(preparsed), bytesOf(report), reportLength);
    });
}

std::int32_t WindowsHidPlatform::setData(void* preparsed, std::uint32_t reportType, void* dataList,
                                         std::uint32_t& dataLength, void* report,
                                         std::uint32_t reportLength) {
    return withUlong(dataLength, [&](PULONG length) {
        return HidP_SetData(reportTypeOf(reportType), static_cast<PHIDP_DATA>(dataList), length,
                            parsed(preparsed), bytesOf(report), reportLength);
    });
}

std::int32_t WindowsHidPlatform::usages(UsageOp op, void* preparsed, std::uint32_t reportType,
                                        std::uint16_t usagePage, std::uint16_t linkCollection,
                                        std::uint16_t* usageList, std::uint32_t& usageLength,
                                        void* report, std::uint32_t reportLength) {
    const auto call = op == UsageOp::Get   ? &HidP_GetUsages
                      : op == UsageOp::Set ? &HidP_SetUsages
                                           : &HidP_UnsetUsages;
    return withUlong(usageLength, [&](PULONG length) {
        return call(reportTypeOf(reportType), usagePage, linkCollection, usageList, length,
                    parsed(preparsed), bytesOf(report), reportLength);
    });
}

std::int32_t WindowsHidPlatform::getUsagesEx(void* preparsed, std::uint32_t reportType,
                                             std::uint16_t linkCollection, void* buttonList,
                                             std::uint32_t& usageLength, void* report,
                                             std::uint32_t reportLength) {
    return withUlong(usageLength, [&](PULONG length) {
        return HidP_GetUsagesEx(reportTypeOf(reportType), linkCollection,
                                static_cast<PUSAGE_AND_PAGE>(buttonList), length, parsed(preparsed),
                                bytesOf(report), reportLength);
    });
}

std::int32_t WindowsHidPlatform::getUsageValue(bool scaled, void* preparsed,
                                               std::uint32_t reportType, std::uint16_t usagePage,
                                               std::uint16_t linkCollection, std::uint16_t usage,
                                               std::int64_t& value, void* report,
                                               std::uint32_t reportLength) {
    if (scaled) {
        LONG scaledValue = 0;
        const NTSTATUS status = HidP_GetScaledUsageValue(
            reportTypeOf(reportType), usagePage, linkCollection, usage, &scaledValue,
            parsed(preparsed), bytesOf(report), reportLength);
        value = scaledValue;
        return status;
    }
    ULONG rawValue = 0;
    const NTSTATUS status =
        HidP_GetUsageValue(reportTypeOf(reportType), usagePage, linkCollection, usage, &rawValue,
                           parsed(preparsed), bytesOf(report), reportLength);
    value = rawValue;
    return status;
}

std::int32_t WindowsHidPlatform::setUsageValue(bool scaled, void* preparsed,
                                               std::uint32_t reportType, std::uint16_t usagePage,
                                               std::uint16_t linkCollection, std::uint16_t usage,
                                               std::int64_t value, void* report,
                                               std::uint32_t reportLength) {
    if (scaled) {
        return HidP_SetScaledUsageValue(reportTypeOf(reportType), usagePage, linkCollection, usage,
                                        static_cast<LONG>(value), parsed(preparsed),
                                        bytesOf(report), reportLength);
    }
    return HidP_SetUsageValue(reportTypeOf(reportType), usagePage, linkCollection, usage,
                              static_cast<ULONG>(value), parsed(preparsed), bytesOf(report),
                              reportLength);
}

std::int32_t WindowsHidPlatform::usageValueArray(bool set, void* preparsed,
                                                 std::uint32_t reportType, std::uint16_t usagePage,
                                                 std::uint16_t linkCollection, std::uint16_t usage,
                                                 char* buffer, std::uint16_t bufferLength,
                                                 void* report, std::uint32_t reportLength) {
    const auto call = set ? &HidP_SetUsageValueArray : &HidP_GetUsageValueArray;
    return call(reportTypeOf(reportType), usagePage, linkCollection, usage, buffer, bufferLength,
                parsed(preparsed), bytesOf(report), reportLength);
}

std::int32_t WindowsHidPlatform::getExtendedAttributes(void* preparsed, std::uint32_t reportType,
                                                       std::uint16_t dataIndex, void* attributes,
                                                       std::uint32_t& length) {
    return withUlong(length, [&](PULONG attributesLength) {
        return HidP_GetExtendedAttributes(reportTypeOf(reportType), dataIndex, parsed(preparsed),
                                          static_cast<PHIDP_EXTENDED_ATTRIBUTES>(attributes),
                                          attributesLength);
    });
}

std::int32_t WindowsHidPlatform::initializeReportForID(void* preparsed, std::uint32_t reportType,
                                                       std::uint8_t reportId, void* report,
                                                       std::uint32_t reportLength) {
    return HidP_InitializeReportForID(reportTypeOf(reportType), reportId, parsed(preparsed),
                                      bytesOf(report), reportLength);
}

std::uint32_t WindowsHidPlatform::maxDataListLength(void* preparsed, std::uint32_t reportType) {
    return HidP_MaxDataListLength(reportTypeOf(reportType), parsed(preparsed));
}

std::uint32_t WindowsHidPlatform::maxUsageListLength(void* preparsed, std::uint32_t reportType,
                                                     std::uint16_t usagePage) {
    return HidP_MaxUsageListLength(reportTypeOf(reportType), usagePage, parsed(preparsed));
}

bool WindowsHidPlatform::write(HidHandle handle, const void* report, std::uint32_t toWrite,
                               std::uint32_t& written) {
    DWORD moved = 0;
    const bool ok = withFile(handle, [&](HANDLE file, WindowsChannel&) {
        return WriteFile(file, report, toWrite, &moved, nullptr);
    });
    written = moved;
    return ok;
}

bool WindowsHidPlatform::read(HidHandle handle, void* report, std::uint32_t toRead,
                              std::uint32_t& bytesRead) {
    DWORD moved = 0;
    const bool ok = withFile(handle, [&](HANDLE file, WindowsChannel&) {
        return ReadFile(file, report, toRead, &moved, nullptr);
    });
    bytesRead = moved;
    return ok;
}

bool WindowsHidPlatform::startRead(HidHandle handle, void* buffer, std::uint32_t toRead) {
    const std::shared_ptr<WindowsChannel> open = channel(handle);
    return open && open->startRead(buffer, toRead);
}

bool WindowsHidPlatform::startWrite(HidHandle handle, const void* buffer, std::uint32_t toWrite) {
    const std::shared_ptr<WindowsChannel> open = channel(handle);
    return open && open->startWrite(buffer, toWrite);
}

HidWaitResult WindowsHidPlatform::wait(HidHandle handle, std::uint32_t milliseconds) {
    const std::shared_ptr<WindowsChannel> open = channel(handle);
    // A forgotten channel has nothing outstanding: its transfer has ended.
    if (!open) {
        return HidWaitResult::IoCompletion;
    }
    const HidWaitResult result = open->wait(milliseconds);
    forgetIfFinished(handle);
    return result;
}

std::uint32_t WindowsHidPlatform::transferResult(HidHandle handle) {
    const std::shared_ptr<WindowsChannel> open = channel(handle);
    return open ? open->transferResult() : 0;
}

bool WindowsHidPlatform::cancel(HidHandle handle) {
    const std::shared_ptr<WindowsChannel> open = channel(handle);
    if (!open) {
        return false;
    }
    const bool cancelled = open->cancel();
    forgetIfFinished(handle);
    return cancelled;
}

void WindowsHidPlatform::interruptWait(HidHandle handle) {
    if (const std::shared_ptr<WindowsChannel> open = channel(handle)) {
        open->interruptWait();
    }
}

std::uint32_t WindowsHidPlatform::lastError() const {
    return GetLastError();
}

std::string WindowsHidPlatform::errorMessage(std::uint32_t code) const {
    const LastErrorKeeper keeper;
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0 || text == nullptr) {
        return {};
    }
    std::string message = toUtf8(std::wstring_view(text, length));
    LocalFree(text);
    return message;
}

bool WindowsHidPlatform::languageName(std::uint16_t languageId, std::u16string& name) const {
    wchar_t buffer[512];
    const int length =
        GetLocaleInfoW(MAKELCID(languageId, SORT_DEFAULT), LOCALE_SLANGUAGE, buffer, 512);
    if (length <= 0) {
        return false;
    }
    const std::wstring_view text = untilZero(buffer, static_cast<std::size_t>(length));
    name.assign(text.begin(), text.end());
    return true;
}
