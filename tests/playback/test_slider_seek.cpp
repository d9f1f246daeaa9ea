#include <fstream>

#include "playback/fail_malloc.h"
#include "playback/playback_fixture.h"
#include "support/strip_picture.h"

TEST_F(PlaybackTest, ClickingTheTrackWhilePlayingSeeksAfterTheDrain)
{
    OpenData(100000);
    SmallFormat();
    UserClick(Item(IDC_PLAY));
    Complete();
    ASSERT_EQ(SliderPos(), 8);
    UserSlider(Item(IDC_SLIDER), TB_PAGEDOWN, 0); // the page is 20 of 100
    EXPECT_EQ(PlaybackState.seekPending, 1u);
    EXPECT_EQ(PlaybackState.readPos, 28000u);
    EXPECT_EQ(PlaybackState.playedPos, 28000u);
    PumpMessages(); // both buffers come back; queueing starts again at 20000
    ExpectPlayingButtons();
    EXPECT_EQ(PlaybackState.seekPending, 0u);
    EXPECT_EQ(PlaybackState.outstanding, 2);
    Complete();
    EXPECT_EQ(PlaybackState.playedPos, 36000u);
    std::vector<unsigned char> expected = DataBytes(0, 8000);
    const std::vector<unsigned char> after = DataBytes(28000, 8000);
    expected.insert(expected.end(), after.begin(), after.end());
    EXPECT_EQ(TestDevicePlayedBytes(), expected);
    EXPECT_EQ(FaultCallCount("waveOutOpen"), 1); // a seek keeps the device
}

TEST_F(PlaybackTest, DraggingLeavesTheSliderAloneAndSeeksOnRelease)
{
    OpenData(100000);
    SmallFormat();
    UserClick(Item(IDC_PLAY));
    UserSlider(Item(IDC_SLIDER), TB_THUMBTRACK, 70);
    EXPECT_EQ(PlaybackState.dragging, 1u);
    EXPECT_EQ(PlaybackState.seekPending, 0u);
    Complete(); // playback goes on under the thumb
    EXPECT_EQ(PlaybackState.playedPos, 8000u);
    EXPECT_EQ(SliderPos(), 70);
    EXPECT_EQ(TestDeviceQueuedCount(), 2);

    UserSlider(Item(IDC_SLIDER), TB_THUMBPOSITION, 60); // release, then TB_ENDTRACK
    EXPECT_EQ(PlaybackState.dragging, 0u);
    EXPECT_EQ(PlaybackState.readPos, 60000u);
    PumpMessages();
    Complete();
    EXPECT_EQ(PlaybackState.playedPos, 68000u);
    EXPECT_EQ(SliderPos(), 68);
}

// What the dialog procedure answers (on Windows a sent WM_HSCROLL returns the dialog's
// message result instead, so the procedure is asked directly).
TEST_F(PlaybackTest, ScrollCodesReportedToTheDialog)
{
    OpenData(1000);
    const LPARAM slider = reinterpret_cast<LPARAM>(Item(IDC_SLIDER));
    EXPECT_EQ(
        MainDialogProc(dialog, WM_HSCROLL, TB_THUMBTRACK, reinterpret_cast<LPARAM>(Item(IDC_RATE))),
        FALSE);
    EXPECT_EQ(PlaybackState.dragging, 0u);
    for (int code = TB_LINEUP; code <= TB_BOTTOM; ++code) {
        EXPECT_EQ(MainDialogProc(dialog, WM_HSCROLL, MAKEWPARAM(code, 0), slider), TRUE) << code;
    }
    EXPECT_EQ(MainDialogProc(dialog, WM_HSCROLL, TB_ENDTRACK, slider), FALSE);
}

TEST_F(PlaybackTest, SeekingToTheEndWhilePlayingReturnsToIdleWithoutAMessage)
{
    OpenData(100000);
    SmallFormat();
    UserClick(Item(IDC_PLAY));
    UserSlider(Item(IDC_SLIDER), TB_BOTTOM, 0);
    EXPECT_EQ(PlaybackState.readPos, 100000u);
    PumpMessages();
    ExpectIdleButtons();
    EXPECT_TRUE(MessageBoxLog().empty());
    EXPECT_EQ(SliderPos(), 100);
    // Play with the slider at 100 plays from the beginning.
    UserClick(Item(IDC_PLAY));
    EXPECT_EQ(SliderPos(), 0);
    Complete();
    EXPECT_EQ(TestDevicePlayedBytes(), DataBytes(0, 8000));
}

TEST_F(PlaybackTest, IdleSeekWaitsForTheNextStart)
{
    OpenData(100000);
    SmallFormat();
    UserSlider(Item(IDC_SLIDER), TB_THUMBPOSITION, 25);
    EXPECT_FALSE(IsPlaying());
    EXPECT_EQ(FaultCallCount("waveOutReset"), 0);
    UserClick(Item(IDC_PLAY));
    Complete();
    EXPECT_EQ(TestDevicePlayedBytes(), DataBytes(25000, 8000));
}

