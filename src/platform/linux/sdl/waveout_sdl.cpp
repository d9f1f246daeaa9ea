// Wave-out audio on SDL 2 in callback mode. SDL's thread pulls bytes from the queue of
// headers under the device's mutex; each header that has been played, or is returned by a
// reset, comes back to the program only as a posted MM_WOM_DONE.
#include <SDL.h>
#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "platform/linux/system_messages.h"
#include "platform/linux/seam_points.h"
#include "platform/linux/waveout_device.h"
#include "platform/win32.h"

namespace waveout {
namespace {

constexpr uint32_t MinimumRate = 8000;
constexpr uint32_t MaximumRate = 99999;

std::mutex g_registryMutex;
std::map<HWAVEOUT, DeviceRef>* g_devices = nullptr; // guarded; never destroyed
uintptr_t g_nextHandle = 0x57A0000;                 // handles never repeat

std::mutex g_sdlMutex;
bool g_sdlReady = false; // guarded by g_sdlMutex

DeviceRef Lookup(HWAVEOUT handle)
{
    std::lock_guard<std::mutex> lock(g_registryMutex);
    if (g_devices == nullptr) {
        return nullptr;
    }
    auto found = g_devices->find(handle);
    return found == g_devices->end() ? nullptr : found->second;
}

HWAVEOUT Register(const DeviceRef& device)
{
    std::lock_guard<std::mutex> lock(g_registryMutex);
    if (g_devices == nullptr) {
        g_devices = new std::map<HWAVEOUT, DeviceRef>;
    }
    HWAVEOUT handle = reinterpret_cast<HWAVEOUT>(g_nextHandle++);
    device->handle = handle;
    (*g_devices)[handle] = device;
    return handle;
}

void Unregister(HWAVEOUT handle)
{
    std::lock_guard<std::mutex> lock(g_registryMutex);
    if (g_devices != nullptr) {
        g_devices->erase(handle);
    }
}

bool FormatPlayable(const WAVEFORMATEX* format)
{
    if (format->wFormatTag != WAVE_FORMAT_PCM) {
        return false;
    }
    if (format->nChannels != 1 && format->nChannels != 2) {
        return false;
    }
    if (format->wBitsPerSample != 8 && format->wBitsPerSample != 16) {
        return false;
    }
    if (format->nSamplesPerSec < MinimumRate || format->nSamplesPerSec > MaximumRate) {
        return false;
    }
    const uint32_t align = format->nChannels * format->wBitsPerSample / 8u;
    return format->nBlockAlign == align &&
           format->nAvgBytesPerSec == format->nSamplesPerSec * align;
}

// SDL and the sound libraries below it report on stderr, where a user would see it; what
// matters reaches the program as an MMRESULT instead.
void QuietSdlLog(void*, int, SDL_LogPriority, const char*) {}

void QuietAlsaError(const char*, int, const char*, int, const char*, ...) {}

void QuietAlsa()
{
    // SDL loads the same library by this name; it stays loaded for the process.
    void* library = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        return; // no ALSA, nothing to quieten
    }
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    auto set = reinterpret_cast<SetHandler>(dlsym(library, "snd_lib_error_set_handler"));
    if (set != nullptr) {
        set(QuietAlsaError);
    }
}

MMRESULT EnsureSdlAudio()
{
    std::lock_guard<std::mutex> lock(g_sdlMutex);
    if (g_sdlReady) {
        return MMSYSERR_NOERROR;
    }
    SDL_LogSetOutputFunction(QuietSdlLog, nullptr);
    QuietAlsa();
    // SDL would take SIGINT and SIGTERM for a quit event nobody reads; the platform has its
    // own handlers for them (qt_session_end.cpp).
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        // No driver could start: no sound card and no audio server.
        return MMSYSERR_NODRIVER;
    }
    g_sdlReady = true;
    return MMSYSERR_NOERROR;
}

