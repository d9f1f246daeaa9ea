#include "playback/playback_fixture.h"

TEST_F(PlaybackTest, FormatChangeRestartsInTheNewFormatAtTheRealignedPosition)
{
    OpenData(1000004);
    UserClick(Item(IDC_8BIT));
    UserClick(Item(IDC_MONO)); // 44100 Hz 8-bit mono: block align 1
    UserSlider(Item(IDC_SLIDER), TB_THUMBPOSITION, 37);
    ASSERT_EQ(PlaybackState.playedPos, 370001u);
    UserClick(Item(IDC_PLAY));
    EXPECT_EQ(PlaybackState.readPos, 370001u + 2 * 44100u);

    UserClick(Item(IDC_16BIT)); // before any buffer has come back
    EXPECT_EQ(PlaybackState.formatChangePending, 1u);
    EXPECT_EQ(PlaybackState.readPos, 370000u);
    PumpMessages();
    ExpectPlayingButtons();
    EXPECT_EQ(PlaybackState.formatChangePending, 0u);
    EXPECT_EQ(TestDeviceFormat().wBitsPerSample, 16);
    EXPECT_EQ(TestDeviceFormat().nBlockAlign, 2);
    EXPECT_EQ(PlaybackState.bufferSize, 88200u);
    EXPECT_EQ(PlaybackState.playedPos, 370001u);
    EXPECT_EQ(PlaybackState.readPos, 370000u + 2 * 88200u);
    EXPECT_EQ(FaultCallCount("waveOutClose"), 1);
    Complete();
    EXPECT_EQ(TestDevicePlayedBytes(), DataBytes(370000, 88200));
    EXPECT_EQ(PlaybackState.playedPos, 370001u + 88200u);
}

TEST_F(PlaybackTest, FormatChangeWhileIdleOnlyAlignsTheNextStart)
{
    OpenData(100000);
    SmallFormat();
    UserSlider(Item(IDC_SLIDER), TB_THUMBPOSITION, 37); // 37000
    PlaybackState.playedPos = 37001;
    UserClick(Item(IDC_16BIT));
    EXPECT_EQ(PlaybackState.formatChangePending, 0u);
    EXPECT_EQ(FaultCallCount("waveOutOpen"), 0);
    UserClick(Item(IDC_PLAY));
    Complete();
    EXPECT_EQ(TestDevicePlayedBytes(), DataBytes(37000, 16000));
}
