#include "protocol/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

using namespace protocol;

// Printable form of a UTF-16 text for failure messages.
static std::string ascii(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) {
        out += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return out;
}

TEST(NumberText, FormatFixedPoint) {
    struct Case {
        std::int32_t value;
        std::u16string separator;
        std::u16string text;
    };
    const Case cases[] = {
        {0, u".", u"0.0000"},
        {-1, u".", u"-0.0001"},
        {123456, u".", u"12.3456"},
        {100000, u",", u"10,0000"},
        {-30000, u",", u"-3,0000"},
        {INT32_MIN, u".", u"-214748.3648"},
        {INT32_MAX, u",", u"214748,3647"},
        {-9999, u"\u066B", u"-0\u066B9999"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatFixedPoint(c.value, c.separator), c.text) << c.value;
    }
}

TEST(NumberText, ParseFixedPointValues) {
    struct Case {
        std::u16string text;
        std::u16string separator;
        std::int32_t value;
    };
    const Case cases[] = {
        {u"12.5", u".", 125000},
        {u"-3", u".", -30000},
        {u"1.0001", u".", 10001},
        {u"1.23456", u".", 12346},
        {u"0.00005", u".", 0},
        {u"0.00015", u".", 2},
        {u"0.00006", u".", 1},
        {u"1.00004", u".", 10000},
        {u"1.00003", u".", 10000},
        {u"1.00005", u".", 10000},
        {u"1.000050000000000000000000001", u".", 10001},
        {u"-0", u".", 0},
        {u"-0.00005", u".", 0},
        {u"-0.00006", u".", -1},
        {u"+5", u".", 50000},
        {u"250", u".", 2500000},
        {u"5.", u".", 50000},
        {u".5", u".", 5000},
        {u"  12.5  ", u".", 125000},
        {u"12,5", u",", 125000},
        {u"1\u066B5", u"\u066B", 15000},
        {u"214748.3647", u".", INT32_MAX},
        {u"-214748.3648", u".", INT32_MIN},
        {u"214748.36474999", u".", INT32_MAX},
        {u"-214748.36485", u".", INT32_MIN},
        {u"000000000000000000000000000012.5", u".", 125000},
        {u"0.000000000000000000000000000049", u".", 0},
        {u"1e3", u".", 10000000},
        {u"1E-4", u".", 1},
        {u"2,5E-2", u",", 250},
        {u"25e+1", u".", 2500000},
        {u"1e-400", u".", 0},
        {u"0e400", u".", 0},
        {u"0.000012345e4", u".", 1234},
        {u"0.000012355e4", u".", 1236},
    };
    for (const Case& c : cases) {
        const Parsed<std::int32_t> parsed = parseFixedPoint(c.text, c.separator);
        EXPECT_EQ(parsed.error, NumberError::None) << ascii(c.text);
        EXPECT_EQ(parsed.value, c.value) << ascii(c.text);
    }
}

TEST(NumberText, ParseFixedPointErrors) {
    struct Case {
        std::u16string text;
        std::u16string separator;
        NumberError error;
    };
    const Case cases[] = {
        {u"214748.3648", u".", NumberError::OutOfRange},
        {u"214748.36475", u".", NumberError::OutOfRange},  // rounds to 2147483648
        {u"-214748.36495", u".", NumberError::OutOfRange},
        {u"1e400", u".", NumberError::OutOfRange},
        {u"1e99999999999999999999", u".", NumberError::OutOfRange},
        {u"123456789012345678901234567890", u".", NumberError::OutOfRange},
        {u"", u".", NumberError::Invalid},
        {u"   ", u".", NumberError::Invalid},
        {u".", u".", NumberError::Invalid},
        {u"-", u".", NumberError::Invalid},
        {u"+-1", u".", NumberError::Invalid},
        {u"12.5", u",", NumberError::Invalid},
        {u"1,000.5", u".", NumberError::Invalid},
        {u"1.000,5", u",", NumberError::Invalid},
        {u"1 000", u".", NumberError::Invalid},
        {u"1\u00A0000", u",", NumberError::Invalid},
        {u"1.2.3", u".", NumberError::Invalid},
        {u"\t12.5", u".", NumberError::Invalid},
        {u"12.5\n", u".", NumberError::Invalid},
        {u"1e", u".", NumberError::Invalid},
        {u"1e+", u".", NumberError::Invalid},
        {u"e5", u".", NumberError::Invalid},
        {u"1e2.5", u".", NumberError::Invalid},
        {u"inf", u".", NumberError::Invalid},
        {u"nan", u".", NumberError::Invalid},
        {u"0x10", u".", NumberError::Invalid},
        {u"\uFF11", u".", NumberError::Invalid},  // full-width digit
        {u"- 5", u".", NumberError::Invalid},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseFixedPoint(c.text, c.separator).error, c.error) << ascii(c.text);
    }
}

