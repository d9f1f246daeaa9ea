// The wave-out calls on SDL's dummy driver, which plays in real time into nothing, and beside
// the test device.
#include "playback/waveout_fixture.h"

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
