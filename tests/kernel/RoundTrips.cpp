#include "RoundTrips.h"

#include <fcntl.h>
#include <hidapi/hidapi.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int ReplyTimeoutMs = 2000;

// The status request: report ID 0, "G", "S", then zeros to 65 bytes.
std::array<std::uint8_t, 65> statusRequest() {
    std::array<std::uint8_t, 65> report{};
    report[1] = 'G';
    report[2] = 'S';
    return report;
}

double microsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

// The unit's reports carry no report ID: the reply starts with its tag.
bool isStatusReply(const std::uint8_t* reply, long size) {
    return size == 64 && reply[0] == 'G' && reply[1] == 'S';
}

}  // namespace

RoundTripTimes rawRoundTrips(const std::string& path, int count) {
    RoundTripTimes times;
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        times.error = "open: " + std::string(std::strerror(errno));
        return times;
    }
    const auto request = statusRequest();
    std::uint8_t reply[65];
    for (int i = 0; i < count && times.error.empty(); ++i) {
        const auto start = Clock::now();
        if (::write(fd, request.data(), request.size()) != static_cast<ssize_t>(request.size())) {
            times.error = "write: " + std::string(std::strerror(errno));
            break;
        }
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, ReplyTimeoutMs) != 1) {
            times.error = "no reply";
            break;
        }
        const ssize_t n = ::read(fd, reply, sizeof reply);
        const double micros = microsSince(start);
        if (!isStatusReply(reply, n)) {
            times.error = "not a status reply";
            break;
        }
        times.micros.push_back(micros);
    }
    ::close(fd);
    return times;
}

RoundTripTimes hidapiRoundTrips(const std::string& path, int count) {
    RoundTripTimes times;
    hid_device* device = hid_open_path(path.c_str());
    if (device == nullptr) {
        times.error = "hid_open_path failed";
        return times;
    }
    const auto request = statusRequest();
    std::uint8_t reply[65];
    for (int i = 0; i < count; ++i) {
        const auto start = Clock::now();
        if (hid_write(device, request.data(), request.size()) != static_cast<int>(request.size())) {
            times.error = "hid_write failed";
            break;
        }
        const int n = hid_read_timeout(device, reply, sizeof reply, ReplyTimeoutMs);
        const double micros = microsSince(start);
        if (!isStatusReply(reply, n)) {
            times.error = n == 0 ? "no reply" : "not a status reply";
            break;
        }
        times.micros.push_back(micros);
    }
    hid_close(device);
    return times;
}

double median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}
