#include "RoundTrips.h"

#include <fcntl.h>
#include <hidapi/hidapi.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <vector>

#include "ReportBytes.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int ReplyTimeoutMs = 2000;

using Request = std::vector<std::uint8_t>;

Request statusRequest() {
    return reportOf("00 47 53");
}

// The request for memory packet `packet`: "G", "M", its number big-endian.
Request memoryRequest(unsigned packet) {
    Request report = reportOf("00 47 4D");
    report[3] = static_cast<std::uint8_t>(packet >> 8);
    report[4] = static_cast<std::uint8_t>(packet & 0xFF);
    return report;
}

double microsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

// The unit's reports carry no report ID: the reply starts with its tag.
bool isStatusReply(const std::uint8_t* reply, long size) {
    return size == 64 && reply[0] == 'G' && reply[1] == 'S';
}

// Writes `request` and reads its reply into `reply`; empty, or what failed.
std::string rawExchange(int fd, const Request& request, std::uint8_t (&reply)[65], long& size) {
    if (::write(fd, request.data(), request.size()) != static_cast<ssize_t>(request.size())) {
        return "write: " + std::string(std::strerror(errno));
    }
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, ReplyTimeoutMs) != 1) {
        return "no reply";
    }
    size = ::read(fd, reply, sizeof reply);
    return {};
}

// Opens `path` and times `count` runs of `run`, which answers what failed.
template <typename Run>
RoundTripTimes rawTimes(const std::string& path, int count, const Run& run) {
    RoundTripTimes times;
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        times.error = "open: " + std::string(std::strerror(errno));
        return times;
    }
    for (int i = 0; i < count && times.error.empty(); ++i) {
        const auto start = Clock::now();
        times.error = run(fd);
        if (times.error.empty()) {
            times.micros.push_back(microsSince(start));
        }
    }
    ::close(fd);
    return times;
}

}  // namespace

RoundTripTimes rawRoundTrips(const std::string& path, int count) {
    return rawTimes(path, count, [](int fd) {
        std::uint8_t reply[65];
        long size = 0;
        std::string error = rawExchange(fd, statusRequest(), reply, size);
        return !error.empty() || isStatusReply(reply, size) ? error : "not a status reply";
    });
}

RoundTripTimes rawMemoryReads(const std::string& path, int count) {
    return rawTimes(path, count, [](int fd) {
        std::uint8_t reply[65];
        for (unsigned packet = 0; packet < 128; ++packet) {
            long size = 0;
            const std::string error = rawExchange(fd, memoryRequest(packet), reply, size);
            if (!error.empty()) {
                return error;
            }
            if (size != 64 || reply[0] != 'G' || reply[1] != 'M' || reply[2] != (packet >> 8) ||
                reply[3] != (packet & 0xFF)) {
                return "not memory packet " + std::to_string(packet);
            }
        }
        return std::string();
    });
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
