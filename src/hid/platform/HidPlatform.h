#pragma once

// Everything the HID layer needs of an operating system, and nothing more.
// Backends: linux/ (hidraw + libudev), windows/ (SetupAPI + hid.dll) and the
// simulated platform of sim/. No Qt here: this builds with the standard
// library and the OS headers of a backend.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

// Channel handle. InvalidHandle plays the role of INVALID_HANDLE_VALUE.
using HidHandle = std::intptr_t;
inline constexpr HidHandle InvalidHandle = -1;

// Same layout and meaning as the Windows HIDD_ATTRIBUTES record.
struct HidAttributes {
    std::uint32_t Size = 0;
    std::uint16_t VendorID = 0;
    std::uint16_t ProductID = 0;
    std::uint16_t VersionNumber = 0;
};

// Same layout and meaning as the Windows HIDP_CAPS record (64 bytes). Report
// lengths count the report ID byte, also for devices without numbered reports.
struct HidCaps {
    std::uint16_t Usage = 0;
    std::uint16_t UsagePage = 0;
    std::uint16_t InputReportByteLength = 0;
    std::uint16_t OutputReportByteLength = 0;
    std::uint16_t FeatureReportByteLength = 0;
    std::uint16_t Reserved[17] = {};
    std::uint16_t NumberLinkCollectionNodes = 0;
    std::uint16_t NumberInputButtonCaps = 0;
    std::uint16_t NumberInputValueCaps = 0;
    std::uint16_t NumberInputDataIndices = 0;
    std::uint16_t NumberOutputButtonCaps = 0;
    std::uint16_t NumberOutputValueCaps = 0;
    std::uint16_t NumberOutputDataIndices = 0;
    std::uint16_t NumberFeatureButtonCaps = 0;
    std::uint16_t NumberFeatureValueCaps = 0;
    std::uint16_t NumberFeatureDataIndices = 0;
};
static_assert(sizeof(HidCaps) == 64);

// Same layout and meaning as the Windows HIDD_CONFIGURATION record.
struct HidConfiguration {
    std::uint32_t cookie = 0;
    std::uint32_t size = 0;
    std::uint32_t RingBufferSize = 0;
};

struct HidGuid {
    std::uint32_t Data1 = 0;
    std::uint16_t Data2 = 0;
    std::uint16_t Data3 = 0;
    std::uint8_t Data4[8] = {};
    friend bool operator==(const HidGuid&, const HidGuid&) = default;
};

