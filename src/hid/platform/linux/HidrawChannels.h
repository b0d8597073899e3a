#pragma once

#include <map>
#include <memory>
#include <mutex>

#include "hid/platform/HidPlatform.h"
#include "hid/platform/linux/HidrawChannel.h"

// The table of open channels. Handles count up and are never reused, so a
// closed handle stays unknown. A caller holds the channel it found for the
// length of its call; close() takes the channel out of the table at once and
// ends its outstanding transfer, while the descriptor lives on until the last
// such call has returned.
class HidrawChannels {
public:
    HidHandle add(std::shared_ptr<HidrawChannel> channel);
    // The channel of `handle`; null with HidErrorInvalidHandle when unknown.
    std::shared_ptr<HidrawChannel> find(HidHandle handle) const;
    void close(HidHandle handle);

private:
    mutable std::mutex mutex_;
    std::map<HidHandle, std::shared_ptr<HidrawChannel>> channels_;
    HidHandle next_ = 1;
};
