// The wave-out calls' own contract on the test device: the queue both flavours play through.
#include "playback/waveout_fixture.h"

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
