#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// UTF-8 text as UTF-16 code units; every malformed sequence becomes U+FFFD.
std::u16string utf8ToUtf16(std::string_view text);

// Copies `text` into a caller's buffer of `bufferBytes` bytes as UTF-16 code
// units, truncated to whole units, zero-terminated when room is left. False
// (with HidErrorInsufficientBuffer) when not even one unit fits.
bool copyUtf16(std::u16string_view text, void* buffer, std::uint32_t bufferBytes);
