#pragma once

#include <chrono>
#include <string>

// Watches /dev for hidraw nodes being created, so that the test waits for a
// device's node instead of guessing how long the kernel takes to make it.
class NodeWatch {
public:
    NodeWatch();
    ~NodeWatch();
    NodeWatch(const NodeWatch&) = delete;
    NodeWatch& operator=(const NodeWatch&) = delete;

    // The path of the next hidraw node created since the watch began or since
    // the last call; empty when none came within `timeout`.
    std::string nextNode(std::chrono::milliseconds timeout);

private:
    int fd_ = -1;
};
