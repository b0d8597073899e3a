#pragma once

#include <map>
#include <memory>
#include <mutex>

#include "hid/platform/HidPlatform.h"
#include "hid/platform/windows/DeviceChangeWindow.h"
#include "hid/platform/windows/HidApi.h"
#include "hid/platform/windows/WindowsChannel.h"

// The HID platform of Windows: the Setup API for listing, hid.dll for the
// device queries and the report parser, file I/O for the transfers and a
// message-only window for device changes. Handles are numbers of this
// object's own, never reused, so a thread holding a closed channel's handle
// cannot reach a channel opened later under the same system handle.
class WindowsHidPlatform : public HidPlatform {
public:
    WindowsHidPlatform();
    ~WindowsHidPlatform() override;

    bool bound() const override { return true; }
    HidGuid hidGuid() const override;
    bool listInterfaces(std::vector<HidInterfaceRecord>& out) override;
    std::string hidVersion() const override;
    void startWatching(std::function<void()> changed) override;
    void stopWatching() override;

    HidHandle open(const std::string& devicePath, HidAccess access) override;
    void close(HidHandle handle) override;

    bool getAttributes(HidHandle handle, HidAttributes& attributes) override;
    void* getPreparsedData(HidHandle handle) override;
    void freePreparsedData(void* preparsed) override;
    std::int32_t getCaps(void* preparsed, HidCaps& caps) override;
    bool getManufacturerString(HidHandle handle, void* buffer, std::uint32_t bufferBytes) override;
    bool getProductString(HidHandle handle, void* buffer, std::uint32_t bufferBytes) override;
    bool getSerialNumberString(HidHandle handle, void* buffer, std::uint32_t bufferBytes) override;
    bool getIndexedString(HidHandle handle, std::uint32_t index, void* buffer,
                          std::uint32_t bufferBytes) override;
    bool getNumInputBuffers(HidHandle handle, std::uint32_t& count) override;
    bool setNumInputBuffers(HidHandle handle, std::uint32_t count) override;
    bool getPhysicalDescriptor(HidHandle handle, void* buffer, std::uint32_t bufferBytes) override;
    bool getConfiguration(HidHandle handle, HidConfiguration& configuration) override;
    bool setConfiguration(HidHandle handle, const HidConfiguration& configuration) override;
    bool flushQueue(HidHandle handle) override;
    bool getFeature(HidHandle handle, void* report, std::uint32_t size) override;
    bool setFeature(HidHandle handle, const void* report, std::uint32_t size) override;
    bool getInputReport(HidHandle handle, void* report, std::uint32_t size) override;
    bool setOutputReport(HidHandle handle, const void* report, std::uint32_t size) override;
    bool deviceIoControl(HidHandle handle, std::uint32_t ioControlCode, const void* inBuffer,
                         std::uint32_t inSize, void* outBuffer, std::uint32_t outSize,
                         std::uint32_t& bytesReturned) override;

    std::int32_t getButtonCaps(void* preparsed, std::uint32_t reportType, std::uint16_t usagePage,
                               std::uint16_t linkCollection, std::uint16_t usage, void* caps,
                               std::uint16_t& count) override;
    std::int32_t getValueCaps(void* preparsed, std::uint32_t reportType, std::uint16_t usagePage,
                              std::uint16_t linkCollection, std::uint16_t usage, void* caps,
                              std::uint16_t& count) override;
    std::int32_t getData(void* preparsed, std::uint32_t reportType, void* dataList,
                         std::uint32_t& dataLength, void* report,
                         std::uint32_t reportLength) override;
    std::int32_t setData(void* preparsed, std::uint32_t reportType, void* dataList,
                         std::uint32_t& dataLength, void* report,
                         std::uint32_t reportLength) override;
    std::int32_t usages(UsageOp op, void* preparsed, std::uint32_t reportType,
                        std::uint16_t usagePage, std::uint16_t linkCollection,
                        std::uint16_t* usageList, std::uint32_t& usageLength, void* report,
                        std::uint32_t reportLength) override;
    std::int32_t getUsagesEx(void* preparsed, std::uint32_t reportType,
                             std::uint16_t linkCollection, void* buttonList,
                             std::uint32_t& usageLength, void* report,
                             std::uint32_t reportLength) override;
    std::int32_t getUsageValue(bool scaled, void* preparsed, std::uint32_t reportType,
                               std::uint16_t usagePage, std::uint16_t linkCollection,
                               std::uint16_t usage, std::int64_t& value, void* report,
                               std::uint32_t reportLength) override;
    std::int32_t setUsageValue(bool scaled, void* preparsed, std::uint32_t reportType,
                               std::uint16_t usagePage, std::uint16_t linkCollection,
                               std::uint16_t usage, std::int64_t value, void* report,
                               std::uint32_t reportLength) override;
    std::int32_t usageValueArray(bool set, void* preparsed, std::uint32_t reportType,
                                 std::uint16_t usagePage, std::uint16_t linkCollection,
                                 std::uint16_t usage, char* buffer, std::uint16_t bufferLength,
                                 void* report, std::uint32_t reportLength) override;
    std::int32_t getExtendedAttributes(void* preparsed, std::uint32_t reportType,
                                       std::uint16_t dataIndex, void* attributes,
                                       std::uint32_t& length) override;
    std::int32_t initializeReportForID(void* preparsed, std::uint32_t reportType,
                                       std::uint8_t reportId, void* report,
                                       std::uint32_t reportLength) override;
    std::uint32_t maxDataListLength(void* preparsed, std::uint32_t reportType) override;
    std::uint32_t maxUsageListLength(void* preparsed, std::uint32_t reportType,
                                     std::uint16_t usagePage) override;

    bool write(HidHandle handle, const void* report, std::uint32_t toWrite,
               std::uint32_t& written) override;
    bool read(HidHandle handle, void* report, std::uint32_t toRead,
              std::uint32_t& bytesRead) override;
    bool startRead(HidHandle handle, void* buffer, std::uint32_t toRead) override;
    bool startWrite(HidHandle handle, const void* buffer, std::uint32_t toWrite) override;
    HidWaitResult wait(HidHandle handle, std::uint32_t milliseconds) override;
    std::uint32_t transferResult(HidHandle handle) override;
    bool cancel(HidHandle handle) override;
    void interruptWait(HidHandle handle) override;

    std::uint32_t lastError() const override;
    std::string errorMessage(std::uint32_t code) const override;
    bool languageName(std::uint16_t languageId, std::u16string& name) const override;

private:
    // The channel of `handle`, or none with ERROR_INVALID_HANDLE.
    std::shared_ptr<WindowsChannel> channel(HidHandle handle);
    // Forgets a closed channel once its last transfer has completed.
    void forgetIfFinished(HidHandle handle);
    // Runs `call` with the open file and channel of `handle`; false when there
    // is none or the call fails.
    template <typename Call>
    bool withFile(HidHandle handle, Call call);

    GUID hidGuid_{};
    std::unique_ptr<DeviceChangeWindow> watcher_;
    std::mutex channelsMutex_;
    std::map<HidHandle, std::shared_ptr<WindowsChannel>> channels_;
    HidHandle nextHandle_ = 1;
};
