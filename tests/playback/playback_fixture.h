// The real main dialog playing through the test device, whose buffers come back only when
// a test releases them.
#pragma once

#include <cstdint>
#include <vector>

#include "core/wave_format.h"
#include "playback/playback_state.h"
#include "support/main_dialog_fixture.h"
#include "ui/open_source_file.h"

// Byte `position` of the data region of a file made by TempDir::makeFile.
inline unsigned char DataByte(uint64_t position)
{
    return static_cast<unsigned char>(((position + 44) * 7 + 3) & 0xFF);
}

inline std::vector<unsigned char> DataBytes(uint64_t from, uint64_t count)
{
    std::vector<unsigned char> bytes;
    for (uint64_t i = 0; i < count; ++i) {
        bytes.push_back(DataByte(from + i));
    }
    return bytes;
}

class PlaybackTest : public MainDialogTest {
  protected:
    void SetUp() override
    {
        MainDialogTest::SetUp();
        WaveOutUseTestDevice(true);
        PendingCommand = 0;
    }

    void TearDown() override
    {
        // Give the buffers back, so that leak checkers see every one freed.
        FaultClearAll();
        MessageBoxScriptClear();
        for (int round = 0; round < 4 && IsPlaying(); ++round) {
            StopAndDrain();
        }
        MainDialogTest::TearDown();
    }

    // Opens a file with `dataBytes` bytes behind the reserved region.
    void OpenData(uint64_t dataBytes)
    {
        path = temp.makeFile("rec.tmp", 44 + dataBytes);
        OpenSourceFile(path.c_str());
        ASSERT_TRUE(IsSourceFileOpen());
    }

    // 8000 Hz, 8-bit mono: one-second buffers of 8000 bytes.
    void SmallFormat()
    {
        UserPickComboRow(Item(IDC_RATE), 8);
        UserClick(Item(IDC_8BIT));
        UserClick(Item(IDC_MONO));
        ASSERT_EQ(CurrentFormat.nAvgBytesPerSec, 8000u);
    }

    // Plays `count` queued buffers to their end and delivers their completions; at the
    // natural end, also the wait for the device to play out.
    void Complete(int count = 1)
    {
        EXPECT_EQ(TestDeviceCompleteNext(count), count);
        PumpWhile([] { return PlaybackState.finishing != 0; });
    }

    void StopAndDrain()
    {
        UserClick(Item(IDC_STOP));
        PumpMessages();
    }

    int SliderPos() const
    {
        return static_cast<int>(SendMessageA(Item(IDC_SLIDER), TBM_GETPOS, 0, 0));
    }

    void ExpectIdleButtons()
    {
        EXPECT_FALSE(IsPlaying());
        EXPECT_TRUE(Enabled(IDC_PLAY));
        EXPECT_FALSE(Enabled(IDC_STOP));
        EXPECT_EQ(PlaybackState.outstanding, 0);
        EXPECT_EQ(PlaybackState.resetting, 0u);
        EXPECT_FALSE(TestDeviceIsOpen());
    }

    void ExpectPlayingButtons()
    {
        EXPECT_TRUE(IsPlaying());
        EXPECT_FALSE(Enabled(IDC_PLAY));
        EXPECT_TRUE(Enabled(IDC_STOP));
    }

    std::string path;
};
