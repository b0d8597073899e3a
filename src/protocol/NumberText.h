#pragma once

// Numbers as the user types and sees them, independent of any locale: the
// caller passes the decimal separator of the user's locale (one or more UTF-16
// code units) and builds the error texts itself.
//
// Reading rules, shared by decimals and integers:
// - Blanks (U+0020) before and after the number are ignored; anything else
//   that is not part of the number makes it invalid: inner blanks, group
//   separators, control characters, letters, an empty text.
// - One optional sign, "+" or "-"; "-0" is 0.
// - Digits are ASCII 0 to 9.
// Decimals may have a fractional part after the decimal separator (either part
// may be empty, but not both: "5," and ",5" are valid with ","), and an
// exponent: "e" or "E", an optional sign and at least one digit ("1e3",
// "2,5E-2"). Integers have digits only.

#include <cstdint>
#include <string>
#include <string_view>

namespace protocol {

enum class NumberError {
    None,
    Invalid,     // not a number in this format
    OutOfRange,  // a number, but outside what the field can hold
};

template <typename T>
struct Parsed {
    T value{};
    NumberError error = NumberError::None;
    bool ok() const { return error == NumberError::None; }
};

// Fixed point: a signed 32-bit value that is the number times 10000.

// "0.0000": at least one digit before the separator, exactly four after it,
// a minus sign for negative values, no grouping. -1 gives "-0.0001".
std::u16string formatFixedPoint(std::int32_t value, std::u16string_view decimalSeparator);

// The typed decimal times 10000, rounded on its decimal digits to the nearest
// integer, halfway cases to the even one (1.00005 gives 10000, 1.00015 gives
// 10002). OutOfRange when the result lies outside -214748.3648 to
// 214748.3647 (also for exponents like "1e400"); a tiny value such as
// "1e-400" is 0.
Parsed<std::int32_t> parseFixedPoint(std::u16string_view text,
                                     std::u16string_view decimalSeparator);

// The typed decimal as the nearest double. OutOfRange when its magnitude is
// beyond what a double holds; a value too small for a double is 0.
Parsed<double> parseDouble(std::u16string_view text, std::u16string_view decimalSeparator);

// The general number format: at most 15 significant digits, no trailing
// zeros; fixed notation when 0.0001 <= |value| < 10^15 after rounding to 15
// digits, otherwise the digits with the separator after the first one, "E", a
// minus sign for a negative exponent, and the exponent without leading zeros
// ("9E-5", "1,5E20"). 0 (and -0) is "0"; not-a-number is "NAN", infinities
// are "INF" and "-INF".
std::u16string formatGeneral(double value, std::u16string_view decimalSeparator);

// Integers.

struct IntegerLimits {
    std::int64_t min;
    std::int64_t max;
    bool contains(std::int64_t value) const { return value >= min && value <= max; }
};

inline constexpr IntegerLimits Int32Limits{INT32_MIN, INT32_MAX};
inline constexpr IntegerLimits DetectionDelayLimits{0, 255};
inline constexpr IntegerLimits RepeatTimeLimits{0, 65535};
inline constexpr IntegerLimits SmsCountLimits{0, 255};
inline constexpr IntegerLimits RawOffsetLimits{-32768, 32767};
inline constexpr IntegerLimits PulseTimeLimits{1, 250};

// A typed integer of the signed 32-bit range, as the standard integer
// conversion reads it: a number outside that range is Invalid too.
Parsed<std::int64_t> parseInteger(std::u16string_view text);

// A typed integer for a field with limits: Invalid when the text is not an
// integer, OutOfRange when it is one (of any length) outside `limits`.
Parsed<std::int64_t> parseInteger(std::u16string_view text, IntegerLimits limits);

}  // namespace protocol
