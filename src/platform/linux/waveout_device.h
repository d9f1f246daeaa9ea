// The record behind an HWAVEOUT, shared by the SDL device and the test device.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/win32.h"

namespace waveout {

struct Device {
    HWAVEOUT handle = nullptr;
    HWND window = nullptr; // CALLBACK_WINDOW target; null for CALLBACK_NULL
    WAVEFORMATEX format = {};
    bool testDevice = false;
    uint32_t sdlDevice = 0; // SDL_AudioDeviceID; 0 for a test device
    bool started = false;   // the SDL device is unpaused at the first write
    unsigned char silence = 0;

    // The queue is a list threaded through the headers' lpNext, so queueing allocates
    // nothing. Guarded by `mutex`, which SDL's callback thread takes as well.
    std::mutex mutex;
    WAVEHDR* head = nullptr;
    WAVEHDR* tail = nullptr;
    DWORD headOffset = 0; // bytes of `head` already played
};

using DeviceRef = std::shared_ptr<Device>;

// Marks the head as done, takes it off the queue and posts its MM_WOM_DONE.
// Called with device->mutex held, so completions are posted in queue order.
void CompleteHead(Device* device);

// The open test device, if any (the newest one).
DeviceRef OpenTestDevice();
bool UseTestDevice();
void NoteTestDeviceOpened(const DeviceRef& device);
// Records the bytes of a test buffer that played to its end.
void RecordTestPlayed(const WAVEHDR* header);

} // namespace waveout
