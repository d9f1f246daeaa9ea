// Reads a window of little-endian PCM as the recorder wrote it: 8-bit samples unsigned,
// 16-bit ones signed, the channels of a frame side by side.
#pragma once

#include <cstdint>

#include "core/data_windows.h"

struct PcmFrames {
    const unsigned char* bytes;
    uint32_t frames; // whole frames only: a cut frame at the end is not read
    int bits;        // 8 or 16
    int channels;

    // The sample centred on 0: -128..127 at 8 bits, -32768..32767 at 16.
    int Sample(uint32_t frame, int channel) const
    {
        const unsigned char* at =
            bytes + (static_cast<uint64_t>(frame) * channels + channel) * (bits / 8);
        if (bits == 8) {
            return at[0] - 128;
        }
        return static_cast<int16_t>(static_cast<uint16_t>(at[0] | at[1] << 8));
    }
    // The same on the 16-bit scale whatever the width: an 8-bit sample times 256.
    int16_t Wide(uint32_t frame, int channel) const
    {
        const int sample = Sample(frame, channel);
        return static_cast<int16_t>(bits == 8 ? sample * 256 : sample);
    }
};

inline PcmFrames FramesOf(const DataWindow& window, int bits, int channels)
{
    const uint32_t frameBytes = static_cast<uint32_t>(bits / 8 * channels);
    return PcmFrames{window.bytes, window.size / frameBytes, bits, channels};
}
