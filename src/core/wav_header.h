// The 44-byte canonical RIFF/WAVE header that turns the raw data into a playable file.
#pragma once

#include <cstdint>

constexpr int WavHeaderSize = 44;

struct WavHeader {
    unsigned char bytes[WavHeaderSize];
};

// Fills the header from the current format and the open file's effective length, as they
// are at the moment of the call. A file must be open (effective length at least 48).
WavHeader* BuildWavHeader(WavHeader* destination);
