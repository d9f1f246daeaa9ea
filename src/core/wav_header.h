// The 44-byte canonical RIFF/WAVE header that turns the raw data into a playable file, and
// the 80-byte RF64 header that does the same for data past 4 GiB.
#pragma once

#include <cstdint>

constexpr int WavHeaderSize = 44;

struct WavHeader {
    unsigned char bytes[WavHeaderSize];
};

// Fills the header from the current format and the open file's effective length, as they
// are at the moment of the call. A file must be open (effective length at least 48).
WavHeader* BuildWavHeader(WavHeader* destination);

// RF64: "RF64" and "data" carry 0xFFFFFFFF as their sizes, and a "ds64" chunk before "fmt "
// the real 64-bit ones (RIFF size, data size, frame count; no table).
constexpr int Rf64HeaderSize = 80;

struct Rf64Header {
    unsigned char bytes[Rf64HeaderSize];
};

// Fills the header for the open file's whole length (nothing cut) in the current format.
Rf64Header* BuildRf64Header(Rf64Header* destination);
