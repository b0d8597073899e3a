#include "hid/platform/linux/HidrawChannels.h"

#include "hid/platform/linux/LinuxErrors.h"

HidHandle HidrawChannels::add(std::shared_ptr<HidrawChannel> channel) {
    std::lock_guard lock(mutex_);
    const HidHandle handle = next_++;
    channels_.emplace(handle, std::move(channel));
    return handle;
}

std::shared_ptr<HidrawChannel> HidrawChannels::find(HidHandle handle) const {
    {
        std::lock_guard lock(mutex_);
        if (const auto it = channels_.find(handle); it != channels_.end()) {
            return it->second;
        }
    }
    setLastErrorCode(HidErrorInvalidHandle);
    return nullptr;
}

void HidrawChannels::close(HidHandle handle) {
    std::shared_ptr<HidrawChannel> channel;
    {
        std::lock_guard lock(mutex_);
        const auto it = channels_.find(handle);
        if (it == channels_.end()) {
            return;
        }
        channel = std::move(it->second);
        channels_.erase(it);
    }
    channel->close();
}
