#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "hid/platform/HidPlatform.h"
#include "hid/platform/linux/DeviceInstanceIds.h"
#include "hid/platform/linux/DeviceNodeWatcher.h"
#include "hid/platform/linux/HidrawChannels.h"

class SysfsHidNode;
struct udev;

// The HID platform of Linux: hidraw nodes found with libudev, queried with
// the hidraw ioctls and sysfs, read with poll.
class LinuxHidPlatform final : public HidPlatform {
public:
    // `sysfsRoot` is where the device strings and versions are looked up.
    explicit LinuxHidPlatform(std::string sysfsRoot = "/sys");
    ~LinuxHidPlatform() override;

    bool bound() const override;
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
    struct UdevDeleter {
        void operator()(udev* context) const;
    };

    SysfsHidNode sysfsNode(const HidrawChannel& channel) const;
    bool reportDescriptor(const HidrawChannel& channel, std::vector<std::uint8_t>& bytes) const;
    bool copyString(HidHandle handle, std::string (SysfsHidNode::*string)() const, void* buffer,
                    std::uint32_t bufferBytes);
    // A report ioctl whose buffer of `size` bytes starts with the report ID;
    // `request` is only made when `size` fits its length field.
    bool reportIoctl(HidHandle handle, unsigned long request, void* report, std::uint32_t size);
    // For operations Linux does not have: false with HidErrorNotSupported.
    bool notSupported(HidHandle handle);

    const std::string sysfsRoot_;
    std::unique_ptr<udev, UdevDeleter> udev_;
    HidrawChannels channels_;
    DeviceInstanceIds instanceIds_;
    std::unique_ptr<DeviceNodeWatcher> watcher_;
    std::mutex preparsedMutex_;
    std::map<const void*, std::unique_ptr<HidCaps>> preparsed_;
};
