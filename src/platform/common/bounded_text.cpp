#include "platform/common/bounded_text.h"

#include <cstdio>

size_t Utf8SequenceLength(unsigned char lead)
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

bool Utf8IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

size_t Utf8TrimPartial(const char* text, size_t length)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    size_t start = length;
    size_t continuations = 0;
    while (start > 0 && continuations < 4 && Utf8IsContinuation(bytes[start - 1])) {
        --start;
        ++continuations;
    }
    if (start == 0 || Utf8IsContinuation(bytes[start - 1])) {
        return length;
    }
    const size_t lead = start - 1;
    return Utf8SequenceLength(bytes[lead]) > continuations + 1 ? lead : length;
}

int FormatUtf8Bounded(LPSTR buffer, size_t size, LPCSTR format, va_list arguments)
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
        // vsnprintf cut at size-1 bytes wherever that fell.
        stored = Utf8TrimPartial(buffer, size - 1);
        buffer[stored] = '\0';
    }
    return static_cast<int>(stored);
}
