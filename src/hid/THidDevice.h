#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hid/HidTypes.h"
#include "hid/THidPnPInfo.h"
#include "hid/platform/HidPlatform.h"

class THidDeviceController;
class THidDeviceReadThread;
class UiThread;

// One HID device interface found by the controller. Channels to the device are
// opened only when needed and only while the device is accessible (plugged in
// and either checked out or shown to a controller callback); strings, the
// parsed report descriptor, the language list and the physical descriptor are
// cached. While checked out with a data handler and read-write access, a
// reader thread hands each input report to OnData on the user-interface thread.
//
// Everything here runs on the user-interface thread except what the reader
// uses. Destroying a device (`delete`) stops its reader and, while the
// controller still lists it, lets the controller renew or drop its position.
// The platform and the user-interface thread must outlive every device.
class THidDevice {
public:
    // Made by the controller; `PnPInfo` becomes the device's. Throws
    // EControllerError when the device cannot be opened or identified.
    THidDevice(std::unique_ptr<THidPnPInfo> PnPInfo, THidDeviceController* Controller);
    ~THidDevice();
    THidDevice(const THidDevice&) = delete;
    THidDevice& operator=(const THidDevice&) = delete;

    // --- identity ------------------------------------------------------------
    const HidAttributes& Attributes() const { return FAttributes; }
    const THidPnPInfo& PnPInfo() const { return *FPnPInfo; }
    bool IsPluggedIn() const { return FIsPluggedIn; }
    bool IsCheckedOut() const { return FIsCheckedOut; }
    bool HasReadWriteAccess() const { return FHasReadWriteAccess; }
    HidHandle HidFileHandle() const { return FHidFileHandle; }
    HidHandle HidOverlappedRead() const { return FHidOverlappedRead; }
    HidHandle HidOverlappedWrite() const { return FHidOverlappedWrite; }
    std::int32_t Tag() const { return FTag; }
    void setTag(std::int32_t Tag) { FTag = Tag; }
    THidDeviceController* Controller() const { return FMyController; }

    bool CheckOut();

    // --- channels ------------------------------------------------------------
    bool OpenFile();
    bool OpenFileEx(THidOpenExMode Mode);
    void CloseFile();
    void CloseFileEx(THidOpenExMode Mode);

    // --- queries -------------------------------------------------------------
    HidCaps Caps();
    void* PreparsedData();
    std::u16string VendorName();
    std::u16string ProductName();
    std::u16string SerialNumber();
    // Empty for index 0 or when there is no such string; leaves the general channel open.
    std::u16string IndexedString(std::uint8_t Index);
    // The same text in the 8-bit form the program shows (UTF-8).
    std::string IndexedStringA(std::uint8_t Index);
    std::vector<std::u16string> LanguageStrings();
    THidPhysicalDescriptor PhysicalDescriptor();
    // Read and written through the platform; leave the general channel open.
    HidConfiguration Configuration();
    void setConfiguration(const HidConfiguration& Config);
    std::int32_t NumInputBuffers() const { return FNumInputBuffers; }
    void setNumInputBuffers(std::int32_t Count);
    std::int32_t NumOverlappedBuffers() const { return FNumOverlappedBuffers; }
    void setNumOverlappedBuffers(std::int32_t Count);

    // --- report transfer -----------------------------------------------------
    bool WriteFile(const void* Report, std::uint32_t ToWrite, std::uint32_t& BytesWritten);
    bool ReadFile(void* Report, std::uint32_t ToRead, std::uint32_t& BytesRead);
    // Start an asynchronous transfer on the read or write channel; the thread
    // that started it waits for it through the platform.
    bool ReadFileEx(void* Report, std::uint32_t ToRead);
    bool WriteFileEx(const void* Report, std::uint32_t ToWrite);
    std::uint32_t HidOverlappedReadResult();
    std::uint32_t HidOverlappedWriteResult();
    bool CancelIO(THidOpenExMode Mode);
    bool FlushQueue();
    bool GetFeature(void* Report, std::uint32_t Size);
    bool SetFeature(const void* Report, std::uint32_t Size);
    bool GetInputReport(void* Report, std::uint32_t Size);
    bool SetOutputReport(const void* Report, std::uint32_t Size);
    bool DeviceIoControl(std::uint32_t IoControlCode, const void* InBuffer, std::uint32_t InSize,
                         void* OutBuffer, std::uint32_t OutSize, std::uint32_t& BytesReturned);