MMRESULT OpenFailure()
{
    const char* reason = SDL_GetError();
    if (SDL_GetNumAudioDevices(0) <= 0) {
        return MMSYSERR_NODRIVER;
    }
    if (reason != nullptr &&
        (strstr(reason, "busy") != nullptr || strstr(reason, "Busy") != nullptr)) {
        return MMSYSERR_ALLOCATED;
    }
    if (reason != nullptr && strstr(reason, "ormat") != nullptr) {
        return WAVERR_BADFORMAT;
    }
    return MMSYSERR_NOTENABLED;
}

// SDL pulls about 40 ms at a time: a reset is heard within that, and the thread wakes
// only some 25 times a second.
uint16_t FramesPerCallback(uint32_t rate)
{
    uint16_t frames = 128;
    while (frames < 8192 && frames * 2u <= rate / 20u) {
        frames = static_cast<uint16_t>(frames * 2u);
    }
    return frames;
}

void AudioCallback(void* user, Uint8* stream, int length)
{
    FeedPeriod(static_cast<Device*>(user), stream, static_cast<DWORD>(length));
}

MMRESULT OpenSdlDevice(const DeviceRef& shared)
{
    Device* device = shared.get();
    const MMRESULT ready = EnsureSdlAudio();
    if (ready != MMSYSERR_NOERROR) {
        return ready;
    }
    SDL_AudioSpec wanted;
    SDL_zero(wanted);
    wanted.freq = static_cast<int>(device->format.nSamplesPerSec);
    wanted.format = device->format.wBitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    wanted.channels = static_cast<Uint8>(device->format.nChannels);
    wanted.samples = FramesPerCallback(device->format.nSamplesPerSec);
    wanted.callback = AudioCallback;
    wanted.userdata = device;
    SDL_AudioSpec obtained;
    // No changes allowed: SDL converts our format to whatever the hardware takes.
    const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (id == 0) {
        return OpenFailure();
    }
    device->sdlDevice = id;
    return MMSYSERR_NOERROR;
}

bool HeaderArgumentsValid(LPWAVEHDR header, UINT size)
{
    return header != nullptr && size >= sizeof(WAVEHDR);
}

bool IsQueued(const Device* device, const WAVEHDR* header)
{
    for (const WAVEHDR* entry = device->head; entry != nullptr; entry = entry->lpNext) {
        if (entry == header) {
            return true;
        }
    }
    return false;
}

void StartSdlDevice(Device* device)
{
    SDL_PauseAudioDevice(device->sdlDevice, 0);
}

// Waits for a running callback; none is called afterwards.
void CloseSdlDevice(Device* device)
{
    SDL_CloseAudioDevice(device->sdlDevice);
}

} // namespace

uint64_t PlayedBytes(const Device* device)
{
    return device->played;
}

const Backend kSdlBackend = {OpenSdlDevice, StartSdlDevice, CloseSdlDevice, PlayedBytes};

void FeedPeriod(Device* device, unsigned char* stream, DWORD wanted)
{
    DWORD filled = 0;
    std::lock_guard<std::mutex> lock(device->mutex);
    // SDL asks for this period only after it has given the last one to the sound server
    // and the server has made room: what that period held has been played. Reporting a
    // header done when its last byte was copied instead let the program close the device
    // while the server still had the end of the sound to play.
    while (device->head != nullptr && device->head != device->playing) {
        CompleteHead(device);
    }
    device->played = device->handedOver;
    while (filled < wanted && device->playing != nullptr) {
        WAVEHDR* header = device->playing;
        const DWORD left = header->dwBufferLength - device->playingOffset;
        const DWORD take = std::min(left, wanted - filled);
        if (take > 0) {
            memcpy(stream + filled, header->lpData + device->playingOffset, take);
        }
        filled += take;
        device->handedOver += take;
        device->playingOffset += take;
        if (device->playingOffset == header->dwBufferLength) {
            device->playing = header->lpNext;
            device->playingOffset = 0;
        }
    }
    if (filled < wanted) {
        memset(stream + filled, device->silence, wanted - filled);
    }
}

