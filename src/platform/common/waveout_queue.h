// The wave-out calls on a queue of headers, the record behind their HWAVEOUT and the small
// interface a backend implements. The queue (waveout_queue.cpp) keeps the headers and makes
// the completions; a backend only opens, starts and closes its device, and keeps its
// driver's state behind `driver`. Each flavour puts its fault check in front of the calls:
// the Linux one for every device (linux/waveout.cpp), the Windows testing library for the
// test device, where winmm's devices are the system's.
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

// The sound library's backend (linux/sdl/waveout_sdl.cpp: SDL 2 audio).
extern const Backend kSoundLibraryBackend;
// The backend the next open on Linux uses. Each platform library links one definition: the
// release program's (linux/waveout_backend.cpp) is always the sound library's; the testing
// library's (testing/waveout_backend_choice.cpp) is the test device once a test chose it.
const Backend* ChosenBackend();

// The waveOut* calls of the same names, with their contracts; Open opens on `backend`.
MMRESULT Open(LPHWAVEOUT handle, UINT deviceId, LPCWAVEFORMATEX format, DWORD_PTR callback,
              DWORD flags, const Backend* backend);
MMRESULT PrepareHeader(HWAVEOUT handle, LPWAVEHDR header, UINT size);
MMRESULT Write(HWAVEOUT handle, LPWAVEHDR header, UINT size);
MMRESULT Reset(HWAVEOUT handle);
MMRESULT GetPosition(HWAVEOUT handle, LPMMTIME time, UINT size);
MMRESULT UnprepareHeader(HWAVEOUT handle, LPWAVEHDR header, UINT size);
MMRESULT Close(HWAVEOUT handle);
// True for a handle Open gave that is not closed yet.
bool IsDevice(HWAVEOUT handle);

struct Device {
    HWAVEOUT handle = nullptr;
    HWND window = nullptr; // CALLBACK_WINDOW target; null for CALLBACK_NULL
    WAVEFORMATEX format = {};
    const Backend* backend = nullptr;
    void* driver = nullptr; // the backend's own state, from its open to its close
    bool started = false;   // the backend is started at the first write
    unsigned char silence = 0;

    // The queue is a list threaded through the headers' lpNext, so queueing allocates
    // nothing. Guarded by `mutex`, which the driver's thread takes as well (FeedPeriod). The
    // headers before `playing` have been handed to the device whole but are not done yet: a header
    // is played only once the device has asked for the period after its last byte.
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

// What a device has played by the rule above (the sound library's backend's position).
uint64_t PlayedBytes(const Device* device);

// Marks the head as done, takes it off the queue and posts its MM_WOM_DONE; a reset may
// complete it before it was handed over whole. Called with device->mutex held, so
// completions are posted in queue order.
void CompleteHead(Device* device);

// Fills one period the device asks for from the queue, silence after its end; first it
// completes the headers that the periods before took whole. Called from the driver's
// thread; takes the device's mutex.
void FeedPeriod(Device* device, unsigned char* stream, DWORD wanted);

} // namespace waveout
