#include "hid/THidDevice.h"

#include <algorithm>
#include <cstdio>

#include "hid/EControllerError.h"
#include "hid/THidDeviceController.h"
#include "hid/THidDeviceReadThread.h"

namespace {

// USB string descriptors hold at most 126 characters; the buffers are sized as
// the platform's HID services expect.
constexpr std::size_t stringUnits = 254;
constexpr std::uint32_t stringBytes = stringUnits * sizeof(char16_t);
constexpr std::size_t languageNameUnits = 256;
constexpr std::uint32_t maxPhysicalDescriptorWords = 2048;

THidDeviceController& requireController(THidDeviceController* Controller) {
    if (Controller == nullptr) {
        throw EControllerError("Direct creation of a THidDevice object is not allowed");
    }
    return *Controller;
}

std::u16string upToZero(const char16_t* units, std::size_t count) {
    return {units, static_cast<std::size_t>(std::find(units, units + count, u'\0') - units)};
}

// The number of language identifiers in a table that was pre-filled with 0xFFFF.
std::size_t languageCount(const std::uint16_t* table, std::size_t size) {
    for (std::size_t i = size; i-- > 0;) {
        if (table[i] != 0xFFFF) {
            return table[i] == 0 ? i : i + 1;
        }
    }
    return 0;
}

std::string toUtf8(const std::u16string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;  // an unpaired surrogate
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace

THidDevice::THidDevice(std::unique_ptr<THidPnPInfo> PnPInfo, THidDeviceController* Controller)
    : FPlatform(requireController(Controller).FPlatform),
      FUiThread(Controller->FUiThread),
      FMyController(Controller),
      FPnPInfo(std::move(PnPInfo)),
      FData(Controller->OnDeviceData()),
      FUnplug(Controller->OnDeviceUnplug()) {
    if (!FPnPInfo) {
        throw EControllerError("Direct creation of a THidDevice object is not allowed");
    }
    FHidFileHandle = FPlatform.open(FPnPInfo->DevicePath(), HidAccess::ReadWrite);
    FHasReadWriteAccess = FHidFileHandle != InvalidHandle;
    if (!FHasReadWriteAccess) {
        FHidFileHandle = FPlatform.open(FPnPInfo->DevicePath(), HidAccess::QueryOnly);
    }
    if (FHidFileHandle == InvalidHandle) {
        throw EControllerError("device cannot be opened");
    }
    FAttributes.Size = sizeof(HidAttributes);
    const bool identified = FPlatform.getAttributes(FHidFileHandle, FAttributes);
    CloseFile();
    if (!identified) {
        throw EControllerError("device cannot be identified");
    }
}

THidDevice::~THidDevice() {
    const THidDataEvent data = FData;
    const THidPlugEvent unplug = FUnplug;
    setOnData({});
    FUnplug = {};
    CloseAllChannels();
    if (FPreparsedData != nullptr) {
        FPlatform.freePreparsedData(FPreparsedData);
    }
    FLanguageStrings.clear();
    if (FMyController != nullptr) {
        FMyController->DeviceDestroyed(this, data, unplug);
    }
}

bool THidDevice::IsAccessible() const {
    return FIsPluggedIn && (FIsCheckedOut || FIsEnumerated);
}

bool THidDevice::CheckOut() {
    if (FMyController == nullptr || !FIsPluggedIn || FIsCheckedOut) {
        return false;
    }
    FIsCheckedOut = true;
    ++FMyController->FNumCheckedOutDevices;
    --FMyController->FNumCheckedInDevices;
    StartIfReady();
    return true;
}

// --- channels ----------------------------------------------------------------

bool THidDevice::OpenFile() {
    if (IsAccessible() && FHidFileHandle == InvalidHandle) {
        FHidFileHandle = FPlatform.open(FPnPInfo->DevicePath(), HidAccess::ReadWrite);
        FHasReadWriteAccess = FHidFileHandle != InvalidHandle;
        if (!FHasReadWriteAccess) {
            FHidFileHandle = FPlatform.open(FPnPInfo->DevicePath(), HidAccess::QueryOnly);
        }
        if (FHidFileHandle != InvalidHandle) {
            if (FNumInputBuffers != 0) {
                FPlatform.setNumInputBuffers(FHidFileHandle,
                                             static_cast<std::uint32_t>(FNumInputBuffers));
            }
            std::uint32_t count = 0;
            if (FPlatform.getNumInputBuffers(FHidFileHandle, count)) {
                FNumInputBuffers = static_cast<std::int32_t>(count);
            }
        }
    }
    return FHidFileHandle != InvalidHandle;
}

bool THidDevice::OpenFileEx(THidOpenExMode Mode) {
    if (!IsAccessible()) {
        return false;
    }
    if (Mode == omhWrite) {
        if (FHidOverlappedWrite == InvalidHandle) {
            FHidOverlappedWrite =
                FPlatform.open(FPnPInfo->DevicePath(), HidAccess::OverlappedWrite);
        }
        return FHidOverlappedWrite != InvalidHandle;
    }
    // The reader opens this channel while the user-interface thread may close
    // it for an unplug: whichever of the two takes the handle closes it.
    if (FHidOverlappedRead == InvalidHandle) {
        const HidHandle handle = FPlatform.open(FPnPInfo->DevicePath(), HidAccess::OverlappedRead);
        if (handle == InvalidHandle) {
            return false;
        }
        if (FNumOverlappedBuffers != 0) {
            FPlatform.setNumInputBuffers(handle, static_cast<std::uint32_t>(FNumOverlappedBuffers));
        }
        std::uint32_t count = 0;
        if (FPlatform.getNumInputBuffers(handle, count)) {
            FNumOverlappedBuffers = static_cast<std::int32_t>(count);
        }
        HidHandle expected = InvalidHandle;
        if (!FHidOverlappedRead.compare_exchange_strong(expected, handle)) {
            FPlatform.close(handle);
        } else if (!IsAccessible()) {
            expected = handle;
            if (FHidOverlappedRead.compare_exchange_strong(expected, InvalidHandle)) {
                FPlatform.close(handle);
            }
        }
    }
    return FHidOverlappedRead != InvalidHandle;
}

void THidDevice::CloseFile() {
    if (FHidFileHandle != InvalidHandle) {
        FPlatform.close(FHidFileHandle);
        FHidFileHandle = InvalidHandle;
    }
    FNumInputBuffers = 0;
}

void THidDevice::CloseFileEx(THidOpenExMode Mode) {
    if (Mode == omhWrite) {
        if (FHidOverlappedWrite != InvalidHandle) {
            FPlatform.close(FHidOverlappedWrite);
            FHidOverlappedWrite = InvalidHandle;
        }
        return;
    }
    const HidHandle handle = FHidOverlappedRead.exchange(InvalidHandle);
    if (handle != InvalidHandle) {
        FPlatform.close(handle);
    }
    FNumOverlappedBuffers = 0;
}

void THidDevice::CloseAllChannels() {
    CloseFile();
    CloseFileEx(omhRead);
    CloseFileEx(omhWrite);
}

// --- cached queries ----------------------------------------------------------

void* THidDevice::PreparsedData() {
    if (FPreparsedData == nullptr && OpenFile()) {
        FPreparsedData = FPlatform.getPreparsedData(FHidFileHandle);
        CloseFile();
    }
    return FPreparsedData;
}

HidCaps THidDevice::Caps() {
    HidCaps caps{};
    if (void* preparsed = PreparsedData()) {
        if (FPlatform.getCaps(preparsed, caps) != HidpStatusSuccess) {
            caps = HidCaps{};
        }
    }
    return caps;
}

std::u16string THidDevice::CachedString(std::u16string& Cache,
                                        bool (HidPlatform::*Query)(HidHandle, void*,
                                                                   std::uint32_t)) {
    if (Cache.empty() && OpenFile()) {
        char16_t buffer[stringUnits] = {};
        if ((FPlatform.*Query)(FHidFileHandle, buffer, stringBytes)) {
            Cache = upToZero(buffer, stringUnits);
        }
        CloseFile();
    }
    return Cache;
}

std::u16string THidDevice::VendorName() {
    return CachedString(FVendorName, &HidPlatform::getManufacturerString);
}

std::u16string THidDevice::ProductName() {
    return CachedString(FProductName, &HidPlatform::getProductString);
}

std::u16string THidDevice::SerialNumber() {
    if (FSerialNumber.empty() && OpenFile()) {
        char16_t serial[stringUnits] = {};
        if (FPlatform.getSerialNumberString(FHidFileHandle, serial, stringBytes)) {
            std::uint16_t languages[stringUnits];
            std::fill(std::begin(languages), std::end(languages), 0xFFFF);
            FPlatform.getIndexedString(FHidFileHandle, 0, languages, stringBytes);
            // Some devices answer the serial number request with their
            // language table; that is no serial number.
            const std::size_t n = languageCount(languages, stringUnits);
            for (std::size_t i = 0; i < n; ++i) {
                if (serial[i] != languages[i]) {
                    FSerialNumber = upToZero(serial, stringUnits);
                    break;
                }
            }
        }
        CloseFile();
    }
    return FSerialNumber;
}

std::u16string THidDevice::IndexedString(std::uint8_t Index) {
    if (Index == 0 || !OpenFile()) {
        return {};
    }
    char16_t buffer[stringUnits] = {};
    if (!FPlatform.getIndexedString(FHidFileHandle, Index, buffer, stringBytes)) {
        return {};
    }
    return upToZero(buffer, stringUnits);
}

std::string THidDevice::IndexedStringA(std::uint8_t Index) {
    return toUtf8(IndexedString(Index));
}

std::vector<std::u16string> THidDevice::LanguageStrings() {
    if (FLanguageStrings.empty() && OpenFile()) {
        std::uint16_t languages[stringUnits];
        std::fill(std::begin(languages), std::end(languages), 0xFFFF);
        const std::size_t n = FPlatform.getIndexedString(FHidFileHandle, 0, languages, stringBytes)
                                  ? languageCount(languages, stringUnits)
                                  : 0;
        for (std::size_t i = 0; i < n; ++i) {
            std::u16string name;
            if (FPlatform.languageName(languages[i], name)) {
                name = upToZero(name.data(), std::min(name.size(), languageNameUnits));
                FLanguageStrings.push_back(std::move(name));
            } else {
                char text[40];
                std::snprintf(text, sizeof text, "unknown Locale ID $%.4X", languages[i]);
                FLanguageStrings.emplace_back(text, text + std::char_traits<char>::length(text));
            }
        }
        CloseFile();
    }
    return FLanguageStrings;
}

THidPhysicalDescriptor THidDevice::PhysicalDescriptor() {
    if (FPhysicalDescriptor.empty() && OpenFile()) {
        FPhysicalDescriptor.assign(maxPhysicalDescriptorWords, 0);
        std::size_t length = 0;
        for (std::uint32_t k = 0; k <= maxPhysicalDescriptorWords; ++k) {
            if (FPlatform.getPhysicalDescriptor(FHidFileHandle, FPhysicalDescriptor.data(),
                                                k * sizeof(std::uint16_t))) {
                length = k;
                break;
            }
            if (FPlatform.lastError() != HidErrorInsufficientBuffer) {
                break;
            }
        }
        FPhysicalDescriptor.resize(length);
        CloseFile();
    }
    return FPhysicalDescriptor;
}

HidConfiguration THidDevice::Configuration() {
    HidConfiguration config{};
    if (OpenFile()) {
        FPlatform.getConfiguration(FHidFileHandle, config);
    }
    return config;
}

void THidDevice::setConfiguration(const HidConfiguration& Config) {
    if (OpenFile()) {
        FPlatform.setConfiguration(FHidFileHandle, Config);
    }
}

void THidDevice::setNumInputBuffers(std::int32_t Count) {
    if (Count == FNumInputBuffers || !OpenFile()) {
        return;
    }
    FPlatform.setNumInputBuffers(FHidFileHandle, static_cast<std::uint32_t>(Count));
    std::uint32_t count = 0;
    if (FPlatform.getNumInputBuffers(FHidFileHandle, count)) {
        FNumInputBuffers = static_cast<std::int32_t>(count);
    }
}

void THidDevice::setNumOverlappedBuffers(std::int32_t Count) {
    if (Count == FNumOverlappedBuffers || !OpenFileEx(omhRead)) {
        return;
    }
    const HidHandle handle = FHidOverlappedRead;
    FPlatform.setNumInputBuffers(handle, static_cast<std::uint32_t>(Count));
    std::uint32_t count = 0;
    if (FPlatform.getNumInputBuffers(handle, count)) {
        FNumOverlappedBuffers = static_cast<std::int32_t>(count);
    }
}

// --- report transfer ---------------------------------------------------------

bool THidDevice::WriteFile(const void* Report, std::uint32_t ToWrite, std::uint32_t& BytesWritten) {
    BytesWritten = 0;
    return OpenFile() && FPlatform.write(FHidFileHandle, Report, ToWrite, BytesWritten);
}

bool THidDevice::ReadFile(void* Report, std::uint32_t ToRead, std::uint32_t& BytesRead) {
    BytesRead = 0;
    return OpenFile() && FPlatform.read(FHidFileHandle, Report, ToRead, BytesRead);
}

bool THidDevice::StartRead(void* Report, std::uint32_t ToRead, HidHandle& Handle) {
    Handle = OpenFileEx(omhRead) ? FHidOverlappedRead.load() : InvalidHandle;
    return Handle != InvalidHandle && FPlatform.startRead(Handle, Report, ToRead);
}

bool THidDevice::ReadFileEx(void* Report, std::uint32_t ToRead) {
    HidHandle handle;
    return StartRead(Report, ToRead, handle);
}

bool THidDevice::WriteFileEx(const void* Report, std::uint32_t ToWrite) {
    return OpenFileEx(omhWrite) && FPlatform.startWrite(FHidOverlappedWrite, Report, ToWrite);
}

std::uint32_t THidDevice::HidOverlappedReadResult() {
    const HidHandle handle = FHidOverlappedRead;
    return handle != InvalidHandle ? FPlatform.transferResult(handle) : 0;
}

std::uint32_t THidDevice::HidOverlappedWriteResult() {
    return FHidOverlappedWrite != InvalidHandle ? FPlatform.transferResult(FHidOverlappedWrite) : 0;
}

bool THidDevice::CancelIO(THidOpenExMode Mode) {
    const HidHandle handle = Mode == omhRead ? FHidOverlappedRead.load() : FHidOverlappedWrite;
    return handle != InvalidHandle && FPlatform.cancel(handle);
}

bool THidDevice::FlushQueue() {
    return OpenFile() && FPlatform.flushQueue(FHidFileHandle);
}

bool THidDevice::GetFeature(void* Report, std::uint32_t Size) {
    return OpenFile() && FPlatform.getFeature(FHidFileHandle, Report, Size);
}

bool THidDevice::SetFeature(const void* Report, std::uint32_t Size) {
    return OpenFile() && FPlatform.setFeature(FHidFileHandle, Report, Size);
}

bool THidDevice::GetInputReport(void* Report, std::uint32_t Size) {
    return OpenFile() && FPlatform.getInputReport(FHidFileHandle, Report, Size);
}

bool THidDevice::SetOutputReport(const void* Report, std::uint32_t Size) {
    return OpenFile() && FPlatform.setOutputReport(FHidFileHandle, Report, Size);
}

bool THidDevice::DeviceIoControl(std::uint32_t IoControlCode, const void* InBuffer,
                                 std::uint32_t InSize, void* OutBuffer, std::uint32_t OutSize,
                                 std::uint32_t& BytesReturned) {
    BytesReturned = 0;
    return OpenFile() && FPlatform.deviceIoControl(FHidFileHandle, IoControlCode, InBuffer, InSize,
                                                   OutBuffer, OutSize, BytesReturned);
}

// --- handlers and the reader -------------------------------------------------

void THidDevice::setOnData(const THidDataEvent& Handler) {
    if (!Handler) {
        StopThread();
    }
    FData = Handler;
    StartIfReady();
}

void THidDevice::setThreadSleepTime(std::int32_t Milliseconds) {
    if (Milliseconds >= 10 && Milliseconds <= 10000) {
        FThreadSleepTime = Milliseconds;
    }
}

void THidDevice::StartIfReady() {
    if (FData && FIsPluggedIn && FIsCheckedOut && FHasReadWriteAccess && !FDataThread) {
        // Opened here rather than by the reader's first read, so that a reply
        // to a request sent right after this call is already queued for it.
        OpenFileEx(omhRead);
        FDataThread = std::make_unique<THidDeviceReadThread>(this);
        FDataThread->Start();
    }
}

void THidDevice::StopThread() {
    // Taken out first: a delivery run while waiting may stop this device again.
    if (auto reader = std::move(FDataThread)) {
        reader->Terminate();
        reader->WaitFor();
    }
}

void THidDevice::Unplug() {
    // Marked gone before the channels close, so that a reader reopening the
    // read channel at this moment sees it and closes what it opened.
    FIsPluggedIn = false;
    CloseAllChannels();
    if (FUnplug) {
        const THidPlugEvent handler = FUnplug;
        FUnplug = {};
        handler(this);
    }
}

// --- report parser -----------------------------------------------------------

void THidDevice::UpdateListLengths() {
    if (!IsAccessible()) {
        return;
    }
    void* preparsed = PreparsedData();
    FMaxDataListLength = FPlatform.maxDataListLength(preparsed, FReportTypeParam);
    FMaxUsageListLength =
        FPlatform.maxUsageListLength(preparsed, FReportTypeParam, FUsagePageParam);
    FMaxButtonListLength = FMaxUsageListLength;
}

void THidDevice::setReportTypeParam(std::uint32_t ReportType) {
    FReportTypeParam = ReportType;
    UpdateListLengths();
}

void THidDevice::setUsagePageParam(std::uint16_t UsagePage) {
    FUsagePageParam = UsagePage;
    UpdateListLengths();
}

std::int32_t THidDevice::ButtonCaps(bool Specific, void* ButtonCaps, std::uint16_t& Count) {
    if (!IsAccessible()) {
        return HidpStatusNull;
    }
    return FPlatform.getButtonCaps(
        PreparsedData(), FReportTypeParam, Specific ? FUsagePageParam : 0,
        Specific ? FLinkCollectionParam : 0, Specific ? FUsageParam : 0, ButtonCaps, Count);
}

std::int32_t THidDevice::ValueCaps(bool Specific, void* ValueCaps, std::uint16_t& Count) {
    if (!IsAccessible()) {
        return HidpStatusNull;
    }
    return FPlatform.getValueCaps(PreparsedData(), FReportTypeParam, Specific ? FUsagePageParam : 0,
                                  Specific ? FLinkCollectionParam : 0, Specific ? FUsageParam : 0,
                                  ValueCaps, Count);
}

std::int32_t THidDevice::GetButtonCaps(void* ButtonCaps, std::uint16_t& Count) {
    return this->ButtonCaps(false, ButtonCaps, Count);
}

std::int32_t THidDevice::GetSpecificButtonCaps(void* ButtonCaps, std::uint16_t& Count) {
    return this->ButtonCaps(true, ButtonCaps, Count);
}

std::int32_t THidDevice::GetValueCaps(void* ValueCaps, std::uint16_t& Count) {
    return this->ValueCaps(false, ValueCaps, Count);
}

std::int32_t THidDevice::GetSpecificValueCaps(void* ValueCaps, std::uint16_t& Count) {
    return this->ValueCaps(true, ValueCaps, Count);
}

std::int32_t THidDevice::GetData(void* DataList, std::uint32_t& DataLength, void* Report,
                                 std::uint32_t ReportLength) {
    if (!IsAccessible()) {
        return HidpStatusNull;
    }
    return FPlatform.getData(PreparsedData(), FReportTypeParam, DataList, DataLength, Report,
                             ReportLength);
}

std::int32_t THidDevice::SetData(void* DataList, std::uint32_t& DataLength, void* Report,
                                 std::uint32_t ReportLength) {
    if (!IsAccessible()) {
        return HidpStatusNull;
    }
    return FPlatform.setData(PreparsedData(), FReportTypeParam, DataList, DataLength, Report,
                             ReportLength);
}

std::int32_t THidDevice::Usages(UsagesOp Op, std::uint16_t* UsageList, std::uint32_t& UsageLength,
                                void* Report, std::uint32_t ReportLength) {
    if (!IsAccessible()) {
        return HidpStatusNull;
    }
    return FPlatform.usages(Op, PreparsedData(), FReportTypeParam, FUsagePageParam,
                            FLinkCollectionParam, UsageList, UsageLength, Report, ReportLength);
}

std::int32_t THidDevice::GetUsages(std::uint16_t* UsageList, std::uint32_t& UsageLength,
                                   void* Report, std::uint32_t ReportLength) {
    return Usages(UsagesOp::Get, UsageList, UsageLength, Report, ReportLength);
}

std::int32_t THidDevice::GetButtons(std::uint16_t* UsageList, std::uint32_t& UsageLength,
                                    void* Report, std::uint32_t ReportLength) {
    return Usages(UsagesOp::Get, UsageList, UsageLength, Report, ReportLength);
}

std::int32_t THidDevice::SetUsages(std::uint16_t* UsageList, std::uint32_t& UsageLength,
                                   void* Report, std::uint32_t ReportLength) {
    return Usages(UsagesOp::Set, UsageList, UsageLength, Report, ReportLength);
}

std::int32_t THidDevice::SetButtons(std::uint16_t* UsageList, std::uint32_t& UsageLength,
                                    void* Report, std::uint32_t ReportLength) {
    return Usages(UsagesOp::Set, UsageList, UsageLength, Report, ReportLength);
}

std::int32_t THidDevice::UnsetUsages(std::uint16_t* UsageList, std::uint32_t& UsageLength,
                                     void* Report, std::uint32_t ReportLength) {
    return Usages(UsagesOp::Unset, UsageList, UsageLength, Report, ReportLength);
}

std::int32_t THidDevice::UnsetButtons(std::uint16_t* UsageList, std::uint32_t& UsageLength,
                                      void* Report, std::uint32_t ReportLength) {
    return Usages(UsagesOp::Unset, UsageList, UsageLength, Report, ReportLength);
}

std::int32_t THidDevice::UsagesEx(void* ButtonList, std::uint32_t& UsageLength, void* Report,
                                  std::uint32_t ReportLength) {
    if (!IsAccessible()) {
        return HidpStatusNull;
    }
    return FPlatform.getUsagesEx(PreparsedData(), FReportTypeParam, FLinkCollectionParam,
                                 ButtonList, UsageLength, Report, ReportLength);
}

std::int32_t THidDevice::GetUsagesEx(void* ButtonList, std::uint32_t& UsageLength, void* Report,
                                     std::uint32_t ReportLength) {
    return UsagesEx(ButtonList, UsageLength, Report, ReportLength);
}

std::int32_t THidDevice::GetButtonsEx(void* ButtonList, std::uint32_t& UsageLength, void* Report,
                                      std::uint32_t ReportLength) {
    return UsagesEx(ButtonList, UsageLength, Report, ReportLength);
}

std::int32_t THidDevice::UsageValue(bool Scaled, bool Set, std::int64_t& Value, void* Report,
                                    std::uint32_t ReportLength) {
    if (!IsAccessible()) {
        return HidpStatusNull;
    }
    void* preparsed = PreparsedData();
    return Set ? FPlatform.setUsageValue(Scaled, preparsed, FReportTypeParam, FUsagePageParam,
                                         FLinkCollectionParam, FUsageParam, Value, Report,
                                         ReportLength)
               : FPlatform.getUsageValue(Scaled, preparsed, FReportTypeParam, FUsagePageParam,
                                         FLinkCollectionParam, FUsageParam, Value, Report,
                                         ReportLength);
}

std::int32_t THidDevice::GetUsageValue(std::uint32_t& UsageValue, void* Report,
                                       std::uint32_t ReportLength) {
    std::int64_t value = 0;
    const std::int32_t status = this->UsageValue(false, false, value, Report, ReportLength);
    if (status == HidpStatusSuccess) {
        UsageValue = static_cast<std::uint32_t>(value);
    }
    return status;
}

std::int32_t THidDevice::GetScaledUsageValue(std::int32_t& UsageValue, void* Report,
                                             std::uint32_t ReportLength) {
    std::int64_t value = 0;
    const std::int32_t status = this->UsageValue(true, false, value, Report, ReportLength);
    if (status == HidpStatusSuccess) {
        UsageValue = static_cast<std::int32_t>(value);
    }
    return status;
}

std::int32_t THidDevice::SetUsageValue(std::uint32_t UsageValue, void* Report,
                                       std::uint32_t ReportLength) {
    std::int64_t value = UsageValue;
    return this->UsageValue(false, true, value, Report, ReportLength);
}

std::int32_t THidDevice::SetScaledUsageValue(std::int32_t UsageValue, void* Report,
                                             std::uint32_t ReportLength) {
    std::int64_t value = UsageValue;
    return this->UsageValue(true, true, value, Report, ReportLength);
}

std::int32_t THidDevice::UsageValueArray(bool Set, char* UsageValue,
                                         std::uint16_t UsageValueByteLength, void* Report,
                                         std::uint32_t ReportLength) {
    if (!IsAccessible()) {
        return HidpStatusNull;
    }
    return FPlatform.usageValueArray(Set, PreparsedData(), FReportTypeParam, FUsagePageParam,
                                     FLinkCollectionParam, FUsageParam, UsageValue,
                                     UsageValueByteLength, Report, ReportLength);
}

std::int32_t THidDevice::GetUsageValueArray(char* UsageValue, std::uint16_t UsageValueByteLength,
                                            void* Report, std::uint32_t ReportLength) {
    return UsageValueArray(false, UsageValue, UsageValueByteLength, Report, ReportLength);
}

std::int32_t THidDevice::SetUsageValueArray(char* UsageValue, std::uint16_t UsageValueByteLength,
                                            void* Report, std::uint32_t ReportLength) {
    return UsageValueArray(true, UsageValue, UsageValueByteLength, Report, ReportLength);
}

std::int32_t THidDevice::GetExtendedAttributes(std::uint16_t DataIndex, void* Attributes,
                                               std::uint32_t& LengthAttributes) {
    return FPlatform.getExtendedAttributes(PreparsedData(), FReportTypeParam, DataIndex, Attributes,
                                           LengthAttributes);
}

std::int32_t THidDevice::InitializeReportForID(std::uint8_t ReportID, void* Report,
                                               std::uint32_t ReportLength) {
    return FPlatform.initializeReportForID(PreparsedData(), FReportTypeParam, ReportID, Report,
                                           ReportLength);
}
