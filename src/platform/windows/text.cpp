// The one formatting helper the system lacks: a sized printf whose cut never splits a
// UTF-8 character (the active code page is UTF-8, see salvorin.manifest).
#include <cstdio>

#include "platform/win32.h"

namespace {

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// Bytes in the sequence a lead byte starts; 1 for ASCII and for bytes that cannot lead.
size_t SequenceLength(unsigned char lead)
{
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    return 1;
}

// The length of `text[0, length)` without a trailing, incomplete UTF-8 sequence.
size_t TrimPartial(const char* text, size_t length)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    size_t start = length;
    size_t continuations = 0;
    while (start > 0 && continuations < 4 && IsContinuation(bytes[start - 1])) {
        --start;
        ++continuations;
    }
    if (start == 0 || IsContinuation(bytes[start - 1])) {
        return length;
    }
    const size_t lead = start - 1;
    return SequenceLength(bytes[lead]) > continuations + 1 ? lead : length;
}

} // namespace

int FormatTextV(LPSTR buffer, size_t size, LPCSTR format, va_list arguments)
{
    if (buffer == nullptr || format == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (size == 0) {
        return 0;
    }
    const int full = vsnprintf(buffer, size, format, arguments);
    if (full < 0) {
        buffer[0] = '\0';
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t stored = static_cast<size_t>(full);
    if (stored >= size) {
        stored = TrimPartial(buffer, size - 1);
        buffer[stored] = '\0';
    }
    return static_cast<int>(stored);
}