TEST_F(PlaybackTest, SliderArithmeticAtTheLargestFileDoesNotOverflow)
{
    OpenData(4294967248ull); // sparse; 16-bit stereo, block align 4
    UserSlider(Item(IDC_SLIDER), TB_THUMBPOSITION, 50);
    EXPECT_EQ(PlaybackState.readPos, 2147483624u);
    EXPECT_EQ(PlaybackState.playedPos, 2147483624u);
    UserClick(Item(IDC_PLAY));
    UserSlider(Item(IDC_SLIDER), TB_THUMBPOSITION, 99);
    PumpMessages();
    EXPECT_EQ(PlaybackState.playedPos, 4252017572u); // S * 99 / 100, rounded down to 4
    Complete();
    EXPECT_EQ(PlaybackState.playedPos, 4252017572u + 176400u);
    EXPECT_EQ(SliderPos(), 99);
    UserSlider(Item(IDC_SLIDER), TB_THUMBPOSITION, 50);
    PumpMessages();
    Complete();
    EXPECT_EQ(SliderPos(), 50);
    EXPECT_TRUE(MessageBoxLog().empty());
}

// Past 4 GiB (a sparse file of 32 GiB): the slider, the seek, the read and the duration
// cover the whole file. At 25 the position lands where the file offset's low half is
// 0xFFFFFFFF, which is a position, not a failed seek.
TEST_F(PlaybackTest, PositionsAndSeeksReachPastFourGiB)
{
    constexpr uint64_t data = 34359738188ull;
    constexpr uint64_t seekTo = 0x1FFFFFFFFull - 44; // data * 25 / 100
    path = temp.makeFile("rec.tmp", 44 + data);
    std::vector<unsigned char> known(16000);
    for (size_t i = 0; i < known.size(); ++i) {
        known[i] = static_cast<unsigned char>((i * 13 + 5) & 0xFF);
    }
    {
        std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
        out.seekp(static_cast<std::streamoff>(44 + seekTo));
        out.write(reinterpret_cast<const char*>(known.data()),
                  static_cast<std::streamsize>(known.size()));
        ASSERT_TRUE(out.good());
    }
    OpenSourceFile(path.c_str());
    ASSERT_TRUE(IsSourceFileOpen());
    SmallFormat();
    EXPECT_EQ(Text(IDC_DURATION), "1193:02:47");

    UserSlider(Item(IDC_SLIDER), TB_THUMBPOSITION, 25);
    EXPECT_EQ(PlaybackState.readPos, seekTo);
    UserClick(Item(IDC_PLAY));
    Complete();
    EXPECT_TRUE(MessageBoxLog().empty());
    EXPECT_EQ(TestDevicePlayedBytes(),
              std::vector<unsigned char>(known.begin(), known.begin() + 8000));
    EXPECT_EQ(PlaybackState.playedPos, seekTo + 8000);
    EXPECT_EQ(SliderPos(), 25);

    // Near the end, 34 GB in: the slider follows and the last buffer ends playback.
    UserSlider(Item(IDC_SLIDER), TB_THUMBPOSITION, 99);
    PumpMessages();
    EXPECT_EQ(PlaybackState.playedPos, data / 100 * 99 + data % 100 * 99 / 100);
    UserSlider(Item(IDC_SLIDER), TB_THUMBPOSITION, 100);
    PumpMessages();
    ExpectIdleButtons();
    EXPECT_EQ(SliderPos(), 100);
    EXPECT_TRUE(MessageBoxLog().empty());
}

TEST_F(PlaybackTest, TheStripsMarkerMovesAsPlaybackMovesTheSlider)
{
    OpenData(100000);
    SmallFormat();
    const Picture before = StripPicture(Item(IDC_WAVEFORM));
    EXPECT_EQ(MarkerColumnOf(before), 1);
    UserClick(Item(IDC_PLAY));
    Complete(); // 8000 of 100000 bytes played: the slider stands at 8
    ASSERT_EQ(SliderPos(), 8);
    const Picture playing = StripPicture(Item(IDC_WAVEFORM));
    EXPECT_NEAR(MarkerColumnOf(playing), 1 + (before.width - 3) * 8 / 100.0, 1.0);
    // Only the marker's two columns changed: nothing else was drawn again differently.
    int changed = 0;
    for (int x = 0; x < before.width; ++x) {
        for (int y = 0; y < before.height; ++y) {
            if (before.at(x, y) != playing.at(x, y)) {
                ++changed;
                break;
            }
        }
    }
    EXPECT_EQ(changed, 2);
}
