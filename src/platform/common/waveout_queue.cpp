// The wave-out calls over a backend (waveout_queue.h): the queue of headers, the
// completions and the position are the same for every backend; a backend only opens,
// starts and closes its device and has its driver ask for periods (FeedPeriod). Each
// header that has been played, or is returned by a reset, comes back to the program only as
// a posted MM_WOM_DONE.
#include <algorithm>
#include <cstring>
#include <map>

#include "platform/common/system_messages.h"
#include "platform/common/waveout_queue.h"
#include "platform/win32.h"

namespace waveout {
namespace {

constexpr uint32_t MinimumRate = 8000;
constexpr uint32_t MaximumRate = 99999;

std::mutex g_registryMutex;
std::map<HWAVEOUT, DeviceRef>* g_devices = nullptr; // guarded; never destroyed
uintptr_t g_nextHandle = 0x57A0000;                 // handles never repeat

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

} // namespace

uint64_t PlayedBytes(const Device* device)
{
    return device->played;
}

void FeedPeriod(Device* device, unsigned char* stream, DWORD wanted)
{
    DWORD filled = 0;
    std::lock_guard<std::mutex> lock(device->mutex);
    // A driver asks for this period only after it has given the last one to the sound
    // server and the server has made room (SDL does): what that period held has been played.
    // Reporting a header done when its last byte was copied instead let the program close the
    // device while the server still had the end of the sound to play.
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

bool IsDevice(HWAVEOUT handle)
{
    return Lookup(handle) != nullptr;
}

MMRESULT Open(LPHWAVEOUT handle, UINT deviceId, LPCWAVEFORMATEX format, DWORD_PTR callback,
              DWORD flags, const Backend* backend)
{
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
    if (!FormatPlayable(format)) {
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
    device->backend = backend;
    const MMRESULT opened = device->backend->open(device);
    if (opened != MMSYSERR_NOERROR) {
        return opened;
    }
    *handle = Register(device);
    return MMSYSERR_NOERROR;
}

namespace {

// Marks a header prepared, or not; a queued header is neither until it is back.
MMRESULT MarkPrepared(HWAVEOUT handle, LPWAVEHDR header, UINT size, bool prepared)
{
    const DeviceRef device = Lookup(handle);
    if (!device) {
        return MMSYSERR_INVALHANDLE;
    }
    if (!HeaderArgumentsValid(header, size) || (prepared && header->lpData == nullptr)) {
        return MMSYSERR_INVALPARAM;
    }
    std::lock_guard<std::mutex> lock(device->mutex);
    if ((header->dwFlags & WHDR_INQUEUE) != 0) {
        return WAVERR_STILLPLAYING;
    }
    header->dwFlags = prepared ? header->dwFlags | WHDR_PREPARED
                               : header->dwFlags & ~static_cast<DWORD>(WHDR_PREPARED);
    return MMSYSERR_NOERROR;
}

} // namespace

MMRESULT PrepareHeader(HWAVEOUT handle, LPWAVEHDR header, UINT size)
{
    return MarkPrepared(handle, header, size, true);
}

MMRESULT Write(HWAVEOUT handle, LPWAVEHDR header, UINT size)
{
    const DeviceRef device = Lookup(handle);
    if (!device) {
        return MMSYSERR_INVALHANDLE;
    }
    if (!HeaderArgumentsValid(header, size)) {
        return MMSYSERR_INVALPARAM;
    }
    {
        std::lock_guard<std::mutex> lock(device->mutex);
        if ((header->dwFlags & WHDR_PREPARED) == 0) {
            return WAVERR_UNPREPARED;
        }
        if ((header->dwFlags & WHDR_INQUEUE) != 0 || IsQueued(device.get(), header)) {
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
    // Started outside our mutex: a driver may hold its own lock around the thread that feeds
    // it, which takes ours (SDL does).
    if (!device->started) {
        device->started = true;
        device->backend->start(device.get());
    }
    return MMSYSERR_NOERROR;
}

MMRESULT Reset(HWAVEOUT handle)
{
    const DeviceRef device = Lookup(handle);
    if (!device) {
        return MMSYSERR_INVALHANDLE;
    }
    std::lock_guard<std::mutex> lock(device->mutex);
    while (device->head != nullptr) {
        CompleteHead(device.get());
    }
    device->handedOver = 0;
    device->played = 0;
    return MMSYSERR_NOERROR;
}

MMRESULT GetPosition(HWAVEOUT handle, LPMMTIME time, UINT size)
{
    const DeviceRef device = Lookup(handle);
    if (!device) {
        return MMSYSERR_INVALHANDLE;
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

MMRESULT UnprepareHeader(HWAVEOUT handle, LPWAVEHDR header, UINT size)
{
    return MarkPrepared(handle, header, size, false);
}

MMRESULT Close(HWAVEOUT handle)
{
    const DeviceRef device = Lookup(handle);
    if (!device) {
        return MMSYSERR_INVALHANDLE;
    }
    {
        std::lock_guard<std::mutex> lock(device->mutex);
        if (device->head != nullptr) {
            return WAVERR_STILLPLAYING;
        }
    }
    Unregister(handle);
    device->backend->close(device.get());
    return MMSYSERR_NOERROR;
}

} // namespace waveout
