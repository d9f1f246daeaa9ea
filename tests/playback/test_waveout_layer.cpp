// The wave-out calls' own contract: on the test device, the queue both flavours play
// through, and on SDL's dummy driver (which plays in real time into nothing).
#include <chrono>
#include <thread>

#include "playback/playback_fixture.h"

namespace {

struct Completion {
    WPARAM device;
    WAVEHDR* header;
    DWORD flagsOnArrival;
};
std::vector<Completion> g_completions;

INT_PTR RecordingProc(HWND, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == MM_WOM_DONE) {
        auto* header = reinterpret_cast<WAVEHDR*>(lParam);
        g_completions.push_back({wParam, header, header->dwFlags});
        return TRUE;
    }
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

class WaveOutTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ModuleInstance = &ResourceModule;
        window = CreateDialogParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                    RecordingProc, 0);
        ASSERT_NE(window, nullptr);
        g_completions.clear();
        for (int i = 0; i < 3; ++i) {
            buffers[i].assign(800 * (i + 1), static_cast<char>(i + 1));
            headers[i] = {};
            headers[i].lpData = buffers[i].data();
            headers[i].dwBufferLength = static_cast<DWORD>(buffers[i].size());
        }
    }
    void TearDown() override { DestroyWindow(window); }

    MMRESULT Open(HWAVEOUT* device)
    {
        return waveOutOpen(device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(window), 0,
                           CALLBACK_WINDOW);
    }

    void PrepareAndWriteAll(HWAVEOUT device)
    {
        for (WAVEHDR& header : headers) {
            ASSERT_EQ(waveOutPrepareHeader(device, &header, sizeof header), 0u);
            ASSERT_EQ(waveOutWrite(device, &header, sizeof header), 0u);
        }
    }

    void PumpUntilCompletions(size_t count)
    {
        for (int round = 0; round < 100000 && g_completions.size() < count; ++round) {
            PumpMessages();
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        ASSERT_EQ(g_completions.size(), count);
    }

    // Each header back exactly once, in the order written, marked done on arrival.
    void ExpectEachBackOnceInOrder(HWAVEOUT device)
    {
        ASSERT_EQ(g_completions.size(), 3u);
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(g_completions[i].header, &headers[i]);
            EXPECT_EQ(g_completions[i].device, reinterpret_cast<WPARAM>(device));
            EXPECT_EQ(g_completions[i].flagsOnArrival & (WHDR_DONE | WHDR_INQUEUE),
                      static_cast<DWORD>(WHDR_DONE));
        }
    }

    void CloseAfterUnprepare(HWAVEOUT device)
    {
        for (WAVEHDR& header : headers) {
            EXPECT_EQ(waveOutUnprepareHeader(device, &header, sizeof header), 0u);
        }
        EXPECT_EQ(waveOutClose(device), 0u);
    }

    // The device's position in bytes; ~0u when the call fails.
    static DWORD PositionBytes(HWAVEOUT device)
    {
        MMTIME time = {};
        time.wType = TIME_BYTES;
        const MMRESULT asked = waveOutGetPosition(device, &time, sizeof time);
        EXPECT_EQ(time.wType, static_cast<UINT>(TIME_BYTES));
        return asked == MMSYSERR_NOERROR ? time.u.cb : ~0u;
    }

    HWND window = nullptr;
    WAVEFORMATEX format = {WAVE_FORMAT_PCM, 1, 8000, 16000, 2, 16, 0};
    std::vector<char> buffers[3];
    WAVEHDR headers[3];
};

} // namespace

TEST_F(WaveOutTest, RefusesWhatItCannotPlayWithCodesThatSaySo)
{
    WaveOutUseTestDevice(true);
    HWAVEOUT device = nullptr;
    const WAVEFORMATEX refused[] = {
        {WAVE_FORMAT_PCM, 1, 7999, 15998, 2, 16, 0}, {WAVE_FORMAT_PCM, 1, 100000, 200000, 2, 16, 0},
        {WAVE_FORMAT_PCM, 3, 8000, 48000, 6, 16, 0}, {WAVE_FORMAT_PCM, 1, 8000, 8000, 1, 12, 0},
        {WAVE_FORMAT_PCM, 2, 8000, 16000, 2, 16, 0}, {3, 1, 8000, 32000, 4, 32, 0},
    };
    for (const WAVEFORMATEX& bad : refused) {
        EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, &bad, reinterpret_cast<DWORD_PTR>(window), 0,
                              CALLBACK_WINDOW),
                  static_cast<MMRESULT>(WAVERR_BADFORMAT));
    }
    const WAVEFORMATEX largest = {WAVE_FORMAT_PCM, 2, 99999, 399996, 4, 16, 0};
    EXPECT_EQ(waveOutOpen(nullptr, WAVE_MAPPER, &largest, 0, 0, WAVE_FORMAT_QUERY), 0u);
    EXPECT_EQ(waveOutOpen(&device, 7, &format, 0, 0, CALLBACK_NULL),
              static_cast<MMRESULT>(MMSYSERR_BADDEVICEID));
    EXPECT_EQ(waveOutWrite(reinterpret_cast<HWAVEOUT>(1), &headers[0], sizeof(WAVEHDR)),
              static_cast<MMRESULT>(MMSYSERR_INVALHANDLE));

    ASSERT_EQ(Open(&device), 0u);
    EXPECT_EQ(waveOutWrite(device, &headers[0], sizeof(WAVEHDR)),
              static_cast<MMRESULT>(WAVERR_UNPREPARED));
    PrepareAndWriteAll(device);
    EXPECT_EQ(waveOutWrite(device, &headers[0], sizeof(WAVEHDR)),
              static_cast<MMRESULT>(WAVERR_STILLPLAYING));
    EXPECT_EQ(waveOutUnprepareHeader(device, &headers[0], sizeof(WAVEHDR)),
              static_cast<MMRESULT>(WAVERR_STILLPLAYING));
    EXPECT_EQ(waveOutClose(device), static_cast<MMRESULT>(WAVERR_STILLPLAYING));
    EXPECT_EQ(TestDeviceCompleteNext(3), 3);
    PumpMessages();
    ExpectEachBackOnceInOrder(device);
    CloseAfterUnprepare(device);
    EXPECT_EQ(waveOutClose(device), static_cast<MMRESULT>(MMSYSERR_INVALHANDLE));
}

