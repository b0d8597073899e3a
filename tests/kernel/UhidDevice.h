#pragma once

// One HID device presented to the kernel through /dev/uhid. The kernel's HID
// core binds hid-generic to it and gives it a hidraw node, as it would for a
// USB device's interface, except that there is no USB device above it: its
// strings are only the name and the unique id given here.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct UhidDeviceDescription {
    std::string name;  // HID_NAME
    std::string uniq;  // HID_UNIQ, what stands for the serial number
    std::vector<std::uint8_t> reportDescriptor;
    std::uint16_t bus = 0;
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    std::uint16_t version = 0;
};

class UhidDevice {
public:
    // Called with each output report as the host wrote it, report ID first.
    using OutputHandler = std::function<void(const std::uint8_t* report, std::size_t size)>;
    // Called with a request for feature report `number`, report ID first in
    // `report`: a get fills it, a set takes it. Returns 0, or the errno value
    // with which the request fails.
    using FeatureHandler =
        std::function<int(bool set, std::uint8_t number, std::vector<std::uint8_t>& report)>;

    // Without a feature handler every feature request fails with EIO.
    UhidDevice(UhidDeviceDescription description, OutputHandler onOutput,
               FeatureHandler onFeature = nullptr);
    ~UhidDevice();
    UhidDevice(const UhidDevice&) = delete;
    UhidDevice& operator=(const UhidDevice&) = delete;

    // Opens /dev/uhid and creates the device; false (with errno) when that
    // fails. The kernel probes it in the background: its hidraw node comes a
    // little later.
    bool create();
    // Destroys the device at once: its hidraw node goes away and the files
    // open on it see the device gone.
    void destroy();
    bool created() const { return fd_ >= 0; }
    // The descriptor to poll for events; -1 while the device is not created.
    int fd() const { return fd_; }

    // Handles the events the kernel has queued. False when /dev/uhid failed.
    bool handleEvents();
    // Sends one input report as the device puts it on the wire: without a
    // report ID byte for a device whose reports are not numbered.
    bool sendInput(const std::uint8_t* data, std::size_t size);

private:
    bool writeEvent(const void* event, std::size_t size);

    const UhidDeviceDescription description_;
    // Answers a get or set report request of the kernel.
    bool answerReportRequest(const struct uhid_event& request);

    const OutputHandler onOutput_;
    const FeatureHandler onFeature_;
    int fd_ = -1;
};
