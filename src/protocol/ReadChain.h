#pragma once

// A read of many records that runs from reply to reply: the first record is
// requested, and each reply of the chain's kind requests the next one until
// the last has come. The position counts the replies since the read started,
// whatever index they named, so a reply for another index still moves the
// chain on. A watchdog, armed whenever the chain waits and counted down by
// the caller's ticks, ends a wait for a reply that never comes (lost on the
// link, wrong tag, unit gone).

#include <cstdint>
#include <functional>
#include <utility>

namespace protocol {

template <typename Index>
class ReadChain {
public:
    // Five seconds of 100 ms ticks.
    static constexpr std::uint8_t watchdogTicks = 50;
    using Request = std::function<void(Index index)>;

    // `position` is the owner's field that holds the index to request next;
    // `request` sends the request for one index.
    ReadChain(Index& position, Request request)
        : position_(position), request_(std::move(request)) {}

    // Requests `first`; the chain ends with the reply that takes the position
    // past `last`.
    void start(Index first, Index last) {
        position_ = first;
        last_ = last;
        request_(first);
        watchdog_ = watchdogTicks;
    }

    // A reply of the chain has come. True while the chain goes on, with the
    // next index requested; false once the last reply has come.
    bool replyArrived() {
        ++position_;
        if (position_ > last_) {
            watchdog_ = 0;
            return false;
        }
        request_(position_);
        watchdog_ = watchdogTicks;
        return true;
    }

    // One tick of the caller's timer; true on the tick that ends the wait.
    bool tick() { return watchdog_ > 0 && --watchdog_ == 0; }
    // Ticks left before the wait ends; 0 when the chain is not waiting.
    std::uint8_t watchdog() const { return watchdog_; }

private:
    Index& position_;
    Request request_;
    Index last_{};
    std::uint8_t watchdog_ = 0;
};

}  // namespace protocol
