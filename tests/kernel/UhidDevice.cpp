#include "UhidDevice.h"

#include <fcntl.h>
#include <linux/uhid.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

UhidDevice::UhidDevice(UhidDeviceDescription description, OutputHandler onOutput,
                       FeatureHandler onFeature)
    : description_(std::move(description)),
      onOutput_(std::move(onOutput)),
      onFeature_(std::move(onFeature)) {}

UhidDevice::~UhidDevice() {
    destroy();
}

bool UhidDevice::create() {
    if (fd_ >= 0) {
        return true;
    }
    if (description_.reportDescriptor.size() > HID_MAX_DESCRIPTOR_SIZE) {
        errno = EINVAL;
        return false;
    }
    fd_ = ::open("/dev/uhid", O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) {
        return false;
    }
    auto event = std::make_unique<uhid_event>();
    event->type = UHID_CREATE2;
    uhid_create2_req& req = event->u.create2;
    const auto copyText = [](std::uint8_t* field, std::size_t size, const std::string& text) {
        std::memcpy(field, text.data(), std::min(size - 1, text.size()));
    };
    copyText(req.name, sizeof req.name, description_.name);
    copyText(req.uniq, sizeof req.uniq, description_.uniq);
    req.rd_size = static_cast<std::uint16_t>(description_.reportDescriptor.size());
    std::copy(description_.reportDescriptor.begin(), description_.reportDescriptor.end(),
              req.rd_data);
    req.bus = description_.bus;
    req.vendor = description_.vendor;
    req.product = description_.product;
    req.version = description_.version;
    if (!writeEvent(event.get(), sizeof *event)) {
        const int error = errno;
        ::close(fd_);
        fd_ = -1;
        errno = error;
        return false;
    }
    return true;
}

void UhidDevice::destroy() {
    if (fd_ < 0) {
        return;
    }
    uhid_event event{};
    event.type = UHID_DESTROY;
    // Closing the file destroys the device as well, should the write fail.
    writeEvent(&event, sizeof event);
    ::close(fd_);
    fd_ = -1;
}

bool UhidDevice::writeEvent(const void* event, std::size_t size) {
    const ssize_t n = ::write(fd_, event, size);
    if (n < 0) {
        return false;
    }
    if (static_cast<std::size_t>(n) != size) {
        errno = EIO;
        return false;
    }
    return true;
}

bool UhidDevice::handleEvents() {
    if (fd_ < 0) {
        return true;
    }
    auto event = std::make_unique<uhid_event>();
    for (;;) {
        const ssize_t n = ::read(fd_, event.get(), sizeof *event);
        if (n < 0) {
            return errno == EAGAIN || errno == EINTR;
        }
        switch (event->type) {
            case UHID_OUTPUT: {
                const uhid_output_req& out = event->u.output;
                if (out.rtype == UHID_OUTPUT_REPORT && onOutput_) {
                    onOutput_(out.data, std::min<std::size_t>(out.size, UHID_DATA_MAX));
                }
                break;
            }
            case UHID_GET_REPORT:
            case UHID_SET_REPORT:
                if (!answerReportRequest(*event)) {
                    return false;
                }
                break;
            default:
                // Start, stop, open and close need no answer.
                break;
        }
    }
}

bool UhidDevice::answerReportRequest(const uhid_event& request) {
    const bool set = request.type == UHID_SET_REPORT;
    const std::uint8_t number = set ? request.u.set_report.rnum : request.u.get_report.rnum;
    const std::uint8_t type = set ? request.u.set_report.rtype : request.u.get_report.rtype;
    std::vector<std::uint8_t> report;
    if (set) {
        const uhid_set_report_req& req = request.u.set_report;
        report.assign(req.data, req.data + std::min<std::size_t>(req.size, UHID_DATA_MAX));
    }
    int error = EIO;
    if (type == UHID_FEATURE_REPORT && onFeature_) {
        error = onFeature_(set, number, report);
    }
    auto reply = std::make_unique<uhid_event>();
    if (set) {
        reply->type = UHID_SET_REPORT_REPLY;
        reply->u.set_report_reply.id = request.u.set_report.id;
        reply->u.set_report_reply.err = static_cast<std::uint16_t>(error);
    } else {
        uhid_get_report_reply_req& answer = reply->u.get_report_reply;
        reply->type = UHID_GET_REPORT_REPLY;
        answer.id = request.u.get_report.id;
        answer.err = static_cast<std::uint16_t>(error);
        if (error == 0) {
            answer.size =
                static_cast<std::uint16_t>(std::min<std::size_t>(report.size(), UHID_DATA_MAX));
            std::memcpy(answer.data, report.data(), answer.size);
        }
    }
    return writeEvent(reply.get(), sizeof *reply);
}

bool UhidDevice::sendInput(const std::uint8_t* data, std::size_t size) {
    if (fd_ < 0 || size > UHID_DATA_MAX) {
        errno = fd_ < 0 ? ENODEV : EINVAL;
        return false;
    }
    auto event = std::make_unique<uhid_event>();
    event->type = UHID_INPUT2;
    event->u.input2.size = static_cast<std::uint16_t>(size);
    std::memcpy(event->u.input2.data, data, size);
    return writeEvent(event.get(), sizeof *event);
}
