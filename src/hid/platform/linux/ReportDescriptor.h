#pragma once

#include <cstddef>
#include <cstdint>

// What a HID report descriptor says about the reports of a device, computed
// the way the Windows HID parser reports it: every length counts the report
// ID byte, also for a device without numbered reports. Pure over the bytes:
// whatever they hold, parsing reads nothing out of range and never overflows
// (absurd sizes and counts saturate).
class ReportDescriptor {
public:
    static ReportDescriptor parse(const std::uint8_t* bytes, std::size_t size);

    // Usage page and usage of the first top-level application collection.
    std::uint16_t usagePage() const { return usagePage_; }
    std::uint16_t usage() const { return usage_; }
    // Largest report of each kind plus one byte for the report ID; 0 when the
    // descriptor declares no report of that kind.
    std::uint16_t inputLength() const { return inputLength_; }
    std::uint16_t outputLength() const { return outputLength_; }
    std::uint16_t featureLength() const { return featureLength_; }
    // Whether the reports carry a report ID byte on the wire.
    bool numberedReports() const { return numberedReports_; }

private:
    std::uint16_t usagePage_ = 0;
    std::uint16_t usage_ = 0;
    std::uint16_t inputLength_ = 0;
    std::uint16_t outputLength_ = 0;
    std::uint16_t featureLength_ = 0;
    bool numberedReports_ = false;
};
