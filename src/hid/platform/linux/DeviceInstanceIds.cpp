#include "hid/platform/linux/DeviceInstanceIds.h"

std::uint32_t DeviceInstanceIds::idFor(const std::string& syspath, std::uint64_t nodeInode) {
    const std::string key = syspath + '\n' + std::to_string(nodeInode);
    const auto [it, added] = ids_.try_emplace(key, next_);
    if (added) {
        ++next_;
    }
    return it->second;
}