void CompleteHead(Device* device)
{
    WAVEHDR* header = device->head;
    device->head = header->lpNext;
    if (device->head == nullptr) {
        device->tail = nullptr;
    }
    if (device->playing == header) {
        device->playing = header->lpNext;
        device->playingOffset = 0;
    }
    header->lpNext = nullptr;
    header->dwFlags = (header->dwFlags & ~static_cast<DWORD>(WHDR_INQUEUE)) | WHDR_DONE;
    if (device->window != nullptr) {
        PostSystemMessage(device->window, MM_WOM_DONE, reinterpret_cast<WPARAM>(device->handle),
                     reinterpret_cast<LPARAM>(header));
    }
}

} // namespace waveout

using waveout::Device;
using waveout::DeviceRef;

MMRESULT waveOutOpen(LPHWAVEOUT handle, UINT deviceId, LPCWAVEFORMATEX format, DWORD_PTR callback,
                     DWORD_PTR instance, DWORD flags)
{
    (void)instance;
    DWORD code = 0;
    if (FaultShouldFail("waveOutOpen", &code)) {
        if (handle != nullptr) {
            *handle = nullptr;
        }
        return static_cast<MMRESULT>(code);
    }
    const bool query = (flags & WAVE_FORMAT_QUERY) != 0;
    if ((handle == nullptr && !query) || format == nullptr) {
        return MMSYSERR_INVALPARAM;
    }
    if (handle != nullptr) {
        *handle = nullptr;
    }
    if (deviceId != WAVE_MAPPER && deviceId != 0) {
        return MMSYSERR_BADDEVICEID;
    }
    const DWORD callbackType = flags & CALLBACK_TYPEMASK;
    if ((flags & ~(CALLBACK_TYPEMASK | WAVE_FORMAT_QUERY)) != 0 ||
        (callbackType != CALLBACK_WINDOW && callbackType != CALLBACK_NULL)) {
        return MMSYSERR_INVALFLAG;
    }
    if (!waveout::FormatPlayable(format)) {
        return WAVERR_BADFORMAT;
    }
    if (query) {
        return MMSYSERR_NOERROR;
    }
    HWND window = reinterpret_cast<HWND>(callback);
    if (callbackType == CALLBACK_WINDOW && !IsWindow(window)) {
        return MMSYSERR_INVALPARAM;
    }

    auto device = std::make_shared<Device>();
    device->window = callbackType == CALLBACK_WINDOW ? window : nullptr;
    device->format = *format;
    device->silence = format->wBitsPerSample == 8 ? 0x80 : 0x00;
    device->backend = &waveout::kSdlBackend;
#ifdef SALVORIN_SEAMS
    if (const waveout::Backend* test = waveout::ChosenTestBackend()) {
        device->backend = test;
    }
#endif
    const MMRESULT opened = device->backend->open(device);
    if (opened != MMSYSERR_NOERROR) {
        return opened;
    }
    *handle = waveout::Register(device);
    return MMSYSERR_NOERROR;
}

namespace {

// What every call on an open device does first: the injected failure, then the handle.
MMRESULT FindDevice(const char* call, HWAVEOUT handle, DeviceRef* device)
{
    DWORD code = 0;
    if (FaultShouldFail(call, &code)) {
        return static_cast<MMRESULT>(code);
    }
    *device = waveout::Lookup(handle);
    return *device ? MMSYSERR_NOERROR : MMSYSERR_INVALHANDLE;
}

} // namespace

