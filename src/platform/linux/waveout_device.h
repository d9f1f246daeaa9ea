// The record behind an HWAVEOUT and the small interface a wave-out backend implements.
// The calls (waveout_sdl.cpp) keep the queue and make the completions; a backend only
// opens, starts and closes its device.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/win32.h"

namespace waveout {

struct Device;
using DeviceRef = std::shared_ptr<Device>;

struct Backend {
    // Opens the device for device->format (MMSYSERR_NODRIVER, WAVERR_BADFORMAT, ...).
    MMRESULT (*open)(const DeviceRef& device);
    // Starts playing, at the first write; called without device->mutex.
    void (*start)(Device* device);
    // Stops for good; no completion comes from the backend afterwards.
    void (*close)(Device* device);
    // The bytes played since the open or the last reset; called with device->mutex held.
    uint64_t (*position)(const Device* device);
};

// SDL 2 audio (linux/sdl).
extern const Backend kSdlBackend;
#ifdef SALVORIN_SEAMS
// The testing library's device, when a test chose it (WaveOutUseTestDevice); else null.
const Backend* ChosenTestBackend();
#endif

struct Device {
    HWAVEOUT handle = nullptr;
    HWND window = nullptr; // CALLBACK_WINDOW target; null for CALLBACK_NULL
    WAVEFORMATEX format = {};
    const Backend* backend = nullptr;
    uint32_t sdlDevice = 0; // SDL_AudioDeviceID; 0 for a test device
    bool started = false;   // the SDL device is unpaused at the first write
    unsigned char silence = 0;

    // The queue is a list threaded through the headers' lpNext, so queueing allocates
    // nothing. Guarded by `mutex`, which SDL's callback thread takes as well. The headers
    // before `playing` have been handed to the device whole but are not done yet: a
    // header is played only once the device has asked for the period after its last byte.
    std::mutex mutex;
    WAVEHDR* head = nullptr;
    WAVEHDR* tail = nullptr;
    WAVEHDR* playing = nullptr; // the first header not yet handed over whole; null if none
    DWORD playingOffset = 0;    // bytes of `playing` already handed over
    // Since the open or the last reset: bytes handed to the device, and of those the bytes
    // of periods the device has asked past, which it has played by the rule above.
    uint64_t handedOver = 0;
    uint64_t played = 0;
};

// What a device has played by the rule above (the SDL backend's position).
uint64_t PlayedBytes(const Device* device);

// Marks the head as done, takes it off the queue and posts its MM_WOM_DONE; a reset may
// complete it before it was handed over whole. Called with device->mutex held, so
// completions are posted in queue order.
void CompleteHead(Device* device);

// Fills one period the device asks for from the queue, silence after its end; first it
// completes the headers that the periods before took whole. SDL's callback; takes the
// device's mutex.
void FeedPeriod(Device* device, unsigned char* stream, DWORD wanted);

} // namespace waveout
