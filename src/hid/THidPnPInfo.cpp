#include "hid/THidPnPInfo.h"

namespace {

template <typename Map>
typename Map::mapped_type property(const Map& properties, std::uint32_t code) {
    auto it = properties.find(code);
    return it != properties.end() ? it->second : typename Map::mapped_type{};
}

}  // namespace

THidPnPInfo::THidPnPInfo(const HidInterfaceRecord& record)
    : FDeviceID(record.DeviceID),
      FDevicePath(record.DevicePath),
      FCapabilities(property(record.NumberProperties, HidPropCapabilities)),
      FClassDescr(property(record.TextProperties, HidPropClass)),
      FClassGUID(property(record.TextProperties, HidPropClassGUID)),
      FCompatibleIDs(property(record.MultiTextProperties, HidPropCompatibleIDs)),
      FConfigFlags(property(record.NumberProperties, HidPropConfigFlags)),
      FDeviceDescr(property(record.TextProperties, HidPropDeviceDesc)),
      FDriver(property(record.TextProperties, HidPropDriver)),
      FFriendlyName(property(record.TextProperties, HidPropFriendlyName)),
      FHardwareID(property(record.MultiTextProperties, HidPropHardwareID)),
      FLowerFilters(property(record.MultiTextProperties, HidPropLowerFilters)),
      FMfg(property(record.TextProperties, HidPropMfg)),
      FUpperFilters(property(record.MultiTextProperties, HidPropUpperFilters)),
      FAddress(property(record.TextProperties, HidPropAddress)),
      FBusNumber(property(record.NumberProperties, HidPropBusNumber)),
      FBusType(property(record.TextProperties, HidPropBusTypeGUID)),
      FCharacteristics(property(record.TextProperties, HidPropCharacteristics)),
      FDevType(property(record.NumberProperties, HidPropDevType)),
      FEnumeratorName(property(record.TextProperties, HidPropEnumeratorName)),
      FExclusive(property(record.NumberProperties, HidPropExclusive)),
      FLegacyBusType(property(record.NumberProperties, HidPropLegacyBusType)),
      FLocationInfo(property(record.TextProperties, HidPropLocationInformation)),
      FPhysDevObjName(property(record.TextProperties, HidPropPhysicalDeviceObjectName)),
      FSecuritySDS(property(record.TextProperties, HidPropSecuritySDS)),
      FService(property(record.TextProperties, HidPropService)),
      FUINumber(property(record.NumberProperties, HidPropUINumber)),
      FUINumberFormat(property(record.TextProperties, HidPropUINumberDescFormat)) {}
