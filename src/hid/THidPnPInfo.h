#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hid/platform/HidPlatform.h"

// The plug-and-play record of one device interface, built from the platform's
// listing and owned by the device object made from it. Only DeviceID and
// DevicePath are used by the program; the rest is descriptive.
class THidPnPInfo {
public:
    explicit THidPnPInfo(const HidInterfaceRecord& record);

    std::uint32_t DeviceID() const { return FDeviceID; }
    const std::string& DevicePath() const { return FDevicePath; }
    std::uint32_t Capabilities() const { return FCapabilities; }
    const std::string& ClassDescr() const { return FClassDescr; }
    const std::string& ClassGUID() const { return FClassGUID; }
    const std::vector<std::string>& CompatibleIDs() const { return FCompatibleIDs; }
    std::uint32_t ConfigFlags() const { return FConfigFlags; }
    const std::string& DeviceDescr() const { return FDeviceDescr; }
    const std::string& Driver() const { return FDriver; }
    const std::string& FriendlyName() const { return FFriendlyName; }
    const std::vector<std::string>& HardwareID() const { return FHardwareID; }
    const std::vector<std::string>& LowerFilters() const { return FLowerFilters; }
    const std::string& Mfg() const { return FMfg; }
    const std::vector<std::string>& UpperFilters() const { return FUpperFilters; }
    const std::string& Address() const { return FAddress; }
    std::uint32_t BusNumber() const { return FBusNumber; }
    const std::string& BusType() const { return FBusType; }
    const std::string& Characteristics() const { return FCharacteristics; }
    std::uint32_t DevType() const { return FDevType; }
    const std::string& EnumeratorName() const { return FEnumeratorName; }
    std::uint32_t Exclusive() const { return FExclusive; }
    std::uint32_t LegacyBusType() const { return FLegacyBusType; }
    const std::string& LocationInfo() const { return FLocationInfo; }
    const std::string& PhysDevObjName() const { return FPhysDevObjName; }
    const std::string& SecuritySDS() const { return FSecuritySDS; }
    const std::string& Service() const { return FService; }
    std::uint32_t UINumber() const { return FUINumber; }
    const std::string& UINumberFormat() const { return FUINumberFormat; }

private:
    std::uint32_t FDeviceID;
    std::string FDevicePath;
    std::uint32_t FCapabilities;
    std::string FClassDescr;
    std::string FClassGUID;
    std::vector<std::string> FCompatibleIDs;
    std::uint32_t FConfigFlags;
    std::string FDeviceDescr;
    std::string FDriver;
    std::string FFriendlyName;
    std::vector<std::string> FHardwareID;
    std::vector<std::string> FLowerFilters;
    std::string FMfg;
    std::vector<std::string> FUpperFilters;
    std::string FAddress;
    std::uint32_t FBusNumber;
    std::string FBusType;
    std::string FCharacteristics;
    std::uint32_t FDevType;
    std::string FEnumeratorName;
    std::uint32_t FExclusive;
    std::uint32_t FLegacyBusType;
    std::string FLocationInfo;
    std::string FPhysDevObjName;
    std::string FSecuritySDS;
    std::string FService;
    std::uint32_t FUINumber;
    std::string FUINumberFormat;
};
