#include "hid/platform/linux/Utf16Strings.h"

#include <algorithm>
#include <cstring>

#include "hid/platform/HidPlatform.h"
#include "hid/platform/linux/LinuxErrors.h"

namespace {

constexpr char16_t Replacement = 0xFFFD;

bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

void appendCodePoint(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

}  // namespace

std::u16string utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t cp = 0;
        // The valid range of the second byte narrows for some leads, which
        // rules out overlong forms, surrogates and values past U+10FFFF.
        unsigned char secondMin = 0x80;
        unsigned char secondMax = 0xBF;
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            cp = lead & 0x0F;
            secondMin = lead == 0xE0 ? 0xA0 : 0x80;
            secondMax = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            cp = lead & 0x07;
            secondMin = lead == 0xF0 ? 0x90 : 0x80;
            secondMax = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            out.push_back(Replacement);
            ++i;
            continue;
        }
        std::size_t used = 1;
        bool valid = true;
        while (used < length) {
            if (i + used >= text.size()) {
                valid = false;
                break;
            }
            const auto c = static_cast<unsigned char>(text[i + used]);
            const bool inRange = used == 1 ? (c >= secondMin && c <= secondMax) : isContinuation(c);
            if (!inRange) {
                valid = false;
                break;
            }
            cp = (cp << 6) | (c & 0x3F);
            ++used;
        }
        if (valid) {
            appendCodePoint(out, cp);
        } else {
            out.push_back(Replacement);
        }
        i += used;
    }
    return out;
}

bool copyUtf16(std::u16string_view text, void* buffer, std::uint32_t bufferBytes) {
    const std::size_t units = bufferBytes / sizeof(char16_t);
    if (buffer == nullptr || units == 0) {
        setLastErrorCode(HidErrorInsufficientBuffer);
        return false;
    }
    const std::size_t copied = std::min(units, text.size());
    std::memcpy(buffer, text.data(), copied * sizeof(char16_t));
    if (copied < units) {
        const char16_t zero = 0;
        std::memcpy(static_cast<char*>(buffer) + copied * sizeof(char16_t), &zero, sizeof zero);
    }
    return true;
}
