#pragma once

// Round trips to the unit's hidraw node, made the ways other programs make
// them, to set beside the HID layer's own: with the system calls alone, and
// through hidapi's hidraw library.

#include <string>
#include <vector>

struct RoundTripTimes {
    // Microseconds from the start of each write to the end of its reply's read.
    std::vector<double> micros;
    // Empty when every round trip got its "GS" reply.
    std::string error;
};

// write, poll and read on the node, opened for this alone.
RoundTripTimes rawRoundTrips(const std::string& path, int count);
// Reads of the unit's whole memory, its 128 "GM" packets one after the other,
// with write, poll and read on the node: microseconds per read.
RoundTripTimes rawMemoryReads(const std::string& path, int count);
// hid_write and hid_read_timeout on a device hid_open_path opened.
RoundTripTimes hidapiRoundTrips(const std::string& path, int count);

// The median of `values`; 0 when there are none.
double median(std::vector<double> values);
