#include "protocol/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>

namespace protocol {

namespace {

// A typed number as sign, significant digits and a power of ten, so that it
// can be scaled and rounded on its decimal digits, whatever its length.
struct Decimal {
    bool negative = false;
    std::string digits;         // no leading or trailing zeros; empty for zero
    std::int64_t exponent = 0;  // the value is digits times 10^exponent
};

// Exponents beyond this are all out of range (or 0) anyway; saturating keeps
// the arithmetic far from overflow.
constexpr std::int64_t ExponentLimit = 1'000'000'000;

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

std::u16string_view trimBlanks(std::u16string_view text) {
    const auto first = text.find_first_not_of(u' ');
    if (first == std::u16string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(u' ') - first + 1);
}

// Reads the whole text as one number; with `decimal` false only a sign and
// digits are allowed.
std::optional<Decimal> readNumber(std::u16string_view text, std::u16string_view separator,
                                  bool decimal) {
    text = trimBlanks(text);
    Decimal d;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        d.negative = text[i] == u'-';
        ++i;
    }
    bool anyDigit = false;
    bool afterSeparator = false;
    while (i < text.size()) {
        const char16_t c = text[i];
        if (isDigit(c)) {
            anyDigit = true;
            if (!d.digits.empty() || c != u'0') {
                d.digits.push_back(static_cast<char>(c));
            }
            if (afterSeparator) {
                --d.exponent;
            }
            ++i;
        } else if (decimal && !afterSeparator && !separator.empty() &&
                   text.substr(i).starts_with(separator)) {
            afterSeparator = true;
            i += separator.size();
        } else {
            break;
        }
    }
    if (!anyDigit) {
        return std::nullopt;
    }
    if (decimal && i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
            negativeExponent = text[i] == u'-';
            ++i;
        }
        const std::size_t firstExponentDigit = i;
        std::int64_t exponent = 0;
        for (; i < text.size() && isDigit(text[i]); ++i) {
            exponent = std::min(exponent * 10 + (text[i] - u'0'), ExponentLimit);
        }
        if (i == firstExponentDigit) {
            return std::nullopt;
        }
        d.exponent += negativeExponent ? -exponent : exponent;
    }
    if (i != text.size()) {
        return std::nullopt;
    }
    while (!d.digits.empty() && d.digits.back() == '0') {
        d.digits.pop_back();
        ++d.exponent;
    }
    return d;
}

// The integer part of digits times 10^(exponent + shift), or nothing when it
// has more than `maxDigits` digits.
std::optional<std::uint64_t> integerPart(const Decimal& d, std::int64_t shift,
                                         std::int64_t maxDigits) {
    const auto count = static_cast<std::int64_t>(d.digits.size());
    const std::int64_t integerDigits = d.digits.empty() ? 0 : count + d.exponent + shift;
    if (integerDigits > maxDigits) {
        return std::nullopt;
    }
    std::uint64_t magnitude = 0;
    for (std::int64_t j = 0; j < integerDigits; ++j) {
        magnitude = magnitude * 10 + (j < count ? d.digits[j] - '0' : 0);
    }
    return magnitude;
}

// The signed value of a magnitude, or nothing outside `limits`.
std::optional<std::int64_t> signedValue(bool negative, std::uint64_t magnitude,
                                        IntegerLimits limits) {
    constexpr std::uint64_t int64Max = INT64_MAX;
    std::int64_t value = 0;
    if (!negative) {
        if (magnitude > int64Max) {
            return std::nullopt;
        }
        value = static_cast<std::int64_t>(magnitude);
    } else {
        if (magnitude > int64Max + 1) {
            return std::nullopt;
        }
        value = magnitude == int64Max + 1 ? INT64_MIN : -static_cast<std::int64_t>(magnitude);
    }
    if (!limits.contains(value)) {
        return std::nullopt;
    }
    return value;
}

void appendAscii(std::u16string& out, std::string_view ascii) {
    out.append(ascii.begin(), ascii.end());
}

}  // namespace

std::u16string formatFixedPoint(std::int32_t value, std::u16string_view decimalSeparator) {
    const std::int64_t wide = value;
    const auto magnitude = static_cast<std::uint64_t>(wide < 0 ? -wide : wide);
    std::string fraction = std::to_string(magnitude % 10000);
    fraction.insert(0, 4 - fraction.size(), '0');
    std::u16string out;
    if (value < 0) {
        out.push_back(u'-');
    }
    appendAscii(out, std::to_string(magnitude / 10000));
    out.append(decimalSeparator);
    appendAscii(out, fraction);
    return out;
}

