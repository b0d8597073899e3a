#include "main/HistoryCodePage.h"

#include <gtest/gtest.h>
#include <windows.h>

// Run with a Serbian (Latin) locale, whose ANSI code page is 1250: the
// history keeps the letters a technician types instead of "?".
TEST(HistoryCodePageTest, SavesInTheAnsiCodePage) {
    ASSERT_EQ(GetACP(), 1250u) << "the test's locale should give code page 1250";
    const struct {
        const char* utf8;
        QByteArray bytes;
    } cases[] = {
        {"Pro\xC4\x8Ditaj", QByteArray("Pro\xE8itaj")},
        {"Upi\xC5\xA1i", QByteArray("Upi\x9Ai")},
        {"Uklju\xC4\x8Di \xC5\xBE \xC4\x91 \xC4\x87", QByteArray("Uklju\xE8i \x9E \xF0 \xE6")},
        {"\xE2\x82\xAC \xC3\xA9", QByteArray("\x80 \xE9")},
        // Neither Cyrillic nor Chinese is in the code page.
        {"\xD0\x96\xE4\xB8\xAD", QByteArray("??")},
        {"", QByteArray()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toHistoryCodePage(QString::fromUtf8(c.utf8)), c.bytes) << c.utf8;
    }
}
