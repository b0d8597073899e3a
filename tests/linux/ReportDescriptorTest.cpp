#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "hid/platform/linux/ReportDescriptor.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

ReportDescriptor parse(const Bytes& bytes) {
    return ReportDescriptor::parse(bytes.data(), bytes.size());
}

// Vendor-defined device: one 64-byte input and one 64-byte output report.
const Bytes vendor64 = {
    0x06, 0x00, 0xFF,  // Usage Page (Vendor 0xFF00)
    0x09, 0x01,        // Usage (1)
    0xA1, 0x01,        // Collection (Application)
    0x09, 0x02,        //   Usage (2)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x00,  //   Logical Maximum (255)
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x40,        //   Report Count (64)
    0x81, 0x02,        //   Input (Data, Var, Abs)
    0x09, 0x03,        //   Usage (3)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x00,  //   Logical Maximum (255)
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x40,        //   Report Count (64)
    0x91, 0x02,        //   Output (Data, Var, Abs)
    0xC0,              // End Collection
};

// The same with report ID 1.
const Bytes vendor64Id1 = {
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x01,  // Report ID (1)
    0x09, 0x02, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x40, 0x81, 0x02, 0x09,
    0x03, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x40, 0x91, 0x02, 0xC0,
};

// Boot keyboard: modifiers, reserved byte, six key codes in; five LEDs out.
const Bytes bootKeyboard = {
    0x05,
    0x01,  // Usage Page (Generic Desktop)
    0x09,
    0x06,  // Usage (Keyboard)
    0xA1,
    0x01,  // Collection (Application)
    0x05,
    0x07,  //   Usage Page (Key Codes)
    0x19,
    0xE0,
    0x29,
    0xE7,
    0x15,
    0x00,
    0x25,
    0x01,
    0x75,
    0x01,
    0x95,
    0x08,
    0x81,
    0x02,  //   Input: 8 modifier bits
    0x95,
    0x01,
    0x75,
    0x08,
    0x81,
    0x01,  //   Input: reserved byte
    0x95,
    0x05,
    0x75,
    0x01,
    0x05,
    0x08,
    0x19,
    0x01,
    0x29,
    0x05,
    0x91,
    0x02,  //   Output: 5
           //   LEDs
    0x95,
    0x01,
    0x75,
    0x03,
    0x91,
    0x01,  //   Output: padding
    0x95,
    0x06,
    0x75,
    0x08,
    0x15,
    0x00,
    0x25,
    0x65,
    0x05,
    0x07,
    0x19,
    0x00,
    0x29,
    0x65,
    0x81,
    0x00,  //   Input: 6 key codes
    0xC0,
};

// Mouse with numbered reports: report 1 (buttons, X, Y, wheel) and a 7-byte
// vendor input report 3 in, a 2-byte feature report 2.
const Bytes numberedMouse = {
    0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x01,  //   Report ID (1)
    0x09, 0x01, 0xA1, 0x00,                          //   Collection (Physical)
    0x05, 0x09, 0x19, 0x01, 0x29, 0x03, 0x15, 0x00, 0x25,
    0x01, 0x95, 0x03, 0x75, 0x01, 0x81, 0x02,  //     Input: 3 buttons
    0x95, 0x01, 0x75, 0x05, 0x81, 0x03,        //     Input: padding
    0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x09, 0x38, 0x15,
    0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x03, 0x81, 0x06,  //     Input: X, Y, wheel
    0xC0,                                                  //   End Collection
    0x85, 0x02,                                            //   Report ID (2)
    0x06, 0x00, 0xFF, 0x09, 0x01, 0x15, 0x00, 0x26, 0xFF,
    0x00, 0x75, 0x08, 0x95, 0x02, 0xB1, 0x02,        //   Feature: 2 bytes
    0x85, 0x03,                                      //   Report ID (3)
    0x09, 0x02, 0x75, 0x08, 0x95, 0x07, 0x81, 0x02,  //   Input: 7 bytes
    0xC0,
};

struct Expected {
    const char* name;
    const Bytes* bytes;
    std::uint16_t usagePage;
    std::uint16_t usage;
    std::uint16_t input;
    std::uint16_t output;
    std::uint16_t feature;
    bool numbered;
};

const Expected realDescriptors[] = {
    {"vendor 64/64 without IDs", &vendor64, 0xFF00, 0x0001, 65, 65, 0, false},
    {"vendor 64/64 with ID 1", &vendor64Id1, 0xFF00, 0x0001, 65, 65, 0, true},
    {"boot keyboard", &bootKeyboard, 0x0001, 0x0006, 9, 2, 0, false},
    {"mouse with numbered reports", &numberedMouse, 0x0001, 0x0002, 8, 0, 3, true},
};

void expectParsed(const Expected& e, const ReportDescriptor& d) {
    SCOPED_TRACE(e.name);
    EXPECT_EQ(d.usagePage(), e.usagePage);
    EXPECT_EQ(d.usage(), e.usage);
    EXPECT_EQ(d.inputLength(), e.input);
    EXPECT_EQ(d.outputLength(), e.output);
    EXPECT_EQ(d.featureLength(), e.feature);
    EXPECT_EQ(d.numberedReports(), e.numbered);
}

}  // namespace

