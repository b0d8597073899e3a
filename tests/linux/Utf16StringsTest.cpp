#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "hid/platform/HidPlatform.h"
#include "hid/platform/linux/LinuxErrors.h"
#include "hid/platform/linux/Utf16Strings.h"

TEST(Utf16Strings, ConvertsUtf8AndReplacesMalformedSequences) {
    const std::pair<std::string, std::u16string> cases[] = {
        {"", u""},
        {"Brevalon 8", u"Brevalon 8"},
        {"\xC4\x8C\xC5\xBE", {0x010C, 0x017E}},                  // two-byte forms
        {"\xE2\x82\xAC", {0x20AC}},                              // three bytes
        {"\xF0\x9F\x98\x80", {0xD83D, 0xDE00}},                  // a surrogate pair
        {"\xF4\x8F\xBF\xBF", {0xDBFF, 0xDFFF}},                  // the last code point
        {"\xC0\xAF", {0xFFFD, 0xFFFD}},                          // overlong
        {"\xE0\x80\xAF", {0xFFFD, 0xFFFD, 0xFFFD}},              // overlong
        {"\xED\xA0\x80", {0xFFFD, 0xFFFD, 0xFFFD}},              // a surrogate
        {"\xF4\x90\x80\x80", {0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD}},  // past U+10FFFF
        {"a\xE2\x82", {u'a', 0xFFFD}},                           // cut short
        {"\xE2\x82"
         "b",
         {0xFFFD, u'b'}},                // cut short
        {"\x80\xFF", {0xFFFD, 0xFFFD}},  // stray bytes
    };
    for (const auto& [utf8, utf16] : cases) {
        EXPECT_EQ(utf8ToUtf16(utf8), utf16) << "input of " << utf8.size() << " bytes";
    }
}

TEST(Utf16Strings, CopyTruncatesToTheBufferAndTerminatesWhenThereIsRoom) {
    struct Case {
        std::uint32_t bufferBytes;
        std::vector<std::uint16_t> expected;  // the buffer afterwards, 0xAAAA untouched
    };
    const Case cases[] = {
        {10, {u'A', u'B', u'C', 0x0000, 0xAAAA}},    {8, {u'A', u'B', u'C', 0x0000, 0xAAAA}},
        {6, {u'A', u'B', u'C', 0xAAAA, 0xAAAA}},     {5, {u'A', u'B', 0xAAAA, 0xAAAA, 0xAAAA}},
        {2, {u'A', 0xAAAA, 0xAAAA, 0xAAAA, 0xAAAA}},
    };
    for (const auto& c : cases) {
        std::vector<std::uint16_t> buffer(5, 0xAAAA);
        EXPECT_TRUE(copyUtf16(u"ABC", buffer.data(), c.bufferBytes));
        EXPECT_EQ(buffer, c.expected) << c.bufferBytes << " bytes";
    }

    std::uint16_t tiny = 0xAAAA;
    setLastErrorCode(0);
    EXPECT_FALSE(copyUtf16(u"ABC", &tiny, 1));
    EXPECT_EQ(lastErrorCode(), HidErrorInsufficientBuffer);
    EXPECT_EQ(tiny, 0xAAAA);
}