MMRESULT waveOutPrepareHeader(HWAVEOUT handle, LPWAVEHDR header, UINT size)
{
    DeviceRef device;
    if (const MMRESULT failed = FindDevice("waveOutPrepareHeader", handle, &device)) {
        return failed;
    }
    if (!waveout::HeaderArgumentsValid(header, size) || header->lpData == nullptr) {
        return MMSYSERR_INVALPARAM;
    }
    std::lock_guard<std::mutex> lock(device->mutex);
    if ((header->dwFlags & WHDR_INQUEUE) != 0) {
        return WAVERR_STILLPLAYING;
    }
    header->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutWrite(HWAVEOUT handle, LPWAVEHDR header, UINT size)
{
    DeviceRef device;
    if (const MMRESULT failed = FindDevice("waveOutWrite", handle, &device)) {
        return failed;
    }
    if (!waveout::HeaderArgumentsValid(header, size)) {
        return MMSYSERR_INVALPARAM;
    }
    {
        std::lock_guard<std::mutex> lock(device->mutex);
        if ((header->dwFlags & WHDR_PREPARED) == 0) {
            return WAVERR_UNPREPARED;
        }
        if ((header->dwFlags & WHDR_INQUEUE) != 0 || waveout::IsQueued(device.get(), header)) {
            return WAVERR_STILLPLAYING;
        }
        header->dwFlags = (header->dwFlags & ~static_cast<DWORD>(WHDR_DONE)) | WHDR_INQUEUE;
        header->lpNext = nullptr;
        if (device->tail == nullptr) {
            device->head = header;
        } else {
            device->tail->lpNext = header;
        }
        device->tail = header;
        if (device->playing == nullptr) {
            device->playing = header;
        }
    }
    // Unpaused outside our mutex: SDL holds its own lock around the callback, which takes ours.
    if (!device->started) {
        device->started = true;
        device->backend->start(device.get());
    }
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutReset(HWAVEOUT handle)
{
    DeviceRef device;
    if (const MMRESULT failed = FindDevice("waveOutReset", handle, &device)) {
        return failed;
    }
    std::lock_guard<std::mutex> lock(device->mutex);
    while (device->head != nullptr) {
        waveout::CompleteHead(device.get());
    }
    device->handedOver = 0;
    device->played = 0;
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutGetPosition(HWAVEOUT handle, LPMMTIME time, UINT size)
{
    DeviceRef device;
    if (const MMRESULT failed = FindDevice("waveOutGetPosition", handle, &device)) {
        return failed;
    }
    if (time == nullptr || size < sizeof(MMTIME)) {
        return MMSYSERR_INVALPARAM;
    }
    std::lock_guard<std::mutex> lock(device->mutex);
    const uint64_t bytes = device->backend->position(device.get());
    if (time->wType == TIME_SAMPLES) {
        time->u.sample = static_cast<DWORD>(bytes / device->format.nBlockAlign);
        return MMSYSERR_NOERROR;
    }
    time->wType = TIME_BYTES;
    time->u.cb = static_cast<DWORD>(bytes);
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutUnprepareHeader(HWAVEOUT handle, LPWAVEHDR header, UINT size)
{
    DeviceRef device;
    if (const MMRESULT failed = FindDevice("waveOutUnprepareHeader", handle, &device)) {
        return failed;
    }
    if (!waveout::HeaderArgumentsValid(header, size)) {
        return MMSYSERR_INVALPARAM;
    }
    std::lock_guard<std::mutex> lock(device->mutex);
    if ((header->dwFlags & WHDR_INQUEUE) != 0) {
        return WAVERR_STILLPLAYING;
    }
    header->dwFlags &= ~static_cast<DWORD>(WHDR_PREPARED);
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutClose(HWAVEOUT handle)
{
    DeviceRef device;
    if (const MMRESULT failed = FindDevice("waveOutClose", handle, &device)) {
        return failed;
    }
    {
        std::lock_guard<std::mutex> lock(device->mutex);
        if (device->head != nullptr) {
            return WAVERR_STILLPLAYING;
        }
    }
    waveout::Unregister(handle);
    device->backend->close(device.get());
    return MMSYSERR_NOERROR;
}