TEST(ReportDescriptor, LengthsCountTheReportIdByteOfRealDevices) {
    for (const auto& e : realDescriptors) {
        expectParsed(e, parse(*e.bytes));
    }
}

TEST(ReportDescriptor, OddAndHostileDescriptors) {
    const Bytes empty = {};
    // The last item lacks its data byte and is ignored.
    const Bytes truncatedItem = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x75, 0x08,
                                 0x95, 0x04, 0x81, 0x02, 0xC0, 0x26, 0xFF};
    // A long item in the middle is skipped whole; parsing goes on after it.
    const Bytes longItem = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0xFE, 0x03, 0xAA, 0x81,
                            0x02, 0x81, 0x75, 0x08, 0x95, 0x04, 0x81, 0x02, 0xC0};
    // A long item claiming more data than there is ends the descriptor.
    const Bytes truncatedLongItem = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x75, 0x08, 0x95,
                                     0x02, 0x91, 0x02, 0xFE, 0x10, 0xAA, 0x81, 0x02};
    // Report size and count of 0xFFFFFFFF each: the length saturates.
    const Bytes absurdSizes = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x77, 0xFF, 0xFF,
                               0xFF, 0xFF, 0x97, 0xFF, 0xFF, 0xFF, 0xFF, 0x81, 0x02, 0xC0};
    // A 4-byte usage names its own page; a 4-byte report ID past 255.
    const Bytes extendedUsage = {0x0B, 0x01, 0x00, 0x0C, 0x00, 0xA1, 0x01, 0x87, 0xFF, 0xFF,
                                 0xFF, 0xFF, 0x75, 0x08, 0x95, 0x03, 0xB1, 0x02, 0xC0};
    // Pop restores the report size pushed before; a stray pop and end
    // collection change nothing.
    const Bytes pushPop = {0xB4, 0xC0, 0x05, 0x01, 0x09, 0x04, 0xA1, 0x01, 0x75, 0x08, 0x95,
                           0x02, 0xA4, 0x75, 0x10, 0x81, 0x02, 0xB4, 0x91, 0x02, 0xC0};
    // The first top-level application collection counts, not a nested one
    // nor a later one.
    const Bytes twoCollections = {0x05, 0x0C, 0xA1, 0x02, 0x09, 0x05, 0xA1, 0x01,
                                  0xC0, 0xC0, 0x05, 0x01, 0x09, 0x06, 0xA1, 0x01,
                                  0xC0, 0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0xC0};

    const Expected cases[] = {
        {"empty", &empty, 0, 0, 0, 0, 0, false},
        {"truncated item", &truncatedItem, 0x0001, 0x0002, 5, 0, 0, false},
        {"long item", &longItem, 0x0001, 0x0002, 5, 0, 0, false},
        {"truncated long item", &truncatedLongItem, 0x0001, 0x0002, 0, 3, 0, false},
        {"absurd sizes", &absurdSizes, 0xFF00, 0x0001, 0xFFFF, 0, 0, false},
        {"extended usage", &extendedUsage, 0x000C, 0x0001, 0, 0, 4, true},
        {"push and pop", &pushPop, 0x0001, 0x0004, 5, 3, 0, false},
        {"two collections", &twoCollections, 0x0001, 0x0006, 0, 0, 0, false},
    };
    for (const auto& e : cases) {
        expectParsed(e, parse(*e.bytes));
    }
    EXPECT_EQ(ReportDescriptor::parse(nullptr, 10).inputLength(), 0);
}

TEST(ReportDescriptor, SaturatesSumsOfManyFields) {
    // 300 inputs of 255 x 255 bits each: far more than 65535 bytes in total.
    Bytes bytes = {0x75, 0xFF, 0x95, 0xFF};
    for (int i = 0; i < 300; ++i) {
        bytes.push_back(0x81);
        bytes.push_back(0x02);
    }
    EXPECT_EQ(parse(bytes).inputLength(), 0xFFFF);
}

TEST(ReportDescriptor, EveryPrefixStaysWithinTheWholeDescriptor) {
    // Cutting a descriptor anywhere only drops fields. Each prefix is an
    // exact-size copy, so the address sanitizer sees any read past the end.
    for (const auto& e : realDescriptors) {
        const ReportDescriptor whole = parse(*e.bytes);
        for (std::size_t n = 0; n <= e.bytes->size(); ++n) {
            const Bytes prefix(e.bytes->begin(), e.bytes->begin() + static_cast<long>(n));
            const ReportDescriptor part = parse(prefix);
            EXPECT_LE(part.inputLength(), whole.inputLength()) << e.name << " cut at " << n;
            EXPECT_LE(part.outputLength(), whole.outputLength()) << e.name << " cut at " << n;
            EXPECT_LE(part.featureLength(), whole.featureLength()) << e.name << " cut at " << n;
        }
    }
}
