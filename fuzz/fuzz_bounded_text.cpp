// Bounded copies and formats fill fixed buffers (error texts, window titles, the size and
// duration texts) from paths and messages of any length: they must never write past the
// buffer, always terminate, keep a leading part of the full text, and never split a UTF-8
// character.
#include <cinttypes>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/error_info.h"
#include "core/source_file.h"

namespace {

void Check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

// Strict UTF-8 (no overlongs, no surrogates, nothing past U+10FFFF).
bool IsValidUtf8(const std::string& text)
{
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        const unsigned char c = s[i];
        size_t extra = 0;
        uint32_t min = 0;
        uint32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            extra = 1, min = 0x80, cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2, min = 0x800, cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3, min = 0x10000, cp = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= n) {
            return false;
        }
        for (size_t k = 1; k <= extra; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        i += extra + 1;
    }
    return true;
}

// What every bounded result must be, given the untruncated text.
void CheckBounded(const char* result, int stored, size_t size, const std::string& full)
{
    const size_t length = strnlen(result, size);
    Check(length < size);
    Check(stored >= 0 && static_cast<size_t>(stored) == length);
    Check(std::memcmp(result, full.data(), length) == 0);
    if (full.size() < size) {
        Check(length == full.size());
    } else if (IsValidUtf8(full)) {
        // Cut to fit: backed off by at most a character's continuation bytes, never splitting it.
        Check(length + 4 > size - 1);
        Check(IsValidUtf8(std::string(result, length)));
    }
}

uint32_t Take32(const uint8_t*& data, size_t& size)
{
    uint32_t value = 0;
    for (int i = 0; i < 4 && size > 0; ++i, ++data, --size) {
        value = (value << 8) | *data;
    }
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 10) {
        return 0;
    }
    const size_t bufferSize = 1 + data[0]; // 1..256, including the common 36, 64, 100, 256
    const uint32_t a = Take32(++data, --size);
    const uint32_t b = Take32(data, size);
    const auto* text = reinterpret_cast<const char*>(data);
    std::string source(text, size);
    source = source.c_str();
    const std::string half = source.substr(0, source.size() / 2);
    const std::string rest = source.substr(source.size() / 2);

    // lstrcpynA with every count up to the buffer.
    {
        std::vector<char> buffer(bufferSize);
        const char* copied = lstrcpynA(buffer.data(), source.c_str(), static_cast<int>(bufferSize));
        Check(copied == buffer.data());
        CheckBounded(buffer.data(), static_cast<int>(strnlen(buffer.data(), bufferSize)),
                     bufferSize, source);
    }
    // The formats the program uses: title, error fallbacks, duration.
    {
        std::vector<char> buffer(bufferSize);
        const int stored =
            FormatBounded(buffer.data(), bufferSize, "%s - %s", half.c_str(), rest.c_str());
        CheckBounded(buffer.data(), stored, bufferSize, half + " - " + rest);
    }
    {
        std::vector<char> buffer(bufferSize);
        const int stored = FormatBounded(buffer.data(), bufferSize, "%s", source.c_str());
        CheckBounded(buffer.data(), stored, bufferSize, source);
    }
    {
        char expected[32];
        std::snprintf(expected, sizeof expected, "Err.0x%08X", a);
        std::vector<char> buffer(bufferSize);
        const int stored = FormatBounded(buffer.data(), bufferSize, "Err.0x%08X", a);
        CheckBounded(buffer.data(), stored, bufferSize, expected);
    }
    // Duration: hours unbounded, minutes and seconds in two digits.
    {
        std::vector<char> buffer(DurationTextSize);
        FormatDuration(a, b, buffer.data(), buffer.size());
        const uint32_t seconds = (a >= HeaderRegionSize && b != 0) ? (a - HeaderRegionSize) / b : 0;
        char expected[64];
        std::snprintf(expected, sizeof expected, "%u:%02u:%02u", seconds / 3600,
                      (seconds % 3600) / 60, seconds % 60);
        Check(std::strcmp(buffer.data(), expected) == 0);
    }
    // Digit grouping into exactly the documented room, for the input's bytes and for a size.
    for (const std::string& digits : {source, std::to_string((uint64_t{a} << 32) | b)}) {
        const size_t n = digits.size();
        std::vector<char> grouped(n == 0 ? 1 : n + (n - 1) / 3 + 1);
        GroupDigits(digits.c_str(), grouped.data());
        const std::string out(grouped.data());
        Check(out.size() + 1 == grouped.size());
        std::string back;
        for (size_t i = 0; i < out.size(); ++i) {
            // Counted from the right, every fourth character is the blank.
            if ((out.size() - i) % 4 == 0) {
                Check(out[i] == ' ');
            } else {
                back += out[i];
            }
        }
        Check(back == digits);
    }
    return 0;
}
