// Internal: UTF-8 aware cutting for the platform layer's bounded copies and formats.
// The program's 8-bit texts are UTF-8, so a cut that lands inside a multi-byte
// character backs off to the end of the last complete one.
#pragma once

#include <cstddef>

// The number of bytes of `text` (NUL-terminated) to keep so that at most `maxBytes`
// bytes are kept and no character is split. Equals strlen(text) when that fits.
size_t Utf8SafeCut(const char* text, size_t maxBytes);
