#pragma once

#include <string>
#include <string_view>

// Conversions between the system's UTF-16 text and the UTF-8 text the HID
// layer passes around. Ill-formed input becomes U+FFFD.
std::string toUtf8(std::wstring_view text);
std::wstring toWide(std::string_view text);

// The text of a zero-terminated UTF-16 buffer of `length` characters, up to
// its first zero or the end of the buffer.
std::wstring_view untilZero(const wchar_t* text, std::size_t length);
