// The controllable wave-out device, a backend beside the sound library's and, under Wine,
// winmm's: buffers are queued as on the real one, but they play only when a test says so,
// which makes every order of completions reproducible.
#include <atomic>

#include "platform/testing/seams.h"
#include "platform/testing/waveout_test_device.h"

namespace waveout {
namespace {

std::atomic<bool> g_useTestDevice{false};
std::mutex g_testMutex;
std::weak_ptr<Device>* g_openTest = nullptr;    // guarded by g_testMutex; never destroyed
std::vector<unsigned char>* g_played = nullptr; // guarded by g_testMutex; never destroyed
WAVEFORMATEX g_lastFormat = {};                 // guarded by g_testMutex

// The calls hold the device by a shared reference; the newest open one is kept weakly.
MMRESULT OpenTest(const DeviceRef& device)
{
    std::lock_guard<std::mutex> lock(g_testMutex);
    if (g_openTest == nullptr) {
        g_openTest = new std::weak_ptr<Device>;
    }
    *g_openTest = device;
    g_lastFormat = device->format;
    return MMSYSERR_NOERROR;
}

void StartTest(Device*) {}
void CloseTest(Device*) {}

// What a test device reports lags this far behind what it has played.
std::atomic<uint64_t> g_positionLag{0};

uint64_t TestPosition(const Device* device)
{
    const uint64_t lag = g_positionLag.load();
    return device->played > lag ? device->played - lag : 0;
}

DeviceRef OpenTestDevice()
{
    std::lock_guard<std::mutex> lock(g_testMutex);
    return g_openTest == nullptr ? nullptr : g_openTest->lock();
}

void RecordTestPlayed(const WAVEHDR* header)
{
    std::lock_guard<std::mutex> lock(g_testMutex);
    if (g_played == nullptr) {
        g_played = new std::vector<unsigned char>;
    }
    g_played->insert(g_played->end(), header->lpData, header->lpData + header->dwBufferLength);
}

} // namespace

const Backend kTestBackend = {OpenTest, StartTest, CloseTest, TestPosition};

bool TestDeviceChosen()
{
    return g_useTestDevice.load();
}

} // namespace waveout

void WaveOutUseTestDevice(bool use)
{
    waveout::g_useTestDevice.store(use);
    waveout::g_positionLag.store(0);
    std::lock_guard<std::mutex> lock(waveout::g_testMutex);
    if (waveout::g_played != nullptr) {
        waveout::g_played->clear();
    }
}

bool TestDeviceIsOpen()
{
    return waveout::OpenTestDevice() != nullptr;
}

WAVEFORMATEX TestDeviceFormat()
{
    std::lock_guard<std::mutex> lock(waveout::g_testMutex);
    return waveout::g_lastFormat;
}

int TestDeviceQueuedCount()
{
    waveout::DeviceRef device = waveout::OpenTestDevice();
    if (!device) {
        return 0;
    }
    std::lock_guard<std::mutex> lock(device->mutex);
    int count = 0;
    for (const WAVEHDR* header = device->head; header != nullptr; header = header->lpNext) {
        ++count;
    }
    return count;
}

int TestDeviceCompleteNext(int count)
{
    waveout::DeviceRef device = waveout::OpenTestDevice();
    if (!device) {
        return 0;
    }
    std::lock_guard<std::mutex> lock(device->mutex);
    int completed = 0;
    while (completed < count && device->head != nullptr) {
        waveout::RecordTestPlayed(device->head);
        // Played whole: handed over and heard.
        const WAVEHDR* head = device->head;
        device->handedOver +=
            device->playing == head ? head->dwBufferLength - device->playingOffset : 0;
        device->played = device->handedOver;
        waveout::CompleteHead(device.get());
        ++completed;
    }
    return completed;
}

std::vector<unsigned char> TestDevicePlayedBytes()
{
    std::lock_guard<std::mutex> lock(waveout::g_testMutex);
    return waveout::g_played == nullptr ? std::vector<unsigned char>{} : *waveout::g_played;
}

std::vector<unsigned char> TestDevicePullPeriod(size_t bytes)
{
    std::vector<unsigned char> period(bytes);
    waveout::DeviceRef device = waveout::OpenTestDevice();
    if (device) {
        waveout::FeedPeriod(device.get(), period.data(), static_cast<DWORD>(bytes));
    }
    return period;
}

void TestDeviceSetPositionLag(uint64_t bytes)
{
    waveout::g_positionLag.store(bytes);
}
