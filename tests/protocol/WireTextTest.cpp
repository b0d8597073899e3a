#include "protocol/WireText.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "ReportBytes.h"

using protocol::decodeWireText;
using protocol::WireText;

TEST(WireText, RefusesWhatTheUnitCannotStore) {
    struct Case {
        std::u16string text;
        char32_t unsupported;
    };
    const Case cases[] = {
        {u"\u010Cas", 0x010C},
        {u"ab\u0100", 0x0100},
        {u"x\U0001F600", 0x1F600},  // surrogate pair: the whole character
        {u"x\xD800y", 0xD800},      // lone surrogate
        {std::u16string(u"a\0b", 3), 0x0000},
    };
    for (const Case& c : cases) {
        const protocol::WireTextResult result = WireText::fromUtf16(c.text);
        EXPECT_FALSE(result.text.has_value());
        EXPECT_EQ(result.unsupported, c.unsupported);
    }
}

TEST(WireText, WritesLatin1BytesAndCutsToTheField) {
    struct Case {
        std::u16string text;
        std::size_t fieldSize;
        const char* bytes;
    };
    const Case cases[] = {
        {u"A\u00E8\u00FF\u0001", 6, "41 E8 FF 01 00 00"},
        {u"123456", 4, "31 32 33 34"},
        {u"", 3, "00 00 00"},
    };
    for (const Case& c : cases) {
        const protocol::WireTextResult result = WireText::fromUtf16(c.text);
        ASSERT_TRUE(result.text.has_value());
        EXPECT_EQ(result.text->size(), c.text.size());
        std::vector<std::uint8_t> field(c.fieldSize, 0xAA);
        result.text->writeTo(field);
        EXPECT_EQ(field, bytesOf(c.bytes));
    }
}

TEST(WireText, DecodesUpToTheFirstZeroOrTheWholeField) {
    struct Case {
        const char* bytes;
        std::u16string text;
    };
    const Case cases[] = {
        {"41 E8 00 42", u"A\u00E8"},
        {"0C 61 73", u"\u000Cas"},
        {"00 41", u""},
        {"FF 80 01", u"\u00FF\u0080\u0001"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(decodeWireText(bytesOf(c.bytes)), c.text) << c.bytes;
    }
}
