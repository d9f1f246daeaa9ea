// Strings and formatting: the Win32 string calls over UTF-8 text.
#include <locale.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwctype>

#include "platform/common/bounded_text.h"
#include "platform/linux/posix/utf8.h"
#include "platform/linux/seam_points.h"
#include "platform/win32.h"

size_t Utf8SafeCut(const char* text, size_t maxBytes)
{
    const size_t length = strnlen(text, maxBytes);
    if (length < maxBytes || text[maxBytes] == '\0') {
        return length;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    // The byte after the cut tells whether the cut falls inside a character.
    if (!Utf8IsContinuation(bytes[maxBytes])) {
        return maxBytes;
    }
    return Utf8TrimPartial(text, maxBytes);
}

LPSTR lstrcpynA(LPSTR destination, LPCSTR source, int count)
{
    DWORD code = 0;
    if (FaultShouldFail("lstrcpynA", &code)) {
        if (destination != nullptr && count > 0) {
            destination[0] = '\0';
        }
        SetLastError(code);
        return nullptr;
    }
    if (destination == nullptr || source == nullptr || count < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (count == 0) {
        return destination;
    }
    const size_t keep = Utf8SafeCut(source, static_cast<size_t>(count) - 1);
    memmove(destination, source, keep);
    destination[keep] = '\0';
    return destination;
}

namespace {

// The next character of a UTF-8 text as a code point, stepping past it. A byte that starts no
// well-formed character stands for itself, above every code point, so it folds to nothing.
uint32_t NextCodePoint(const unsigned char** text)
{
    const unsigned char* at = *text;
    const size_t length = Utf8SequenceLength(at[0]);
    uint32_t point = at[0];
    if (length > 1) {
        point &= 0x3Fu >> (length - 1);
        for (size_t i = 1; i < length; ++i) {
            if ((at[i] & 0xC0) != 0x80) {
                *text = at + 1;
                return 0x110000u + at[0];
            }
            point = (point << 6) | (at[i] & 0x3Fu);
        }
    } else if (point >= 0x80) {
        *text = at + 1;
        return 0x110000u + at[0];
    }
    *text = at + length;
    return point;
}

// Lower case by Unicode's own mapping, whatever the process locale is.
uint32_t Folded(uint32_t point)
{
    static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    if (point >= 0x110000u) {
        return point;
    }
    if (unicode == static_cast<locale_t>(0)) {
        return point >= 'A' && point <= 'Z' ? point - 'A' + 'a' : point;
    }
    return static_cast<uint32_t>(towlower_l(static_cast<wint_t>(point), unicode));
}

} // namespace

// Case is folded character by character, as the system folds it for every letter, not only
// ASCII's (the program compares names and extensions with it); the process locale plays no part.
int lstrcmpiA(LPCSTR a, LPCSTR b)
{
    if (a == nullptr || b == nullptr) {
        return a == b ? 0 : (a == nullptr ? -1 : 1);
    }
    const auto* left = reinterpret_cast<const unsigned char*>(a);
    const auto* right = reinterpret_cast<const unsigned char*>(b);
    for (;;) {
        const uint32_t l = Folded(NextCodePoint(&left));
        const uint32_t r = Folded(NextCodePoint(&right));
        if (l != r) {
            return l < r ? -1 : 1;
        }
        if (l == 0) {
            return 0;
        }
    }
}

int FormatTextV(LPSTR buffer, size_t size, LPCSTR format, va_list arguments)
{
    DWORD code = 0;
    if (FaultShouldFail("FormatTextV", &code)) {
        if (buffer != nullptr && size > 0) {
            buffer[0] = '\0';
        }
        SetLastError(code);
        return 0;
    }
    return FormatUtf8Bounded(buffer, size, format, arguments);
}
