// libFuzzer target: arbitrary bytes as a device's HID report descriptor, as
// the Linux backend reads it from a hidraw node. libFuzzer hands each input
// in a buffer of exactly its size, so a read past the end is caught.

#include "hid/platform/linux/ReportDescriptor.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ReportDescriptor::parse(data, size);
    return 0;
}
