// A suggestion of the sample width, the channel count and the sample rate, read from the data
// itself.
#pragma once

#include <cstdint>

#include "core/data_windows.h"

// What told the rate: a narrow line at the mains frequency and its harmonics in the sound.
enum class RateCue : uint8_t { None, Mains50, Mains60 };

// 0 where the data does not tell: no claim. Channels are claimed only with a width, the rate
// only with both.
struct FormatSuggestion {
    uint16_t bits;     // 8, 16 or 0
    uint16_t channels; // 1, 2 or 0
    // Every pair of samples is the same twice: stereo with identical channels, or mono at
    // twice the rate with every sample repeated. The data cannot tell which: channels stay 0.
    bool pairsIdentical = false;
    uint32_t rate = 0; // one of the offered rates, or 0
    RateCue cue = RateCue::None;
};

// Judges the windows on three signals: where each byte position's values gather (16-bit
// little-endian high bytes near 0x00 and 0xFF, 8-bit unsigned samples near 0x80), how little
// the sound moves from one sample to the next read at each width, and whether a sample is
// more like its neighbour at the same instant (the other channel) than the one at the next.
// Near-silence is judged on what a reading at the other width would be. The rate, with the
// width and channels known, from a mains hum (core/mains_hum_rate.h). Pure: it looks only at
// the bytes given.
FormatSuggestion SuggestFormat(const DataWindow* windows, int count);
