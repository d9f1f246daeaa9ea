// The SDL 2 backend of the wave-out calls (common/waveout_queue.h), in callback mode: SDL's
// thread pulls each period from the queue through FeedPeriod. Its device lives behind the
// record's driver pointer; nothing else of the layer knows SDL.
#include <SDL.h>
#include <dlfcn.h>

#include <cstring>
#include <mutex>

#include "platform/common/waveout_queue.h"
#include "platform/win32.h"

namespace waveout {
namespace {

std::mutex g_sdlMutex;
bool g_sdlReady = false; // guarded by g_sdlMutex

// What a Device's driver pointer holds for this backend.
struct SdlDevice {
    SDL_AudioDeviceID id = 0;
};

SdlDevice* SdlDeviceOf(Device* device)
{
    return static_cast<SdlDevice*>(device->driver);
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
    device->driver = new SdlDevice{id};
    return MMSYSERR_NOERROR;
}

void StartSdlDevice(Device* device)
{
    SDL_PauseAudioDevice(SdlDeviceOf(device)->id, 0);
}

// Waits for a running callback; none is called afterwards.
void CloseSdlDevice(Device* device)
{
    SdlDevice* sdl = SdlDeviceOf(device);
    SDL_CloseAudioDevice(sdl->id);
    delete sdl;
    device->driver = nullptr;
}

} // namespace

const Backend kSoundLibraryBackend = {OpenSdlDevice, StartSdlDevice, CloseSdlDevice, PlayedBytes};

} // namespace waveout