TEST(NumberText, ParseDouble) {
    struct Case {
        std::u16string text;
        std::u16string separator;
        double value;
    };
    const Case cases[] = {
        {u"100", u".", 100.0},  {u"3583,5", u",", 3583.5},
        {u"0.1", u".", 0.1},    {u"-2.5e-3", u".", -0.0025},
        {u"1e-400", u".", 0.0}, {u"123456789012345678901234567890", u".", 1.2345678901234568e29},
    };
    for (const Case& c : cases) {
        const Parsed<double> parsed = parseDouble(c.text, c.separator);
        EXPECT_EQ(parsed.error, NumberError::None) << ascii(c.text);
        EXPECT_EQ(parsed.value, c.value) << ascii(c.text);
    }
    EXPECT_TRUE(std::signbit(parseDouble(u"-1e-400", u".").value));
    EXPECT_EQ(parseDouble(u"1e400", u".").error, NumberError::OutOfRange);
    EXPECT_EQ(parseDouble(u"-1.8e308", u".").error, NumberError::OutOfRange);
    EXPECT_EQ(parseDouble(u"1.5", u",").error, NumberError::Invalid);
    EXPECT_EQ(parseDouble(u"", u".").error, NumberError::Invalid);
}

TEST(NumberText, FormatGeneral) {
    struct Case {
        double value;
        std::u16string separator;
        std::u16string text;
    };
    const Case cases[] = {
        {100.0 / (4095.0 - 512.0), u".", u"0.0279095729835334"},
        {0.00009, u".", u"9E-5"},
        {0.0001, u".", u"0.0001"},
        {-0.000012345, u",", u"-1,2345E-5"},
        {1.0 / 3.0, u".", u"0.333333333333333"},
        {2.0 / 3.0, u".", u"0.666666666666667"},
        {1.5, u",", u"1,5"},
        {-2.5, u".", u"-2.5"},
        {12.0, u".", u"12"},
        {100.0, u".", u"100"},
        {999999999999999.0, u".", u"999999999999999"},
        {999999999999999.9, u".", u"1E15"},
        {1e15, u".", u"1E15"},
        {123456789012345678.0, u",", u"1,23456789012346E17"},
        {1e-300, u".", u"1E-300"},
        {1e300, u".", u"1E300"},
        {0.0, u".", u"0"},
        {-0.0, u".", u"0"},
        {std::numeric_limits<double>::quiet_NaN(), u".", u"NAN"},
        {-std::numeric_limits<double>::infinity(), u".", u"-INF"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatGeneral(c.value, c.separator), c.text) << ascii(c.text);
    }
}

TEST(NumberText, ParseInteger) {
    struct Case {
        std::u16string text;
        std::int64_t value;
        NumberError error;
    };
    const Case cases[] = {
        {u"42", 42, NumberError::None},
        {u"-7", -7, NumberError::None},
        {u"+7", 7, NumberError::None},
        {u"-0", 0, NumberError::None},
        {u" 12 ", 12, NumberError::None},
        {u"007", 7, NumberError::None},
        {u"2147483647", INT32_MAX, NumberError::None},
        {u"-2147483648", INT32_MIN, NumberError::None},
        {u"2147483648", 0, NumberError::Invalid},
        {u"123456789012345678901234567890", 0, NumberError::Invalid},
        {u"", 0, NumberError::Invalid},
        {u"1.0", 0, NumberError::Invalid},
        {u"1e3", 0, NumberError::Invalid},
        {u"12a", 0, NumberError::Invalid},
        {u"1 2", 0, NumberError::Invalid},
        {u"1,000", 0, NumberError::Invalid},
        {u"\u0661", 0, NumberError::Invalid},  // Arabic-Indic one
    };
    for (const Case& c : cases) {
        const Parsed<std::int64_t> parsed = parseInteger(c.text);
        EXPECT_EQ(parsed.error, c.error) << ascii(c.text);
        EXPECT_EQ(parsed.value, c.value) << ascii(c.text);
    }
}

TEST(NumberText, ParseIntegerWithLimits) {
    struct Case {
        std::u16string text;
        IntegerLimits limits;
        NumberError error;
    };
    const IntegerLimits int64Limits{INT64_MIN, INT64_MAX};
    const Case cases[] = {
        {u"0", DetectionDelayLimits, NumberError::None},
        {u"255", DetectionDelayLimits, NumberError::None},
        {u"256", DetectionDelayLimits, NumberError::OutOfRange},
        {u"-1", DetectionDelayLimits, NumberError::OutOfRange},
        {u"65535", RepeatTimeLimits, NumberError::None},
        {u"70000", RepeatTimeLimits, NumberError::OutOfRange},
        {u"256", SmsCountLimits, NumberError::OutOfRange},
        {u"-32768", RawOffsetLimits, NumberError::None},
        {u"40000", RawOffsetLimits, NumberError::OutOfRange},
        {u"0", PulseTimeLimits, NumberError::OutOfRange},
        {u"1", PulseTimeLimits, NumberError::None},
        {u"250", PulseTimeLimits, NumberError::None},
        {u"251", PulseTimeLimits, NumberError::OutOfRange},
        {u"257", PulseTimeLimits, NumberError::OutOfRange},
        {u"99999999999999999999", PulseTimeLimits, NumberError::OutOfRange},
        {u"-9223372036854775808", int64Limits, NumberError::None},
        {u"9223372036854775807", int64Limits, NumberError::None},
        {u"9223372036854775808", int64Limits, NumberError::OutOfRange},
        {u"abc", PulseTimeLimits, NumberError::Invalid},
        {u"", PulseTimeLimits, NumberError::Invalid},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseInteger(c.text, c.limits).error, c.error) << ascii(c.text);
    }
    EXPECT_EQ(parseInteger(u"-9223372036854775808", int64Limits).value, INT64_MIN);
    EXPECT_EQ(parseInteger(u"-32768", RawOffsetLimits).value, -32768);
}