// Periods of 1000 bytes over buffers of 800, 1600 and 2400: a buffer comes back only
// with the period after the one that took its last byte, when the device has played it.
TEST_F(WaveOutTest, ABufferIsDoneOnlyWhenThePeriodAfterItsEndIsAskedFor)
{
    WaveOutUseTestDevice(true);
    HWAVEOUT device = nullptr;
    ASSERT_EQ(Open(&device), 0u);
    PrepareAndWriteAll(device);
    const size_t doneAfterPeriod[] = {0, 1, 1, 2, 2, 3, 3};
    // The position counts the periods played by the same rule, up to the 4800 bytes written.
    const DWORD positionAfterPeriod[] = {0, 1000, 2000, 3000, 4000, 4800, 4800};
    std::vector<unsigned char> pulled;
    for (size_t period = 0; period < std::size(doneAfterPeriod); ++period) {
        const std::vector<unsigned char> bytes = TestDevicePullPeriod(1000);
        pulled.insert(pulled.end(), bytes.begin(), bytes.end());
        PumpMessages();
        EXPECT_EQ(g_completions.size(), doneAfterPeriod[period]) << "after period " << period;
        EXPECT_EQ(PositionBytes(device), positionAfterPeriod[period]) << "after period " << period;
    }
    ExpectEachBackOnceInOrder(device);
    std::vector<unsigned char> expected;
    for (const std::vector<char>& buffer : buffers) {
        expected.insert(expected.end(), buffer.begin(), buffer.end());
    }
    expected.resize(pulled.size(), 0); // silence after the queue's end
    EXPECT_EQ(pulled, expected);
    EXPECT_TRUE(TestDevicePlayedBytes().empty());
    CloseAfterUnprepare(device);
}

// The position's own contract: its units, its start again at a reset, its refusals, and a
// failure injected at the Nth call like every other call's.
TEST_F(WaveOutTest, PositionCountsFromTheOpenOrTheResetInTheUnitAsked)
{
    WaveOutUseTestDevice(true);
    HWAVEOUT device = nullptr;
    ASSERT_EQ(Open(&device), 0u);
    MMTIME time = {};
    EXPECT_EQ(PositionBytes(device), 0u);
    PrepareAndWriteAll(device);
    EXPECT_EQ(TestDeviceCompleteNext(2), 2); // 800 + 1600 bytes played
    EXPECT_EQ(PositionBytes(device), 2400u);
    time.wType = TIME_SAMPLES;
    ASSERT_EQ(waveOutGetPosition(device, &time, sizeof time), 0u);
    EXPECT_EQ(time.wType, static_cast<UINT>(TIME_SAMPLES));
    EXPECT_EQ(time.u.sample, 1200u); // two bytes a frame
    time.wType = TIME_MS;            // not offered: answered in bytes
    ASSERT_EQ(waveOutGetPosition(device, &time, sizeof time), 0u);
    EXPECT_EQ(time.wType, static_cast<UINT>(TIME_BYTES));
    EXPECT_EQ(time.u.cb, 2400u);
    TestDeviceSetPositionLag(1000);
    EXPECT_EQ(PositionBytes(device), 1400u);
    TestDeviceSetPositionLag(0);

    EXPECT_EQ(waveOutGetPosition(device, nullptr, sizeof time),
              static_cast<MMRESULT>(MMSYSERR_INVALPARAM));
    EXPECT_EQ(waveOutGetPosition(device, &time, sizeof time - 1),
              static_cast<MMRESULT>(MMSYSERR_INVALPARAM));
    EXPECT_EQ(waveOutGetPosition(reinterpret_cast<HWAVEOUT>(1), &time, sizeof time),
              static_cast<MMRESULT>(MMSYSERR_INVALHANDLE));
    FaultInject("waveOutGetPosition", 2, MMSYSERR_NOMEM);
    EXPECT_EQ(waveOutGetPosition(device, &time, sizeof time), 0u);
    EXPECT_EQ(waveOutGetPosition(device, &time, sizeof time),
              static_cast<MMRESULT>(MMSYSERR_NOMEM));
    EXPECT_EQ(waveOutGetPosition(device, &time, sizeof time), 0u);

    EXPECT_EQ(waveOutReset(device), 0u);
    EXPECT_EQ(PositionBytes(device), 0u);
    PumpMessages();
    CloseAfterUnprepare(device);
    EXPECT_EQ(waveOutGetPosition(device, &time, sizeof time),
              static_cast<MMRESULT>(MMSYSERR_INVALHANDLE));
}

