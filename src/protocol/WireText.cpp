#include "protocol/WireText.h"

#include <algorithm>

namespace protocol {

static bool isHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

static bool isLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

WireTextResult WireText::fromUtf16(std::u16string_view text) {
    WireText wire;
    wire.bytes_.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == 0 || c > 0xFF) {
            char32_t code = c;
            if (isHighSurrogate(c) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
                code = 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) +
                       (static_cast<char32_t>(text[i + 1]) - 0xDC00);
            }
            return {std::nullopt, code};
        }
        wire.bytes_.push_back(static_cast<std::uint8_t>(c));
    }
    return {std::move(wire), 0};
}

void WireText::writeTo(std::span<std::uint8_t> field) const {
    const std::size_t count = std::min(field.size(), bytes_.size());
    std::copy_n(bytes_.begin(), count, field.begin());
    std::fill(field.begin() + static_cast<std::ptrdiff_t>(count), field.end(), std::uint8_t{0});
}

std::u16string decodeWireText(std::span<const std::uint8_t> field) {
    const auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
    return std::u16string(field.begin(), end);
}

}  // namespace protocol
