#pragma once

#include <cstdint>
#include <map>
#include <string>

// Numbers the device instances seen while the program runs. An instance is
// named by its hidraw node's sysfs path together with the inode of its device
// node: both stay the same while the device stays attached, and the pair
// never comes back for another attachment, unlike the hidraw minor number,
// which the kernel hands out again.
class DeviceInstanceIds {
public:
    // The number of that instance: the same for the same instance, a number
    // never given before for a new one.
    std::uint32_t idFor(const std::string& syspath, std::uint64_t nodeInode);

private:
    std::map<std::string, std::uint32_t> ids_;
    std::uint32_t next_ = 1;
};
