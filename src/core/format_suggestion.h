// A suggestion of the sample width and the channel count, read from the data itself.
#pragma once

#include <cstdint>

#include "core/data_windows.h"

// 0 where the data does not tell: no claim. Channels are claimed only with a width.
struct FormatSuggestion {
    uint16_t bits;     // 8, 16 or 0
    uint16_t channels; // 1, 2 or 0
};

// Judges the windows on three signals: where each byte position's values gather (16-bit
// little-endian high bytes near 0x00 and 0xFF, 8-bit unsigned samples near 0x80), how little
// the sound moves from one sample to the next read at each width, and whether a sample is
// more like its neighbour at the same instant (the other channel) than the one at the next.
// Pure: it looks only at the bytes given.
FormatSuggestion SuggestFormat(const DataWindow* windows, int count);
