#pragma once

// Texts travel one byte per character: a character U+0001 to U+00FF is sent
// as the byte of its code, and a received byte b becomes U+00bb; no code page
// is applied. A text field has a fixed place and size in a report and ends at
// its first zero byte or fills the field.
//
// A character the unit cannot store is refused instead of being sent as the
// low byte of its code, which would put another character (or, for U+0100, a
// premature end) into the unit: every character above U+00FF, and U+0000,
// which would end the text early.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace protocol {

struct WireTextResult;

// A text that the unit can store, as its bytes. Longer than a field, it is
// cut to the field's size when written there; callers compare size() with the
// field's length to tell the user.
class WireText {
public:
    WireText() = default;

    // `text` in UTF-16 code units, as the toolkit holds it.
    static WireTextResult fromUtf16(std::u16string_view text);

    std::size_t size() const { return bytes_.size(); }

    // Copies the first field.size() bytes of the text into `field` and fills
    // the rest of the field with zeros.
    void writeTo(std::span<std::uint8_t> field) const;

private:
    std::vector<std::uint8_t> bytes_;
};

struct WireTextResult {
    // Set when every character of the text can be sent.
    std::optional<WireText> text;
    // Otherwise the first character that cannot, as a code point (a
    // surrogate pair counts as the one character it encodes).
    char32_t unsupported = 0;
};

// The text of a field: up to its first zero byte, or all of it.
std::u16string decodeWireText(std::span<const std::uint8_t> field);

}  // namespace protocol
