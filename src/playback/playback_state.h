// The playback engine's state: the wave-out device, its two buffers and the positions.
// Elsewhere in the program, "playing" means exactly that `device` is not null.
#pragma once

#include <cstdint>

#include "platform/win32.h"

struct PlaybackStateRecord {
    HWAVEOUT device;
    WAVEHDR headers[2];
    uint32_t bufferSize;
    int32_t outstanding;
    uint64_t playedPos; // data offsets: a file past 4 GiB plays whole
    uint64_t readPos;
    uint32_t resetting;
    uint32_t dragging;
    uint32_t seekPending;
    uint32_t formatChangePending;
};

extern PlaybackStateRecord PlaybackState;

inline bool IsPlaying()
{
    return PlaybackState.device != nullptr;
}
