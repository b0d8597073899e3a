// The unit's process in the kernel test guest: presents the virtual unit, one
// other HID device and a keyboard through /dev/uhid, and takes commands, one a
// line, on its standard input from the tool's process, answering each with one
// line:
//   create unit|other|keyboard   -> ok | error TEXT
//   destroy unit|other|keyboard  -> ok
//   delay MICROSECONDS           -> ok (the unit answers that long after a request)
//   memory                       -> memory HEX (the unit's 4096-byte settings memory)
// It ends at the end of its input, destroying what it created.

#include <linux/input.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "UhidDevice.h"
#include "UhidUnit.h"

namespace {

// Vendor-defined page 0xFF01, usage 2, with numbered reports: input 1 of 8
// bytes, output 2 of 16 bytes, feature 3 of 4 bytes.
const std::vector<std::uint8_t> otherReportDescriptor = {
    0x06, 0x01, 0xFF,                    // Usage Page (0xFF01)
    0x09, 0x02,                          // Usage (2)
    0xA1, 0x01,                          // Collection (Application)
    0x15, 0x00, 0x26, 0xFF, 0x00,        //   Logical Minimum (0), Maximum (255)
    0x75, 0x08,                          //   Report Size (8)
    0x85, 0x01, 0x95, 0x08, 0x09, 0x03,  //   Report ID (1), Count (8), Usage (3)
    0x81, 0x02,                          //   Input (Data, Variable, Absolute)
    0x85, 0x02, 0x95, 0x10, 0x09, 0x04,  //   Report ID (2), Count (16), Usage (4)
    0x91, 0x02,                          //   Output (Data, Variable, Absolute)
    0x85, 0x03, 0x95, 0x04, 0x09, 0x05,  //   Report ID (3), Count (4), Usage (5)
    0xB1, 0x02,                          //   Feature (Data, Variable, Absolute)
    0xC0,                                // End Collection
};

// A boot keyboard: eight modifier bits, a reserved byte and six key codes in,
// five LED bits out. Nothing gives users access to its node.
const std::vector<std::uint8_t> keyboardReportDescriptor = {
    0x05, 0x01,              // Usage Page (Generic Desktop)
    0x09, 0x06,              // Usage (Keyboard)
    0xA1, 0x01,              // Collection (Application)
    0x05, 0x07,              //   Usage Page (Keyboard)
    0x19, 0xE0, 0x29, 0xE7,  //   Usage Minimum (224), Maximum (231)
    0x15, 0x00, 0x25, 0x01,  //   Logical Minimum (0), Maximum (1)
    0x75, 0x01, 0x95, 0x08,  //   Report Size (1), Count (8)
    0x81, 0x02,              //   Input (Data, Variable, Absolute)
    0x95, 0x01, 0x75, 0x08,  //   Report Count (1), Size (8)
    0x81, 0x01,              //   Input (Constant)
    0x05, 0x08,              //   Usage Page (LEDs)
    0x19, 0x01, 0x29, 0x05,  //   Usage Minimum (1), Maximum (5)
    0x95, 0x05, 0x75, 0x01,  //   Report Count (5), Size (1)
    0x91, 0x02,              //   Output (Data, Variable, Absolute)
    0x95, 0x01, 0x75, 0x03,  //   Report Count (1), Size (3)
    0x91, 0x01,              //   Output (Constant)
    0x05, 0x07,              //   Usage Page (Keyboard)
    0x19, 0x00, 0x29, 0x65,  //   Usage Minimum (0), Maximum (101)
    0x15, 0x00, 0x25, 0x65,  //   Logical Minimum (0), Maximum (101)
    0x95, 0x06, 0x75, 0x08,  //   Report Count (6), Size (8)
    0x81, 0x00,              //   Input (Data, Array)
    0xC0,                    // End Collection
};

void answer(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

std::string hex(const std::uint8_t* bytes, std::size_t size) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(2 * size);
    for (std::size_t i = 0; i < size; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
    }
    return text;
}

}  // namespace

int main() {
    UhidUnit unit("BRV8-20417");
    // The other device answers output report 2 with input report 1 carrying
    // the first eight bytes after the ID, and ignores anything else. Its
    // feature report 3 holds four bytes, "FEAT" at first.
    std::uint8_t feature[4] = {'F', 'E', 'A', 'T'};
    UhidDevice* echo = nullptr;
    UhidDevice other(
        {"Other Device", "", otherReportDescriptor, BUS_USB, 0x1234, 0x5678, 0x0100},
        [&echo](const std::uint8_t* report, std::size_t size) {
            if (size == 17 && report[0] == 2) {
                std::uint8_t input[9] = {1};
                std::memcpy(input + 1, report + 1, 8);
                echo->sendInput(input, sizeof input);
            }
        },
        [&feature](bool set, std::uint8_t number, std::vector<std::uint8_t>& report) {
            if (number != 3) {
                return EIO;
            }
            if (!set) {
                report = {3, feature[0], feature[1], feature[2], feature[3]};
                return 0;
            }
            if (report.size() != 5) {
                return EINVAL;
            }
            std::memcpy(feature, report.data() + 1, 4);
            return 0;
        });
    echo = &other;
    UhidDevice keyboard(
        {"Desk Keyboard", "", keyboardReportDescriptor, BUS_USB, 0x1234, 0x0006, 0x0111}, nullptr);

    std::string pending;
    for (;;) {
        pollfd fds[4] = {{STDIN_FILENO, POLLIN, 0},
                         {unit.device().fd(), POLLIN, 0},
                         {other.fd(), POLLIN, 0},
                         {keyboard.fd(), POLLIN, 0}};
        if (poll(fds, 4, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            std::perror("kernel_unit: poll");
            return 1;
        }
        if (fds[1].revents != 0 && !unit.device().handleEvents()) {
            std::perror("kernel_unit: the unit's uhid events");
            return 1;
        }
        if (fds[2].revents != 0 && !other.handleEvents()) {
            std::perror("kernel_unit: the other device's uhid events");
            return 1;
        }
        if (fds[3].revents != 0 && !keyboard.handleEvents()) {
            std::perror("kernel_unit: the keyboard's uhid events");
            return 1;
        }
        if (fds[0].revents == 0) {
            continue;
        }
        char chunk[256];
        const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n <= 0) {
            return 0;
        }
        pending.append(chunk, static_cast<std::size_t>(n));
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
            const std::string command = pending.substr(0, end);
            pending.erase(0, end + 1);
            const std::string name = command.substr(command.find(' ') + 1);
            UhidDevice* device = name == "unit"       ? &unit.device()
                                 : name == "other"    ? &other
                                 : name == "keyboard" ? &keyboard
                                                      : nullptr;
            if (device != nullptr && command.starts_with("create ")) {
                answer(device->create() ? "ok" : std::string("error ") + std::strerror(errno));
            } else if (device != nullptr && command.starts_with("destroy ")) {
                device->destroy();
                answer("ok");
            } else if (command.starts_with("delay ")) {
                unit.setAnswerDelay(
                    std::chrono::microseconds(std::strtol(command.c_str() + 6, nullptr, 10)));
                answer("ok");
            } else if (command == "memory") {
                const VirtualUnit::Memory& memory = unit.unit().memory();
                answer("memory " + hex(memory.data(), memory.size()));
            } else {
                answer("error unknown command: " + command);
            }
        }
    }
}