Parsed<std::int32_t> parseFixedPoint(std::u16string_view text,
                                     std::u16string_view decimalSeparator) {
    const std::optional<Decimal> d = readNumber(text, decimalSeparator, true);
    if (!d) {
        return {0, NumberError::Invalid};
    }
    // Ten digits hold every magnitude up to 2^31; more are out of range.
    const std::optional<std::uint64_t> truncated = integerPart(*d, 4, 10);
    if (!truncated) {
        return {0, NumberError::OutOfRange};
    }
    std::uint64_t magnitude = *truncated;
    // The first dropped digit decides; the digits have no trailing zeros, so
    // any digit after it makes the rest non-zero.
    const auto count = static_cast<std::int64_t>(d->digits.size());
    const std::int64_t firstDropped = count + d->exponent + 4;
    if (!d->digits.empty() && firstDropped >= 0 && firstDropped < count) {
        const char dropped = d->digits[firstDropped];
        const bool moreAfter = firstDropped + 1 < count;
        if (dropped > '5' || (dropped == '5' && (moreAfter || magnitude % 2 == 1))) {
            ++magnitude;
        }
    }
    const std::optional<std::int64_t> value =
        signedValue(d->negative, magnitude, IntegerLimits{INT32_MIN, INT32_MAX});
    if (!value) {
        return {0, NumberError::OutOfRange};
    }
    return {static_cast<std::int32_t>(*value)};
}

Parsed<double> parseDouble(std::u16string_view text, std::u16string_view decimalSeparator) {
    const std::optional<Decimal> d = readNumber(text, decimalSeparator, true);
    if (!d) {
        return {0, NumberError::Invalid};
    }
    const double zero = d->negative ? -0.0 : 0.0;
    if (d->digits.empty()) {
        return {zero};
    }
    // The value lies in [10^(magnitude - 1), 10^magnitude); doubles end near
    // 10^309 and 10^-324.
    const std::int64_t magnitude = static_cast<std::int64_t>(d->digits.size()) + d->exponent;
    if (magnitude > 310) {
        return {0, NumberError::OutOfRange};
    }
    if (magnitude < -330) {
        return {zero};
    }
    const std::string ascii =
        (d->negative ? "-" : "") + d->digits + "e" + std::to_string(d->exponent);
    double value = 0;
    const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        if (magnitude > 0) {
            return {0, NumberError::OutOfRange};
        }
        return {zero};
    }
    return {value};
}

std::u16string formatGeneral(double value, std::u16string_view decimalSeparator) {
    if (std::isnan(value)) {
        return u"NAN";
    }
    if (std::isinf(value)) {
        return value < 0 ? u"-INF" : u"INF";
    }
    if (value == 0) {
        return u"0";
    }
    // "d.dddddddddddddde±x": the value rounded to 15 significant digits.
    char buffer[40];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                       std::chars_format::scientific, 14);
    const std::string_view scientific(buffer, static_cast<std::size_t>(written.ptr - buffer));
    const std::size_t e = scientific.find('e');
    std::string digits;
    std::copy_if(scientific.begin(), scientific.begin() + e, std::back_inserter(digits),
                 [](char c) { return c != '.'; });
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }
    std::string_view exponentText = scientific.substr(e + 1);
    if (exponentText.front() == '+') {
        exponentText.remove_prefix(1);
    }
    int exponent = 0;
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);

    std::u16string out;
    if (value < 0) {
        out.push_back(u'-');
    }
    const auto count = static_cast<int>(digits.size());
    if (exponent < -4 || exponent >= 15) {
        appendAscii(out, digits.substr(0, 1));
        if (count > 1) {
            out.append(decimalSeparator);
            appendAscii(out, std::string_view(digits).substr(1));
        }
        out.push_back(u'E');
        appendAscii(out, std::to_string(exponent));
    } else if (exponent < 0) {
        out.push_back(u'0');
        out.append(decimalSeparator);
        out.append(static_cast<std::size_t>(-exponent - 1), u'0');
        appendAscii(out, digits);
    } else if (count <= exponent + 1) {
        appendAscii(out, digits);
        out.append(static_cast<std::size_t>(exponent + 1 - count), u'0');
    } else {
        appendAscii(out, std::string_view(digits).substr(0, exponent + 1));
        out.append(decimalSeparator);
        appendAscii(out, std::string_view(digits).substr(exponent + 1));
    }
    return out;
}

Parsed<std::int64_t> parseInteger(std::u16string_view text) {
    Parsed<std::int64_t> parsed = parseInteger(text, Int32Limits);
    if (parsed.error == NumberError::OutOfRange) {
        parsed.error = NumberError::Invalid;
    }
    return parsed;
}

Parsed<std::int64_t> parseInteger(std::u16string_view text, IntegerLimits limits) {
    const std::optional<Decimal> d = readNumber(text, {}, false);
    if (!d) {
        return {0, NumberError::Invalid};
    }
    // Nineteen digits still fit in 64 bits unsigned; longer is beyond any limit.
    const std::optional<std::uint64_t> magnitude = integerPart(*d, 0, 19);
    const std::optional<std::int64_t> value =
        magnitude ? signedValue(d->negative, *magnitude, limits) : std::nullopt;
    if (!value) {
        return {0, NumberError::OutOfRange};
    }
    return {*value};
}

}  // namespace protocol
