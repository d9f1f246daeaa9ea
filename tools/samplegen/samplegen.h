// Makes temporary files like the ones a recorder leaves behind: a 44-byte region reserved
// for a WAV header (left as zeros), then raw PCM of a known tune: a rising arpeggio of
// notes with soft edges, the right channel a fifth above the left, so a wrong rate, width
// or channel count is easy to hear.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SampleSpec {
    uint32_t rate = 44100;
    int bits = 16;    // 8 (unsigned) or 16 (signed little-endian)
    int channels = 2; // 1 or 2
    double seconds = 4.0;
};

constexpr int ReservedHeaderSize = 44;

// The PCM bytes of the tune in the given format (whole frames).
std::vector<unsigned char> MakeTunePcm(const SampleSpec& spec);
// Writes the reserved region and the tune; false with a reason on failure.
bool WriteTemporaryFile(const std::string& path, const SampleSpec& spec, std::string* error);
