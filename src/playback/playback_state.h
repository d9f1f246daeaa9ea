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
    // Bytes written to the device since it was opened or last reset: what its position
    // must reach before the sound has been heard to its end.
    uint64_t writtenBytes;
    // 1 while the natural end waits for the device to play what it holds (see end_wait.cpp).
    uint32_t finishing;
};

extern PlaybackStateRecord PlaybackState;

inline bool IsPlaying()
{
    return PlaybackState.device != nullptr;
}
