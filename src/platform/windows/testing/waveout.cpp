// The wave-out calls' fault points and the controllable test device. With the test device
// chosen, waveOutOpen hands out a device of this library: buffers queue as on winmm's, but
// they play only when a test releases them, so every order of completions is reproducible.
// Otherwise every call goes to winmm.
#include <atomic>
#include <memory>
#include <mutex>

#include "platform/windows/testing/wrap.h"

namespace {

struct TestDevice {
    HWND window = nullptr;
    WAVEFORMATEX format = {};
    std::vector<WAVEHDR*> queue;
    uint64_t played = 0; // since the open or the last reset
};

std::atomic<bool> g_useTestDevice{false};
std::mutex g_mutex;
TestDevice* g_open = nullptr; // guarded by g_mutex
std::vector<unsigned char> g_played;
WAVEFORMATEX g_lastFormat = {};
std::atomic<uint64_t> g_positionLag{0};

SEAM_REAL_ENTRY(waveOutOpen)
SEAM_REAL_ENTRY(waveOutPrepareHeader)
SEAM_REAL_ENTRY(waveOutWrite)
SEAM_REAL_ENTRY(waveOutReset)
SEAM_REAL_ENTRY(waveOutUnprepareHeader)
SEAM_REAL_ENTRY(waveOutClose)
SEAM_REAL_ENTRY(waveOutGetPosition)

bool IsTest(HWAVEOUT device)
{
    return device != nullptr && reinterpret_cast<TestDevice*>(device) == g_open;
}

bool Playable(const WAVEFORMATEX* format)
{
    return format->wFormatTag == WAVE_FORMAT_PCM &&
           (format->nChannels == 1 || format->nChannels == 2) &&
           (format->wBitsPerSample == 8 || format->wBitsPerSample == 16) &&
           format->nSamplesPerSec >= 8000 && format->nSamplesPerSec <= 99999;
}

// Takes the head off the queue and hands it back as winmm does.
void Complete(TestDevice* device, bool played)
{
    WAVEHDR* header = device->queue.front();
    device->queue.erase(device->queue.begin());
    if (played) {
        g_played.insert(g_played.end(), header->lpData, header->lpData + header->dwBufferLength);
        device->played += header->dwBufferLength;
    }
    header->dwFlags = (header->dwFlags & ~static_cast<DWORD>(WHDR_INQUEUE)) | WHDR_DONE;
    if (device->window != nullptr) {
        PostSystemMessage(device->window, MM_WOM_DONE, reinterpret_cast<WPARAM>(device),
                          reinterpret_cast<LPARAM>(header));
    }
}

#define WAVE_FAULT(name)                                                                           \
    DWORD code = 0;                                                                                \
    if (FaultShouldFail(name, &code)) {                                                            \
        return static_cast<MMRESULT>(code);                                                        \
    }

MMRESULT WINAPI SeamOpen(LPHWAVEOUT device, UINT id, LPCWAVEFORMATEX format, DWORD_PTR callback,
                         DWORD_PTR instance, DWORD flags)
{
    WAVE_FAULT("waveOutOpen")
    if (!g_useTestDevice.load()) {
        return SEAM_REAL(decltype(&SeamOpen), waveOutOpen)(device, id, format, callback, instance,
                                                           flags);
    }
    if (format == nullptr || (device == nullptr && (flags & WAVE_FORMAT_QUERY) == 0)) {
        return MMSYSERR_INVALPARAM;
    }
    if (!Playable(format)) {
        return WAVERR_BADFORMAT;
    }
    if ((flags & WAVE_FORMAT_QUERY) != 0) {
        return MMSYSERR_NOERROR;
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    auto* opened = new TestDevice;
    opened->window =
        (flags & CALLBACK_TYPEMASK) == CALLBACK_WINDOW ? reinterpret_cast<HWND>(callback) : nullptr;
    opened->format = *format;
    g_open = opened;
    g_lastFormat = *format;
    *device = reinterpret_cast<HWAVEOUT>(opened);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI SeamPrepare(HWAVEOUT device, LPWAVEHDR header, UINT size)
{
    WAVE_FAULT("waveOutPrepareHeader")
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!IsTest(device)) {
        return SEAM_REAL(decltype(&SeamPrepare), waveOutPrepareHeader)(device, header, size);
    }
    if (header == nullptr || size < sizeof(WAVEHDR)) {
        return MMSYSERR_INVALPARAM;
    }
    if ((header->dwFlags & WHDR_INQUEUE) != 0) {
        return WAVERR_STILLPLAYING;
    }
    header->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI SeamWrite(HWAVEOUT device, LPWAVEHDR header, UINT size)
{
    WAVE_FAULT("waveOutWrite")
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!IsTest(device)) {
        return SEAM_REAL(decltype(&SeamWrite), waveOutWrite)(device, header, size);
    }
    if (header == nullptr || size < sizeof(WAVEHDR)) {
        return MMSYSERR_INVALPARAM;
    }
    if ((header->dwFlags & WHDR_PREPARED) == 0) {
        return WAVERR_UNPREPARED;
    }
    if ((header->dwFlags & WHDR_INQUEUE) != 0) {
        return WAVERR_STILLPLAYING;
    }
    header->dwFlags = (header->dwFlags & ~static_cast<DWORD>(WHDR_DONE)) | WHDR_INQUEUE;
    g_open->queue.push_back(header);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI SeamReset(HWAVEOUT device)
{
    WAVE_FAULT("waveOutReset")
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!IsTest(device)) {
        return SEAM_REAL(decltype(&SeamReset), waveOutReset)(device);
    }
    while (!g_open->queue.empty()) {
        Complete(g_open, false);
    }
    g_open->played = 0;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI SeamGetPosition(HWAVEOUT device, LPMMTIME time, UINT size)
{
    WAVE_FAULT("waveOutGetPosition")
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!IsTest(device)) {
        return SEAM_REAL(decltype(&SeamGetPosition), waveOutGetPosition)(device, time, size);
    }
    if (time == nullptr || size < sizeof(MMTIME)) {
        return MMSYSERR_INVALPARAM;
    }
    const uint64_t lag = g_positionLag.load();
    const uint64_t bytes = g_open->played > lag ? g_open->played - lag : 0;
    if (time->wType == TIME_SAMPLES) {
        time->u.sample = static_cast<DWORD>(bytes / g_open->format.nBlockAlign);
        return MMSYSERR_NOERROR;
    }
    time->wType = TIME_BYTES;
    time->u.cb = static_cast<DWORD>(bytes);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI SeamUnprepare(HWAVEOUT device, LPWAVEHDR header, UINT size)
{
    WAVE_FAULT("waveOutUnprepareHeader")
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!IsTest(device)) {
        return SEAM_REAL(decltype(&SeamUnprepare), waveOutUnprepareHeader)(device, header, size);
    }
    if (header == nullptr || size < sizeof(WAVEHDR)) {
        return MMSYSERR_INVALPARAM;
    }
    if ((header->dwFlags & WHDR_INQUEUE) != 0) {
        return WAVERR_STILLPLAYING;
    }
    header->dwFlags &= ~static_cast<DWORD>(WHDR_PREPARED);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI SeamClose(HWAVEOUT device)
{
    WAVE_FAULT("waveOutClose")
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!IsTest(device)) {
        return SEAM_REAL(decltype(&SeamClose), waveOutClose)(device);
    }
    if (!g_open->queue.empty()) {
        return WAVERR_STILLPLAYING;
    }
    delete g_open;
    g_open = nullptr;
    return MMSYSERR_NOERROR;
}

} // namespace

SEAM_INSTALL(waveOutOpen, SeamOpen)
SEAM_INSTALL(waveOutPrepareHeader, SeamPrepare)
SEAM_INSTALL(waveOutWrite, SeamWrite)
SEAM_INSTALL(waveOutReset, SeamReset)
SEAM_INSTALL(waveOutUnprepareHeader, SeamUnprepare)
SEAM_INSTALL(waveOutClose, SeamClose)
SEAM_INSTALL(waveOutGetPosition, SeamGetPosition)

void WaveOutUseTestDevice(bool use)
{
    g_useTestDevice.store(use);
    g_positionLag.store(0);
    std::lock_guard<std::mutex> lock(g_mutex);
    g_played.clear();
}

bool TestDeviceIsOpen()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_open != nullptr;
}

WAVEFORMATEX TestDeviceFormat()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_lastFormat;
}

int TestDeviceQueuedCount()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_open == nullptr ? 0 : static_cast<int>(g_open->queue.size());
}

int TestDeviceCompleteNext(int count)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    int completed = 0;
    while (g_open != nullptr && completed < count && !g_open->queue.empty()) {
        Complete(g_open, true);
        ++completed;
    }
    return completed;
}

std::vector<unsigned char> TestDevicePlayedBytes()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_played;
}

void TestDeviceSetPositionLag(uint64_t bytes)
{
    g_positionLag.store(bytes);
}
