#pragma once

// A write of records that the unit acknowledges one by one: for each record
// the owner's acknowledgement flag is set, the record is sent, progress is
// shown, and the caller's wait runs until the acknowledgement clears the flag
// or the wait gives up. A record that times out does not stop the sequence;
// every record is sent.

#include <cstddef>
#include <functional>

namespace protocol {

struct AcknowledgedWrite {
    // Sends record i.
    std::function<void(std::size_t i)> send;
    // Optional: true for a record that is left out (nothing sent, no wait).
    std::function<bool(std::size_t i)> skip;
    // Optional: record i has been sent (or left out).
    std::function<void(std::size_t i)> progress;
    // Waits while the flag is set; false when it gave up.
    std::function<bool(const bool& waitForOk)> wait;

    // Writes records 0 to count - 1 in order, with `waitForOk` as the flag;
    // answers how many were acknowledged.
    std::size_t run(std::size_t count, bool& waitForOk) const {
        std::size_t acknowledged = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const bool sent = !skip || !skip(i);
            if (sent) {
                waitForOk = true;
                send(i);
            }
            if (progress) {
                progress(i);
            }
            if (sent && wait(waitForOk)) {
                ++acknowledged;
            }
        }
        return acknowledged;
    }
};

}  // namespace protocol
