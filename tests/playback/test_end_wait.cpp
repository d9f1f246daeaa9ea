// The natural end of playback: the device closes only once its position has reached the
// bytes written (and a short settling time after), at the latest when the bound runs out;
// the loop runs on meanwhile, and whatever stops playback acts at once.
#include <chrono>

#include "playback/playback_engine.h"
#include "playback/playback_fixture.h"

namespace {

using std::chrono::milliseconds;

class EndWaitTest : public PlaybackTest {
  protected:
    // 12,000 bytes at 8000 bytes a second: both buffers come back and the wait begins,
    // with the test device's position `lag` bytes short of them.
    void PlayToTheLastReturn(uint64_t lag)
    {
        OpenData(12000);
        SmallFormat();
        TestDeviceSetPositionLag(lag);
        UserClick(Item(IDC_PLAY));
        ASSERT_EQ(TestDeviceCompleteNext(2), 2);
        PumpMessages();
        ASSERT_EQ(PlaybackState.outstanding, 0);
    }

    // The wait: the device open with nothing queued, the buttons still those of playing.
    void ExpectWaiting()
    {
        ExpectPlayingButtons();
        EXPECT_NE(PlaybackState.finishing, 0u);
        EXPECT_TRUE(TestDeviceIsOpen());
        EXPECT_EQ(PlaybackState.playedPos, 12000u);
    }
};

} // namespace

TEST_F(EndWaitTest, TheCloseWaitsForThePositionAndTheLoopRunsMeanwhile)
{
    PlayToTheLastReturn(2000); // a quarter of a second still in the device
    ExpectWaiting();
    // The loop goes on: a command is handled while the device plays out.
    UserSlider(Item(IDC_SLIDER), TB_THUMBTRACK, 30);
    EXPECT_EQ(PlaybackState.dragging, 1u);
    PumpWhile([] { return true; }, milliseconds(120));
    ExpectWaiting();

    TestDeviceSetPositionLag(0); // the device has played it all
    PumpWhile([] { return IsPlaying(); });
    ExpectIdleButtons();
    EXPECT_EQ(PlaybackState.finishing, 0u);
    EXPECT_EQ(TestDevicePlayedBytes(), DataBytes(0, 12000));
    EXPECT_TRUE(MessageBoxLog().empty());
    EXPECT_EQ(PendingCommand, 0u);
    // Its timers are gone: nothing more happens, and the next Play starts afresh.
    PumpWhile([] { return true; }, milliseconds(60));
    EXPECT_TRUE(MessageBoxLog().empty());
    UserClick(Item(IDC_PLAY));
    ExpectPlayingButtons();
    EXPECT_EQ(TestDeviceQueuedCount(), 2);
}

TEST_F(EndWaitTest, APositionThatHasArrivedClosesAfterTheSettlingTimeOnly)
{
    PlayToTheLastReturn(0);
    // Not at once: the messages now queued (the first poll included) leave it waiting.
    PumpMessages();
    ExpectWaiting();
    PumpWhile([] { return IsPlaying(); });
    ExpectIdleButtons();
    EXPECT_FALSE(TestDeviceIsOpen());
}

// A device that never reports its progress, or whose position call fails, holds the
// program no longer than the bound: half a second here, where 1.5 s are left to play.
TEST_F(EndWaitTest, TheBoundEndsTheWaitWhenTheDeviceNeverReports)
{
    for (const bool failing : {false, true}) {
        SCOPED_TRACE(failing ? "waveOutGetPosition fails" : "the position stays at 0");
        PlayToTheLastReturn(failing ? 0 : UINT64_MAX);
        ExpectWaiting();
        // Polled several times and still waiting (a slow machine only waits longer), then
        // closed by the bound, long before the 1.5 s left to play (PumpWhile gives up at 3 s).
        PumpWhile([] { return true; }, milliseconds(60));
        ExpectWaiting();
        PumpWhile([] { return IsPlaying(); });
        ExpectIdleButtons();
        EXPECT_FALSE(TestDeviceIsOpen());
        EXPECT_TRUE(MessageBoxLog().empty()); // the position's failure is not the user's
        CloseHandleVariable(&SourceFile.handle);
        WaveOutUseTestDevice(true);
        FaultInject("waveOutGetPosition", 1, MMSYSERR_NODRIVER, 1000);
    }
}