    // --- handlers and reader settings ----------------------------------------
    const THidDataEvent& OnData() const { return FData; }
    // An empty handler stops the reader first (waiting for it); any handler
    // then starts the reader when the start conditions hold.
    void setOnData(const THidDataEvent& Handler);
    const THidDataErrorEvent& OnDataError() const { return FDataError; }
    void setOnDataError(const THidDataErrorEvent& Handler) { FDataError = Handler; }
    const THidPlugEvent& OnUnplug() const { return FUnplug; }
    void setOnUnplug(const THidPlugEvent& Handler) { FUnplug = Handler; }
    std::int32_t ThreadSleepTime() const { return FThreadSleepTime; }
    // Values outside 10 to 10000 ms are ignored.
    void setThreadSleepTime(std::int32_t Milliseconds);
    bool HasReader() const { return FDataThread != nullptr; }

    // --- report parser -------------------------------------------------------
    // Thin forwards to the platform's parser with the parsed report descriptor.
    // The first groups answer HidpStatusNull while the device is not accessible.
    std::uint32_t MaxDataListLength() const { return FMaxDataListLength; }
    std::uint32_t MaxUsageListLength() const { return FMaxUsageListLength; }
    std::uint32_t MaxButtonListLength() const { return FMaxButtonListLength; }
    std::uint32_t ReportTypeParam() const { return FReportTypeParam; }
    void setReportTypeParam(std::uint32_t ReportType);
    std::uint16_t UsagePageParam() const { return FUsagePageParam; }
    void setUsagePageParam(std::uint16_t UsagePage);
    std::uint16_t LinkCollectionParam() const { return FLinkCollectionParam; }
    void setLinkCollectionParam(std::uint16_t LinkCollection) {
        FLinkCollectionParam = LinkCollection;
    }
    std::uint16_t UsageParam() const { return FUsageParam; }
    void setUsageParam(std::uint16_t Usage) { FUsageParam = Usage; }

    std::int32_t GetButtonCaps(void* ButtonCaps, std::uint16_t& Count);
    std::int32_t GetSpecificButtonCaps(void* ButtonCaps, std::uint16_t& Count);
    std::int32_t GetValueCaps(void* ValueCaps, std::uint16_t& Count);
    std::int32_t GetSpecificValueCaps(void* ValueCaps, std::uint16_t& Count);
    std::int32_t GetData(void* DataList, std::uint32_t& DataLength, void* Report,
                         std::uint32_t ReportLength);
    std::int32_t SetData(void* DataList, std::uint32_t& DataLength, void* Report,
                         std::uint32_t ReportLength);
    std::int32_t GetUsages(std::uint16_t* UsageList, std::uint32_t& UsageLength, void* Report,
                           std::uint32_t ReportLength);
    std::int32_t GetButtons(std::uint16_t* UsageList, std::uint32_t& UsageLength, void* Report,
                            std::uint32_t ReportLength);
    std::int32_t SetUsages(std::uint16_t* UsageList, std::uint32_t& UsageLength, void* Report,
                           std::uint32_t ReportLength);
    std::int32_t SetButtons(std::uint16_t* UsageList, std::uint32_t& UsageLength, void* Report,
                            std::uint32_t ReportLength);
    std::int32_t UnsetUsages(std::uint16_t* UsageList, std::uint32_t& UsageLength, void* Report,
                             std::uint32_t ReportLength);
    std::int32_t UnsetButtons(std::uint16_t* UsageList, std::uint32_t& UsageLength, void* Report,
                              std::uint32_t ReportLength);
    std::int32_t GetUsagesEx(void* ButtonList, std::uint32_t& UsageLength, void* Report,
                             std::uint32_t ReportLength);
    std::int32_t GetButtonsEx(void* ButtonList, std::uint32_t& UsageLength, void* Report,
                              std::uint32_t ReportLength);
    std::int32_t GetUsageValue(std::uint32_t& UsageValue, void* Report, std::uint32_t ReportLength);
    std::int32_t GetScaledUsageValue(std::int32_t& UsageValue, void* Report,
                                     std::uint32_t ReportLength);
    std::int32_t GetUsageValueArray(char* UsageValue, std::uint16_t UsageValueByteLength,
                                    void* Report, std::uint32_t ReportLength);
    std::int32_t SetUsageValue(std::uint32_t UsageValue, void* Report, std::uint32_t ReportLength);
    std::int32_t SetScaledUsageValue(std::int32_t UsageValue, void* Report,
                                     std::uint32_t ReportLength);
    std::int32_t SetUsageValueArray(char* UsageValue, std::uint16_t UsageValueByteLength,
                                    void* Report, std::uint32_t ReportLength);
    std::int32_t GetExtendedAttributes(std::uint16_t DataIndex, void* Attributes,
                                       std::uint32_t& LengthAttributes);
    std::int32_t InitializeReportForID(std::uint8_t ReportID, void* Report,
                                       std::uint32_t ReportLength);

private:
    friend class THidDeviceController;
    friend class THidDeviceReadThread;

