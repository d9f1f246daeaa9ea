#include "playback/playback_fixture.h"

TEST_F(PlaybackTest, PlaysTheDataRegionInOneSecondBuffersAndReturnsToIdleAtTheEnd)
{
    OpenData(20000); // two and a half buffers
    SmallFormat();
    SetFocus(Item(IDC_PLAY));
    UserClick(Item(IDC_PLAY));
    ExpectPlayingButtons();
    EXPECT_EQ(GetFocus(), Item(IDC_STOP));
    EXPECT_EQ(TestDeviceQueuedCount(), 2);
    EXPECT_EQ(TestDeviceFormat().nAvgBytesPerSec, 8000u);

    Complete(); // the refill takes the last half second
    EXPECT_EQ(PlaybackState.playedPos, 8000u);
    EXPECT_EQ(SliderPos(), 40);
    EXPECT_EQ(TestDeviceQueuedCount(), 2);
    Complete(); // nothing left to refill: one buffer plays on
    ExpectPlayingButtons();
    EXPECT_EQ(PlaybackState.outstanding, 1);
    Complete();
    ExpectIdleButtons();
    EXPECT_EQ(GetFocus(), Item(IDC_PLAY));
    EXPECT_EQ(PlaybackState.playedPos, 20000u);
    EXPECT_EQ(SliderPos(), 100);
    EXPECT_EQ(TestDevicePlayedBytes(), DataBytes(0, 20000));
    EXPECT_TRUE(MessageBoxLog().empty());

    // Play again after the natural end starts from the beginning.
    UserClick(Item(IDC_PLAY));
    EXPECT_EQ(SliderPos(), 0);
    EXPECT_EQ(PlaybackState.readPos, 16000u);
    Complete();
    EXPECT_EQ(TestDevicePlayedBytes().size(), 28000u);
}

TEST_F(PlaybackTest, DataShorterThanOneBufferQueuesOnlyTheFirst)
{
    OpenData(100);
    SmallFormat();
    UserChooseMenuItem(dialog, IDM_PLAY);
    ExpectPlayingButtons();
    EXPECT_EQ(TestDeviceQueuedCount(), 1);
    Complete();
    ExpectIdleButtons();
    EXPECT_TRUE(MessageBoxLog().empty());
    EXPECT_EQ(TestDevicePlayedBytes(), DataBytes(0, 100));
}

TEST_F(PlaybackTest, StopDrainsBothBuffersThenPlayResumesAtTheBufferThatWasPlaying)
{
    OpenData(80000);
    SmallFormat();
    UserClick(Item(IDC_PLAY));
    Complete(); // 0..8000 played; 8000..16000 playing, 16000..24000 queued
    SetFocus(Item(IDC_STOP));
    UserClick(Item(IDC_STOP));
    EXPECT_EQ(PlaybackState.resetting, 1u);
    ExpectPlayingButtons(); // draining keeps the buttons until the last buffer is back
    EXPECT_EQ(TestDeviceQueuedCount(), 0);
    PumpMessages();
    ExpectIdleButtons();
    EXPECT_EQ(GetFocus(), Item(IDC_PLAY));
    EXPECT_EQ(PlaybackState.playedPos, 8000u); // reset buffers do not count as played

    UserClick(Item(IDC_PLAY));
    Complete();
    std::vector<unsigned char> expected = DataBytes(0, 8000);
    const std::vector<unsigned char> resumed = DataBytes(8000, 8000);
    expected.insert(expected.end(), resumed.begin(), resumed.end());
    EXPECT_EQ(TestDevicePlayedBytes(), expected);
}

TEST_F(PlaybackTest, StopWithOneBufferOutDrainsIt)
{
    OpenData(12000);
    SmallFormat();
    UserClick(Item(IDC_PLAY));
    Complete(); // the refill finds nothing: one buffer out
    ASSERT_EQ(PlaybackState.outstanding, 1);
    UserChooseMenuItem(dialog, IDM_STOP);
    PumpMessages();
    ExpectIdleButtons();
    EXPECT_EQ(FaultCallCount("waveOutClose"), 1);
}

TEST_F(PlaybackTest, DoubleStopResetsTwiceAndFinishesOnce)
{
    OpenData(80000);
    SmallFormat();
    UserClick(Item(IDC_PLAY));
    UserClick(Item(IDC_STOP));
    UserClick(Item(IDC_STOP));
    EXPECT_EQ(FaultCallCount("waveOutReset"), 2);
    PumpMessages();
    ExpectIdleButtons();
    EXPECT_EQ(FaultCallCount("waveOutClose"), 1);
    EXPECT_TRUE(MessageBoxLog().empty());
}

TEST_F(PlaybackTest, StopWhileIdleOnlySetsTheButtons)
{
    OpenData(1000);
    EnableWindow(Item(IDC_STOP), TRUE);
    SetFocus(Item(IDC_STOP));
    SendMessageA(dialog, WM_COMMAND, IDC_STOP, 0);
    ExpectIdleButtons();
    EXPECT_EQ(GetFocus(), Item(IDC_PLAY));
    EXPECT_EQ(FaultCallCount("waveOutReset"), 0);
    EXPECT_EQ(FaultCallCount("waveOutClose"), 0);
}

namespace {

constexpr UINT Watchdog = WM_APP + 1;
bool g_exitAfterClose = false;

// The main dialog's procedure, plus a watchdog message that goes round the queue until
// Exit arrives with the device closed; if that never happens it ends the dialog with 99.
INT_PTR WatchedMainDialog(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && LOWORD(wParam) == IDM_EXIT && !IsPlaying()) {
        g_exitAfterClose = true;
    }
    if (message == Watchdog) {
        if (g_exitAfterClose) {
            return TRUE; // the program's own EndDialog decides the result
        }
        if (wParam < 200) {
            PostMessageA(window, Watchdog, wParam + 1, 0);
        } else {
            EndDialog(window, 99);
        }
        return TRUE;
    }
    return MainDialogProc(window, message, wParam, lParam);
}

} // namespace

TEST_F(PlaybackTest, ExitWhilePlayingStopsThenEndsWithoutASecondQuestion)
{
    path = temp.makeFile("rec.tmp", 44 + 400000);
    MessageBoxScriptSet({{IDYES, nullptr}});
    UINT pendingAtStop = 0;
    bool playing = false;
    OnNextModalLoop([&](HWND running) {
        OpenSourceFile(path.c_str());
        UserClick(GetDlgItem(running, IDC_PLAY));
        playing = IsPlaying();
        UserChooseMenuItem(running, IDM_EXIT);
        pendingAtStop = PendingCommand;
        PostMessageA(running, Watchdog, 0, 0);
    });
    const INT_PTR result =
        DialogBoxParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, WatchedMainDialog, 0);
    EXPECT_TRUE(playing);
    EXPECT_EQ(pendingAtStop, static_cast<UINT>(IDM_EXIT));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(MessageBoxLog().size(), 1u);
    EXPECT_FALSE(IsPlaying());
    EXPECT_EQ(FaultCallCount("waveOutClose"), 1);
}