// Stop closes at once; when the reset fails, after its box (whose loop the wait's timers
// no longer reach), and the next Play is not taken for a drain.
TEST_F(EndWaitTest, StopDuringTheWaitResetsAndClosesAtOnce)
{
    for (const bool resetFails : {false, true}) {
        SCOPED_TRACE(resetFails ? "the reset fails" : "the reset succeeds");
        PlayToTheLastReturn(UINT64_MAX);
        if (resetFails) {
            FaultInject("waveOutReset", 1, MMSYSERR_NOMEM);
            MessageBoxScriptSet(
                {{IDOK, [] { PumpWhile([] { return true; }, milliseconds(600)); }}});
        }
        SetFocus(Item(IDC_STOP));
        UserClick(Item(IDC_STOP));
        ExpectIdleButtons(); // no message needed: the close is immediate
        if (!resetFails) {
            // (After a box the system may hand the focus back later.)
            EXPECT_EQ(GetFocus(), Item(IDC_PLAY));
        }
        EXPECT_EQ(PendingCommand, 0u);
        EXPECT_EQ(MessageBoxLog().size(), resetFails ? 1u : 0u);
        PumpWhile([] { return true; }, milliseconds(60));
        EXPECT_EQ(MessageBoxLog().size(), resetFails ? 1u : 0u);
        UserClick(Item(IDC_PLAY));
        Complete(); // a buffer that played, not one returned by a reset
        EXPECT_EQ(PlaybackState.playedPos, 8000u);
        StopAndDrain();
        CloseHandleVariable(&SourceFile.handle);
        WaveOutUseTestDevice(true);
        FaultClearAll();
    }
}

// Open while the device plays out: it stops at once, and Open runs after the close, as
// after any other stop.
TEST_F(EndWaitTest, ADeferredCommandDuringTheWaitRunsAfterTheClose)
{
    const std::string other = temp.makeFile("other.tmp", 44 + 4000);
    PlayToTheLastReturn(UINT64_MAX);
    FileDialogAnswer answer;
    answer.choose = true;
    answer.path = other;
    FileDialogScriptSet({answer});
    MessageBoxScriptSet({{IDYES, nullptr}});
    UserChooseMenuItem(dialog, IDM_OPEN);
    EXPECT_FALSE(IsPlaying());
    EXPECT_FALSE(TestDeviceIsOpen());
    EXPECT_EQ(PendingCommand, static_cast<UINT>(IDM_OPEN));
    PumpMessages();
    EXPECT_EQ(PendingCommand, 0u);
    EXPECT_STREQ(SourceFile.path, other.c_str());
}

// A seek during the wait plays on from there; a format change ends it as a stop does.
TEST_F(EndWaitTest, ASeekPlaysOnAndAFormatChangeStops)
{
    PlayToTheLastReturn(UINT64_MAX);
    UserSlider(Item(IDC_SLIDER), TB_THUMBPOSITION, 50);
    ExpectPlayingButtons();
    EXPECT_EQ(PlaybackState.finishing, 0u);
    EXPECT_EQ(TestDeviceQueuedCount(), 1);
    TestDeviceSetPositionLag(0);
    Complete();
    ExpectIdleButtons();
    EXPECT_EQ(TestDevicePlayedBytes().size(), 12000u + 6000u);

    UserClick(Item(IDC_PLAY));
    ASSERT_EQ(TestDeviceCompleteNext(2), 2);
    PumpMessages();
    ASSERT_NE(PlaybackState.finishing, 0u);
    UserClick(Item(IDC_16BIT));
    ExpectIdleButtons();
    EXPECT_EQ(TestDeviceQueuedCount(), 0);
}

// Without its timers the wait could not end: the device closes at once, as it did before.
TEST_F(EndWaitTest, ATimerThatCannotBeMadeClosesAtOnce)
{
    for (int nth = 1; nth <= 2; ++nth) {
        SCOPED_TRACE(nth);
        OpenData(12000);
        SmallFormat();
        TestDeviceSetPositionLag(UINT64_MAX);
        UserClick(Item(IDC_PLAY));
        FaultInject("SetTimer", nth, ERROR_OUTOFMEMORY);
        ASSERT_EQ(TestDeviceCompleteNext(2), 2);
        PumpMessages();
        ExpectIdleButtons();
        EXPECT_EQ(PlaybackState.finishing, 0u);
        EXPECT_TRUE(MessageBoxLog().empty());
        FaultClearAll();
        CloseHandleVariable(&SourceFile.handle);
    }
}