    bool IsAccessible() const;
    bool OpenGeneralChannel();
    void CloseAllChannels();
    // Starts the reader when the start conditions hold.
    void StartIfReady();
    void StopThread();
    // Closes the channels, marks the device gone and calls OnUnplug once.
    void Unplug();
    // Opens the read channel and starts a read; `Handle` is the channel used.
    bool StartRead(void* Report, std::uint32_t ToRead, HidHandle& Handle);
    std::u16string CachedString(std::u16string& Cache,
                                bool (HidPlatform::*Query)(HidHandle, void*, std::uint32_t));
    void UpdateListLengths();
    using UsagesOp = HidPlatform::UsageOp;
    std::int32_t Usages(UsagesOp Op, std::uint16_t* UsageList, std::uint32_t& UsageLength,
                        void* Report, std::uint32_t ReportLength);
    std::int32_t UsagesEx(void* ButtonList, std::uint32_t& UsageLength, void* Report,
                          std::uint32_t ReportLength);
    std::int32_t ButtonCaps(bool Specific, void* ButtonCaps, std::uint16_t& Count);
    std::int32_t ValueCaps(bool Specific, void* ValueCaps, std::uint16_t& Count);
    std::int32_t UsageValue(bool Scaled, bool Set, std::int64_t& Value, void* Report,
                            std::uint32_t ReportLength);
    std::int32_t UsageValueArray(bool Set, char* UsageValue, std::uint16_t UsageValueByteLength,
                                 void* Report, std::uint32_t ReportLength);

    HidPlatform& FPlatform;
    UiThread& FUiThread;
    THidDeviceController* FMyController;
    // The reader reads these flags and the read channel while the
    // user-interface thread may change them.
    std::atomic<bool> FIsPluggedIn{true};
    std::atomic<bool> FIsCheckedOut{false};
    std::atomic<bool> FIsEnumerated{false};
    HidHandle FHidFileHandle = InvalidHandle;
    std::atomic<HidHandle> FHidOverlappedRead{InvalidHandle};
    HidHandle FHidOverlappedWrite = InvalidHandle;
    HidAttributes FAttributes;
    std::unique_ptr<THidPnPInfo> FPnPInfo;
    std::u16string FVendorName;
    std::u16string FProductName;
    THidPhysicalDescriptor FPhysicalDescriptor;
    void* FPreparsedData = nullptr;
    std::u16string FSerialNumber;
    std::vector<std::u16string> FLanguageStrings;
    std::int32_t FNumInputBuffers = 0;
    std::atomic<std::int32_t> FNumOverlappedBuffers{0};
    std::atomic<std::int32_t> FThreadSleepTime{100};
    std::uint32_t FMaxDataListLength = 0;
    std::uint32_t FMaxUsageListLength = 0;
    std::uint32_t FMaxButtonListLength = 0;
    std::uint32_t FReportTypeParam = 0;
    std::uint16_t FUsagePageParam = 0;
    std::uint16_t FLinkCollectionParam = 0;
    std::uint16_t FUsageParam = 0;
    THidDataEvent FData;
    THidDataErrorEvent FDataError;
    THidPlugEvent FUnplug;
    bool FHasReadWriteAccess = false;
    std::unique_ptr<THidDeviceReadThread> FDataThread;
    std::int32_t FTag = 0;
};
