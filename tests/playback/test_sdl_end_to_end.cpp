// The whole stack on SDL's disk driver: what the device played lands in a file, which is
// compared with the data region. The data never holds a silence byte (0x80 for 8-bit,
// 0x00 for 16-bit), so the silence SDL writes while the queue is empty can be dropped.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "playback/playback_fixture.h"

namespace {

std::vector<unsigned char> MakeData(size_t size)
{
    std::vector<unsigned char> data(size);
    uint32_t state = 12345;
    for (unsigned char& byte : data) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<unsigned char>(1 + (state >> 16) % 255);
        if (byte == 0x80) {
            byte = 0x81;
        }
    }
    return data;
}

std::vector<unsigned char> WithoutSilence(const std::string& raw)
{
    std::vector<unsigned char> bytes;
    for (char c : raw) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte != 0x00 && byte != 0x80) {
            bytes.push_back(byte);
        }
    }
    return bytes;
}

std::vector<unsigned char> Slice(const std::vector<unsigned char>& data, size_t from)
{
    return std::vector<unsigned char>(data.begin() + static_cast<std::ptrdiff_t>(from), data.end());
}

class DiskDeviceTest : public PlaybackTest {
  protected:
    void SetUp() override
    {
        PlaybackTest::SetUp();
        WaveOutUseTestDevice(false);
        output = temp.file("played.raw");
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "1", 1);
    }

    void OpenGenerated(size_t size)
    {
        data = MakeData(size);
        path = temp.file("gen.tmp");
        std::ofstream file(path, std::ios::binary);
        const std::string header(44, '\0');
        file.write(header.data(), 44);
        file.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(size));
        file.close();
        OpenSourceFile(path.c_str());
        ASSERT_TRUE(IsSourceFileOpen());
    }

    // Pumps until `done` holds; gives up (failing) after a long while.
    void PumpUntil(const std::function<bool()>& done)
    {
        for (int round = 0; round < 200000 && !done(); ++round) {
            PumpMessages();
            usleep(200);
        }
        ASSERT_TRUE(done());
    }

    std::vector<unsigned char> Played() { return WithoutSilence(ReadWholeFile(output)); }

    std::string output;
    std::vector<unsigned char> data;
};

} // namespace

TEST_F(DiskDeviceTest, EightBitMonoPlaysTheDataRegionExactly)
{
    OpenGenerated(3 * 8000 + 1236); // a multiple of 4: the whole file is used
    SmallFormat();
    UserClick(Item(IDC_PLAY));
    ExpectPlayingButtons();
    PumpUntil([] { return !IsPlaying(); });
    ExpectIdleButtons();
    EXPECT_TRUE(MessageBoxLog().empty());
    EXPECT_EQ(SliderPos(), 100);
    EXPECT_EQ(Played(), data);
}

TEST_F(DiskDeviceTest, SixteenBitStereoWithASeek)
{
    OpenGenerated(4 * 176400); // 44100 Hz, 16-bit stereo: four one-second buffers
    UserClick(Item(IDC_PLAY));
    UserSlider(Item(IDC_SLIDER), TB_THUMBPOSITION, 50);
    const uint32_t seekTo = PlaybackState.readPos;
    ASSERT_EQ(seekTo, 352800u);
    PumpUntil([] { return !IsPlaying(); });
    EXPECT_TRUE(MessageBoxLog().empty());
    // Whatever of the start played before the seek, then everything from the seek on.
    const std::vector<unsigned char> played = Played();
    const std::vector<unsigned char> tail = Slice(data, seekTo);
    ASSERT_GE(played.size(), tail.size());
    const size_t split = played.size() - tail.size();
    EXPECT_TRUE(std::equal(played.begin(), played.begin() + static_cast<std::ptrdiff_t>(split),
                           data.begin()));
    EXPECT_TRUE(std::equal(played.begin() + static_cast<std::ptrdiff_t>(split), played.end(),
                           tail.begin()));
}

TEST_F(DiskDeviceTest, FormatChangeReopensTheDeviceAtTheRealignedPosition)
{
    OpenGenerated(6 * 8000);
    SmallFormat();
    UserClick(Item(IDC_PLAY));
    PumpUntil([] { return PlaybackState.playedPos >= 8000; });
    const uint32_t playedAtChange = PlaybackState.playedPos;
    UserClick(Item(IDC_16BIT));
    PumpUntil([] { return !IsPlaying(); });
    EXPECT_TRUE(MessageBoxLog().empty());
    // Reopening the disk device starts its file afresh: it holds the 16-bit part only.
    EXPECT_EQ(Played(), Slice(data, playedAtChange - playedAtChange % 2));
}

TEST_F(DiskDeviceTest, SdlSaysNothingOnStandardError)
{
    OpenGenerated(100);
    SmallFormat();
    fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    const std::string errors = temp.file("stderr.txt");
    FILE* capture = fopen(errors.c_str(), "w");
    ASSERT_NE(capture, nullptr);
    dup2(fileno(capture), STDERR_FILENO);
    UserClick(Item(IDC_PLAY));
    PumpUntil([] { return !IsPlaying(); });
    fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    fclose(capture);
    EXPECT_EQ(ReadWholeFile(errors), "");
}

TEST(WaveOutWithoutDriver, NoAudioDriverSaysSo)
{
    setenv("SDL_AUDIODRIVER", "none", 1);
    HWAVEOUT device = reinterpret_cast<HWAVEOUT>(1);
    WAVEFORMATEX format = {WAVE_FORMAT_PCM, 1, 8000, 8000, 1, 8, 0};
    EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL),
              static_cast<MMRESULT>(MMSYSERR_NODRIVER));
    EXPECT_EQ(device, nullptr);
    char text[MAXERRORLENGTH];
    ASSERT_EQ(waveOutGetErrorTextA(MMSYSERR_NODRIVER, text, sizeof text), 0u);
    EXPECT_STREQ(text, "There is no sound device or audio server to play on.");
}