// The standard HID device interface class {4D1E55B2-F16F-11CF-88CB-001111000030}.
inline constexpr HidGuid StandardHidGuid{
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

// Registry property codes of the descriptive plug-and-play properties
// (the SPDRP_ values of the Setup API).
enum HidDeviceProperty : std::uint32_t {
    HidPropDeviceDesc = 0,
    HidPropHardwareID = 1,
    HidPropCompatibleIDs = 2,
    HidPropService = 4,
    HidPropClass = 7,
    HidPropClassGUID = 8,
    HidPropDriver = 9,
    HidPropConfigFlags = 10,
    HidPropMfg = 11,
    HidPropFriendlyName = 12,
    HidPropLocationInformation = 13,
    HidPropPhysicalDeviceObjectName = 14,
    HidPropCapabilities = 15,
    HidPropUINumber = 16,
    HidPropUpperFilters = 17,
    HidPropLowerFilters = 18,
    HidPropBusTypeGUID = 19,
    HidPropLegacyBusType = 20,
    HidPropBusNumber = 21,
    HidPropEnumeratorName = 22,
    HidPropSecuritySDS = 24,
    HidPropDevType = 25,
    HidPropExclusive = 26,
    HidPropCharacteristics = 27,
    HidPropAddress = 28,
    HidPropUINumberDescFormat = 30,
};

// One present HID interface as the platform lists it. A property the platform
// does not report is simply absent from its map.
struct HidInterfaceRecord {
    // Identifies the device instance; stable while the device stays attached
    // and never reused for another attachment while the program runs.
    std::uint32_t DeviceID = 0;
    std::string DevicePath;
    std::map<std::uint32_t, std::string> TextProperties;
    std::map<std::uint32_t, std::vector<std::string>> MultiTextProperties;
    std::map<std::uint32_t, std::uint32_t> NumberProperties;
};

enum class HidAccess {
    ReadWrite,        // general channel, blocking
    QueryOnly,        // general channel without read or write access
    OverlappedRead,   // asynchronous read channel
    OverlappedWrite,  // asynchronous write channel
};

// Result of waiting for an outstanding asynchronous transfer.
enum class HidWaitResult {
    IoCompletion,  // the transfer has completed (WAIT_IO_COMPLETION, 192)
    Timeout,       // the slice ran out; the transfer is still outstanding
    Interrupted,   // woken by interruptWait(); the transfer is still outstanding
};

// Report-parser status codes (the HIDP_STATUS_ values).
inline constexpr std::int32_t HidpStatusSuccess = 0x00110000;
inline constexpr std::int32_t HidpStatusNull = static_cast<std::int32_t>(0x80110001u);
inline constexpr std::int32_t HidpStatusNotImplemented = static_cast<std::int32_t>(0xC0110020u);

// Platform error codes the HID layer itself looks at (Windows numbering;
// backends translate their own codes where the meaning is the same).
inline constexpr std::uint32_t HidErrorInsufficientBuffer = 122;
inline constexpr std::uint32_t HidErrorInvalidHandle = 6;
inline constexpr std::uint32_t HidErrorNotSupported = 50;

class HidPlatform {
public:
    virtual ~HidPlatform() = default;

    // --- controller services -------------------------------------------------
    // Whether the device setup and HID services could be bound. When false the
    // controller lists nothing and receives no notification.
    virtual bool bound() const = 0;
    virtual HidGuid hidGuid() const = 0;
    // The present interfaces in the platform's order. Interfaces whose details
    // cannot be had are left out, and so are those the system is still
    // setting up (their permissions not yet given): the device-change signal
    // follows once they are ready, so nothing here waits for them. False when
    // the set itself cannot be had.
    virtual bool listInterfaces(std::vector<HidInterfaceRecord>& out) = 0;
    // File version of the platform's HID library; empty when there is none.
    virtual std::string hidVersion() const = 0;

    // Starts watching for changes of the set of device nodes. `changed` may be
    // called on any thread (the caller makes it post to the user-interface
    // thread). Called once, on the user-interface thread.
    virtual void startWatching(std::function<void()> changed) = 0;
    // Stops watching; after it returns `changed` is not called again.
    virtual void stopWatching() = 0;

    // --- channels ------------------------------------------------------------
    virtual HidHandle open(const std::string& devicePath, HidAccess access) = 0;
    // Closing the read channel ends an outstanding asynchronous read without
    // data and makes a following startRead on that handle fail.
    virtual void close(HidHandle handle) = 0;

    // --- queries on the general channel --------------------------------------
    virtual bool getAttributes(HidHandle handle, HidAttributes& attributes) = 0;
    // Opaque parsed report descriptor; freed with freePreparsedData.
    virtual void* getPreparsedData(HidHandle handle) = 0;
    virtual void freePreparsedData(void* preparsed) = 0;
    // Fills caps; returns a HIDP status.
    virtual std::int32_t getCaps(void* preparsed, HidCaps& caps) = 0;
    // Strings are copied as UTF-16 code units into `buffer` of `bufferBytes`
    // bytes, zero-terminated when room is left. False when there is none.
    virtual bool getManufacturerString(HidHandle handle, void* buffer,
                                       std::uint32_t bufferBytes) = 0;
    virtual bool getProductString(HidHandle handle, void* buffer, std::uint32_t bufferBytes) = 0;
    virtual bool getSerialNumberString(HidHandle handle, void* buffer,
                                       std::uint32_t bufferBytes) = 0;
    // Index 0 gives the 16-bit language identifiers the device supports.
    virtual bool getIndexedString(HidHandle handle, std::uint32_t index, void* buffer,
                                  std::uint32_t bufferBytes) = 0;
    virtual bool getNumInputBuffers(HidHandle handle, std::uint32_t& count) = 0;
    virtual bool setNumInputBuffers(HidHandle handle, std::uint32_t count) = 0;
    virtual bool getPhysicalDescriptor(HidHandle handle, void* buffer,
                                       std::uint32_t bufferBytes) = 0;
    virtual bool getConfiguration(HidHandle handle, HidConfiguration& configuration) = 0;
    virtual bool setConfiguration(HidHandle handle, const HidConfiguration& configuration) = 0;
    virtual bool flushQueue(HidHandle handle) = 0;
    virtual bool getFeature(HidHandle handle, void* report, std::uint32_t size) = 0;
    virtual bool setFeature(HidHandle handle, const void* report, std::uint32_t size) = 0;
    // False with HidErrorNotSupported where the platform lacks them.
    virtual bool getInputReport(HidHandle handle, void* report, std::uint32_t size) = 0;
    virtual bool setOutputReport(HidHandle handle, const void* report, std::uint32_t size) = 0;
    virtual bool deviceIoControl(HidHandle handle, std::uint32_t ioControlCode,
                                 const void* inBuffer, std::uint32_t inSize, void* outBuffer,
                                 std::uint32_t outSize, std::uint32_t& bytesReturned) = 0;

    // --- the report parser ---------------------------------------------------
    // Thin forwards to the platform's HidP_ functions with the parsed report
    // descriptor. Only a platform with a report parser overrides them; the
    // others answer HidpStatusNotImplemented. Buffers are the caller's.
    virtual std::int32_t getButtonCaps(void* /*preparsed*/, std::uint32_t /*reportType*/,
                                       std::uint16_t /*usagePage*/,
                                       std::uint16_t /*linkCollection*/, std::uint16_t /*usage*/,
                                       void* /*caps*/, std::uint16_t& /*count*/) {
        return HidpStatusNotImplemented;
    }
    virtual std::int32_t getValueCaps(void* /*preparsed*/, std::uint32_t /*reportType*/,
                                      std::uint16_t /*usagePage*/, std::uint16_t /*linkCollection*/,
                                      std::uint16_t /*usage*/, void* /*caps*/,
                                      std::uint16_t& /*count*/) {
        return HidpStatusNotImplemented;
    }
    virtual std::int32_t getData(void* /*preparsed*/, std::uint32_t /*reportType*/,
                                 void* /*dataList*/, std::uint32_t& /*dataLength*/,
                                 void* /*report*/, std::uint32_t /*reportLength*/) {
        return HidpStatusNotImplemented;
    }
    virtual std::int32_t setData(void* /*preparsed*/, std::uint32_t /*reportType*/,
                                 void* /*dataList*/, std::uint32_t& /*dataLength*/,
                                 void* /*report*/, std::uint32_t /*reportLength*/) {
        return HidpStatusNotImplemented;
    }
    // `op` selects GetUsages, SetUsages or UnsetUsages.
    enum class UsageOp { Get, Set, Unset };
    virtual std::int32_t usages(UsageOp /*op*/, void* /*preparsed*/, std::uint32_t /*reportType*/,
                                std::uint16_t /*usagePage*/, std::uint16_t /*linkCollection*/,
                                std::uint16_t* /*usageList*/, std::uint32_t& /*usageLength*/,
                                void* /*report*/, std::uint32_t /*reportLength*/) {
        return HidpStatusNotImplemented;
    }
    virtual std::int32_t getUsagesEx(void* /*preparsed*/, std::uint32_t /*reportType*/,
                                     std::uint16_t /*linkCollection*/, void* /*buttonList*/,
                                     std::uint32_t& /*usageLength*/, void* /*report*/,
                                     std::uint32_t /*reportLength*/) {
        return HidpStatusNotImplemented;
    }
    // `scaled` selects the scaled form; `value` is a ULONG or a LONG accordingly.
    virtual std::int32_t getUsageValue(bool /*scaled*/, void* /*preparsed*/,
                                       std::uint32_t /*reportType*/, std::uint16_t /*usagePage*/,
                                       std::uint16_t /*linkCollection*/, std::uint16_t /*usage*/,
                                       std::int64_t& /*value*/, void* /*report*/,
                                       std::uint32_t /*reportLength*/) {
        return HidpStatusNotImplemented;
    }
    virtual std::int32_t setUsageValue(bool /*scaled*/, void* /*preparsed*/,
                                       std::uint32_t /*reportType*/, std::uint16_t /*usagePage*/,
                                       std::uint16_t /*linkCollection*/, std::uint16_t /*usage*/,
                                       std::int64_t /*value*/, void* /*report*/,
                                       std::uint32_t /*reportLength*/) {
        return HidpStatusNotImplemented;
    }
    virtual std::int32_t usageValueArray(bool /*set*/, void* /*preparsed*/,
                                         std::uint32_t /*reportType*/, std::uint16_t /*usagePage*/,
                                         std::uint16_t /*linkCollection*/, std::uint16_t /*usage*/,
                                         char* /*buffer*/, std::uint16_t /*bufferLength*/,
                                         void* /*report*/, std::uint32_t /*reportLength*/) {
        return HidpStatusNotImplemented;
    }
    virtual std::int32_t getExtendedAttributes(void* /*preparsed*/, std::uint32_t /*reportType*/,
                                               std::uint16_t /*dataIndex*/, void* /*attributes*/,
                                               std::uint32_t& /*length*/) {
        return HidpStatusNotImplemented;
    }
    virtual std::int32_t initializeReportForID(void* /*preparsed*/, std::uint32_t /*reportType*/,
                                               std::uint8_t /*reportId*/, void* /*report*/,
                                               std::uint32_t /*reportLength*/) {
        return HidpStatusNotImplemented;
    }
    // HidP_MaxDataListLength and HidP_MaxUsageListLength; 0 without a parser.
    virtual std::uint32_t maxDataListLength(void* /*preparsed*/, std::uint32_t /*reportType*/) {
        return 0;
    }
    virtual std::uint32_t maxUsageListLength(void* /*preparsed*/, std::uint32_t /*reportType*/,
                                             std::uint16_t /*usagePage*/) {
        return 0;
    }

    // --- transfers -----------------------------------------------------------
    // Blocking transfers of one report on the general channel. Reports start
    // with their report ID byte (0 for a device without numbered reports).
    virtual bool write(HidHandle handle, const void* report, std::uint32_t toWrite,
                       std::uint32_t& written) = 0;
    virtual bool read(HidHandle handle, void* report, std::uint32_t toRead,
                      std::uint32_t& bytesRead) = 0;

    // Asynchronous transfers on the asynchronous channels. Only the thread that
    // started a transfer waits for it. `buffer` stays in use until the transfer
    // has completed or has been cancelled and waited for.
    virtual bool startRead(HidHandle handle, void* buffer, std::uint32_t toRead) = 0;
    virtual bool startWrite(HidHandle handle, const void* buffer, std::uint32_t toWrite) = 0;
    // Waits up to `milliseconds` for the transfer on `handle` to complete.
    virtual HidWaitResult wait(HidHandle handle, std::uint32_t milliseconds) = 0;
    // Bytes moved by the completed transfer; 0 when it failed or has not completed.
    virtual std::uint32_t transferResult(HidHandle handle) = 0;
    // Cancels the outstanding transfer; false when the channel is closed.
    virtual bool cancel(HidHandle handle) = 0;
    // Called from another thread: makes a current or the next wait() on `handle`
    // return Interrupted at once. Lets a stop request be seen without waiting
    // for the end of a slice.
    virtual void interruptWait(HidHandle handle) = 0;

    // --- errors and names ----------------------------------------------------
    // The calling thread's last error code, as set by the last failing call.
    virtual std::uint32_t lastError() const = 0;
    // The system's message text for an error code, as the system gives it.
    virtual std::string errorMessage(std::uint32_t code) const = 0;
    // Display name of a language identifier in the user's language; false when
    // the identifier is not known.
    virtual bool languageName(std::uint16_t languageId, std::u16string& name) const = 0;
};
