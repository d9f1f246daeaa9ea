// The Windows program's playback through Wine's own wave-out (winmm over its PulseAudio
// driver) into the private sound server that scripts/windows/test_sound_server.sh starts.
// This program writes a recording, plays it to its end in the real main dialog and says
// how long the end took; the script records the server's monitor and compares it with the
// recording's data byte for byte.
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>

#include "core/wave_format.h"
#include "playback/playback_state.h"
#include "samplegen/samplegen.h"
#include "support/main_dialog_fixture.h"
#include "ui/open_source_file.h"

namespace {

using Clock = std::chrono::steady_clock;

// The system's waveOutGetPosition on the program's open device, as the program reads it:
// in bytes, never backwards, never past what was written.
void ExpectSanePosition(DWORD* last)
{
    if (PlaybackState.device == nullptr) {
        return;
    }
    MMTIME time = {};
    time.wType = TIME_BYTES;
    ASSERT_EQ(waveOutGetPosition(PlaybackState.device, &time, sizeof time), 0u);
    ASSERT_EQ(time.wType, static_cast<UINT>(TIME_BYTES));
    EXPECT_GE(time.u.cb, *last);
    EXPECT_LE(time.u.cb, PlaybackState.writtenBytes);
    *last = time.u.cb;
}

// Pumps the dialog's messages until `done` holds, for at most a minute, checking the
// device's position on the way.
bool PumpUntil(const std::function<bool()>& done)
{
    const Clock::time_point limit = Clock::now() + std::chrono::minutes(1);
    DWORD position = 0;
    while (!done() && Clock::now() < limit) {
        PumpMessages();
        ExpectSanePosition(&position);
        Sleep(1);
    }
    return done();
}

double Milliseconds(Clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

class WineSoundServerTest : public MainDialogTest {
  protected:
    void TearDown() override
    {
        WaveOutUseTestDevice(false);
        MainDialogTest::TearDown();
    }
};

TEST_F(WineSoundServerTest, PlaysTheRecordingToItsEnd)
{
    const char* folder = std::getenv("SALVORIN_SOUND_SERVER_FOLDER");
    if (folder == nullptr) {
        GTEST_SKIP() << "no sound server to play through: scripts/windows/test_sound_server.sh "
                        "starts one and names its folder";
    }
    WaveOutUseTestDevice(false);
    PendingCommand = 0;
    // The tune at the sink's own format, with no frame of silence (four zero bytes), so
    // that the script can cut the capture's silence out without ambiguity.
    SampleSpec spec;
    spec.seconds = 1.6;
    std::vector<unsigned char> data = MakeTunePcm(spec);
    for (size_t frame = 0; frame + 4 <= data.size(); frame += 4) {
        if (data[frame] == 0 && data[frame + 1] == 0 && data[frame + 2] == 0 &&
            data[frame + 3] == 0) {
            data[frame] = 1;
        }
    }
    const std::string path = std::string(folder) + "\\rec.tmp";
    {
        std::ofstream file(path, std::ios::binary);
        file << std::string(ReservedHeaderSize, '\0');
        file.write(reinterpret_cast<const char*>(data.data()),
                   static_cast<std::streamsize>(data.size()));
        ASSERT_TRUE(file) << path;
    }
    OpenSourceFile(path.c_str());
    ASSERT_TRUE(IsSourceFileOpen());

    const Clock::time_point start = Clock::now();
    SendMessageA(dialog, WM_COMMAND, IDC_PLAY, 0);
    ASSERT_TRUE(IsPlaying()) << LastBox().text;
    // The last buffer is back when nothing is outstanding and the device is still open or
    // has just closed; the close follows when the device has played it all.
    ASSERT_TRUE(PumpUntil([] { return PlaybackState.outstanding == 0; }));
    const Clock::time_point lastBack = Clock::now();
    const HWAVEOUT device = PlaybackState.device;
    ASSERT_TRUE(PumpUntil([] { return !IsPlaying(); }));
    const Clock::time_point closed = Clock::now();
    MMTIME time = {TIME_BYTES, {0}};
    EXPECT_EQ(waveOutGetPosition(device, &time, sizeof time),
              static_cast<MMRESULT>(MMSYSERR_INVALHANDLE));
    EXPECT_TRUE(MessageBoxLog().empty()) << LastBox().text;
    EXPECT_EQ(PlaybackState.playedPos, data.size());

    const double endWait = Milliseconds(closed - lastBack);
    std::cout << "from the last buffer's return to the close: " << endWait << " ms; from Play "
              << Milliseconds(closed - start) -
                     1000.0 * static_cast<double>(data.size()) / CurrentFormat.nAvgBytesPerSec
              << " ms beyond the sound's own length\n";
    std::ofstream(std::string(folder) + "\\end_wait.txt") << endWait << '\n';
}

} // namespace