TEST_F(WaveOutTest, ResetReturnsABufferTakenWholeButNotYetDoneOnce)
{
    WaveOutUseTestDevice(true);
    HWAVEOUT device = nullptr;
    ASSERT_EQ(Open(&device), 0u);
    PrepareAndWriteAll(device);
    TestDevicePullPeriod(1000); // the first buffer whole, the second begun
    EXPECT_EQ(waveOutClose(device), static_cast<MMRESULT>(WAVERR_STILLPLAYING));
    EXPECT_EQ(waveOutReset(device), 0u);
    EXPECT_EQ(TestDevicePullPeriod(1000), std::vector<unsigned char>(1000, 0));
    PumpMessages();
    ExpectEachBackOnceInOrder(device);
    CloseAfterUnprepare(device);
}

#ifndef _WIN32 // the sound library's backend
TEST_F(WaveOutTest, DummyDevicePlaysEveryBufferAndReturnsEachOnce)
{
    HWAVEOUT device = nullptr;
    ASSERT_EQ(Open(&device), 0u);
    PrepareAndWriteAll(device);
    PumpUntilCompletions(3);
    ExpectEachBackOnceInOrder(device);
    // When the last buffer is back, SDL has played every byte written.
    EXPECT_EQ(PositionBytes(device), 4800u);
    CloseAfterUnprepare(device);
}

TEST_F(WaveOutTest, DummyDeviceResetReturnsEveryQueuedBufferAtOnce)
{
    HWAVEOUT device = nullptr;
    ASSERT_EQ(Open(&device), 0u);
    std::vector<char> long1(160000, 1), long2(160000, 2), long3(160000, 3); // ten seconds each
    headers[0].lpData = long1.data();
    headers[1].lpData = long2.data();
    headers[2].lpData = long3.data();
    for (WAVEHDR& header : headers) {
        header.dwBufferLength = 160000;
    }
    PrepareAndWriteAll(device);
    EXPECT_EQ(waveOutReset(device), 0u);
    PumpMessages();
    ExpectEachBackOnceInOrder(device);
    std::this_thread::sleep_for(std::chrono::milliseconds(100)); // nothing more comes back later
    PumpMessages();
    EXPECT_EQ(g_completions.size(), 3u);
    CloseAfterUnprepare(device);
}

// The backend is chosen at each open and stays the device's: a device opened on the test
// device keeps waiting for the test after the choice went back to the sound library, while
// the one opened since plays on its own.
TEST_F(WaveOutTest, EachDeviceKeepsTheBackendChosenWhenItWasOpened)
{
    WaveOutUseTestDevice(true);
    HWAVEOUT onTest = nullptr;
    ASSERT_EQ(Open(&onTest), 0u);
    WaveOutUseTestDevice(false);
    HWAVEOUT onSound = nullptr;
    ASSERT_EQ(Open(&onSound), 0u);
    ASSERT_NE(onTest, onSound);
    for (WAVEHDR& header : headers) {
        ASSERT_EQ(
            waveOutPrepareHeader(&header == &headers[1] ? onSound : onTest, &header, sizeof header),
            0u);
    }
    ASSERT_EQ(waveOutWrite(onTest, &headers[0], sizeof headers[0]), 0u);
    ASSERT_EQ(waveOutWrite(onSound, &headers[1], sizeof headers[1]), 0u);
    PumpUntilCompletions(1);
    EXPECT_EQ(g_completions[0].header, &headers[1]);
    EXPECT_EQ(g_completions[0].device, reinterpret_cast<WPARAM>(onSound));
    EXPECT_EQ(TestDeviceQueuedCount(), 1);

    EXPECT_EQ(TestDeviceCompleteNext(1), 1);
    PumpMessages();
    ASSERT_EQ(g_completions.size(), 2u);
    EXPECT_EQ(g_completions[1].header, &headers[0]);
    EXPECT_EQ(g_completions[1].device, reinterpret_cast<WPARAM>(onTest));
    EXPECT_EQ(waveOutClose(onTest), 0u);
    EXPECT_EQ(waveOutClose(onSound), 0u);
}
#endif
