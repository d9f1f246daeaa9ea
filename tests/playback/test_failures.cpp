#include "playback/fail_malloc.h"
#include "playback/playback_fixture.h"
#include "support/error_sentence.h"

#include <unistd.h>

namespace {

class PlaybackFailureTest : public PlaybackTest {
  protected:
    void SetUp() override
    {
        PlaybackTest::SetUp();
        OpenData(100000);
        SmallFormat();
        MessageBoxLogClear();
    }

    void ExpectOneErrorBox(const std::string& text)
    {
        ASSERT_EQ(MessageBoxLog().size(), 1u);
        EXPECT_EQ(LastBox().text, text);
        EXPECT_EQ(LastBox().type, static_cast<UINT>(MB_ICONERROR));
        EXPECT_EQ(LastBox().caption, "Salvorin");
        EXPECT_EQ(LastBox().owner, dialog);
    }
};

} // namespace

TEST_F(PlaybackFailureTest, NoAudioDeviceGivesOneClearBoxAndTheProgramCarriesOn)
{
    MessageBoxScriptSet({{IDOK, nullptr}});
    FaultInject("waveOutOpen", 1, MMSYSERR_NODRIVER);
    UserClick(Item(IDC_PLAY));
    ExpectOneErrorBox(ErrorSentence(ErrorKindMultimedia, MMSYSERR_NODRIVER,
                                    "There is no sound device or audio server to play on."));
    ExpectIdleButtons();
    EXPECT_EQ(PlaybackState.device, nullptr);
    EXPECT_EQ(FaultCallCount("waveOutClose"), 0);
    UserClick(Item(IDC_PLAY)); // and it can be tried again
    ExpectPlayingButtons();
}

TEST_F(PlaybackFailureTest, FailedStartClosesTheDeviceAndFreesTheBuffers)
{
    struct Case {
        const char* name;
        std::function<void()> arm;
        std::string text;
    };
    const Case cases[] = {
        {"first malloc", [] { FailMallocOfSize(8000, 1); },
         ErrorSentence(ErrorKindSystem, ERROR_OUTOFMEMORY,
                       "Memory ran out while the operation was under way.")},
        {"second malloc", [] { FailMallocOfSize(8000, 2); },
         ErrorSentence(ErrorKindSystem, ERROR_OUTOFMEMORY,
                       "Memory ran out while the operation was under way.")},
        {"prepare", [] { FaultInject("waveOutPrepareHeader", 2, MMSYSERR_NOMEM); },
         ErrorSentence(ErrorKindMultimedia, MMSYSERR_NOMEM,
                       "There is not enough memory to play sound.")},
        {"seek", [] { FaultInject("SetFilePointer", 1, ERROR_INVALID_HANDLE); },
         ErrorSentence(ErrorKindSystem, ERROR_INVALID_HANDLE,
                       "The file or object handle is not valid.")},
        {"write", [] { FaultInject("waveOutWrite", 1, MMSYSERR_INVALHANDLE); },
         ErrorSentence(ErrorKindMultimedia, MMSYSERR_INVALHANDLE,
                       "The sound device handle is not valid.")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MessageBoxLogClear();
        FaultClearAll();
        MessageBoxScriptSet({{IDOK, nullptr}});
        c.arm();
        UserClick(Item(IDC_PLAY));
        ExpectOneErrorBox(c.text);
        ExpectIdleButtons();
        EXPECT_EQ(FaultCallCount("waveOutClose"), 1);
    }
}

TEST_F(PlaybackFailureTest, FailedSecondHeaderLeavesOneBufferPlaying)
{
    MessageBoxScriptSet({{IDOK, nullptr}});
    FaultInject("ReadFile", 2, ERROR_READ_FAULT);
    UserClick(Item(IDC_PLAY));
    ASSERT_EQ(MessageBoxLog().size(), 1u);
    ExpectPlayingButtons();
    EXPECT_EQ(PlaybackState.outstanding, 1);
    EXPECT_EQ(PlaybackState.readPos, 8000u);
    // The other header is out of circulation until the next start.
    Complete();
    EXPECT_EQ(PlaybackState.outstanding, 1);
    Complete();
    Complete();
    EXPECT_EQ(TestDevicePlayedBytes(), DataBytes(0, 24000));
}

TEST_F(PlaybackFailureTest, FailedRefillsLeaveTheStateAndFinishLikeTheEnd)
{
    UserClick(Item(IDC_PLAY));
    MessageBoxScriptSet({{IDOK, nullptr}, {IDOK, nullptr}, {IDOK, nullptr}});
    FaultInject("SetFilePointer", 1, ERROR_INVALID_HANDLE);
    Complete();
    EXPECT_EQ(PlaybackState.readPos, 16000u);
    EXPECT_EQ(PlaybackState.outstanding, 1);
    FaultInject("waveOutWrite", 1, MMSYSERR_NOMEM);
    Complete(); // each failing attempt shows its own box; nothing is out: finish
    EXPECT_EQ(MessageBoxLog().size(), 2u);
    ExpectIdleButtons();
    EXPECT_EQ(PlaybackState.playedPos, 16000u);
    EXPECT_EQ(PlaybackState.readPos, 16000u);
}

TEST_F(PlaybackFailureTest, ACompletionWhileAnErrorBoxIsUpIsHandledAtOnce)
{
    UserClick(Item(IDC_PLAY));
    int outstandingDuringBox = -1;
    MessageBoxScriptSet({{IDOK, [&] {
                              Complete(); // the other buffer comes back and is refilled
                              outstandingDuringBox = PlaybackState.outstanding;
                          }}});
    FaultInject("ReadFile", 1, ERROR_READ_FAULT);
    Complete();
    ASSERT_EQ(MessageBoxLog().size(), 1u);
    EXPECT_EQ(outstandingDuringBox, 1);
    // The refill that failed did not end playback: the nested refill is out.
    ExpectPlayingButtons();
    EXPECT_EQ(PlaybackState.outstanding, 1);
    EXPECT_EQ(PlaybackState.playedPos, 16000u);
    Complete();
    EXPECT_EQ(TestDevicePlayedBytes(), DataBytes(0, 24000));
}

TEST_F(PlaybackFailureTest, FailedResetLetsTheQueuedBuffersPlayOutThenStops)
{
    UserClick(Item(IDC_PLAY));
    MessageBoxScriptSet({{IDOK, nullptr}});
    FaultInject("waveOutReset", 1, MMSYSERR_NOTSUPPORTED);
    UserClick(Item(IDC_STOP));
    ExpectOneErrorBox(ErrorSentence(ErrorKindMultimedia, MMSYSERR_NOTSUPPORTED,
                                    "The sound device does not support this operation."));
    EXPECT_EQ(PlaybackState.resetting, 1u);
    EXPECT_EQ(TestDeviceQueuedCount(), 2);
    Complete();
    ExpectPlayingButtons(); // counted down only: no refill, no advance
    EXPECT_EQ(PlaybackState.playedPos, 0u);
    EXPECT_EQ(TestDeviceQueuedCount(), 1);
    Complete();
    ExpectIdleButtons();
}

TEST_F(PlaybackFailureTest, FailedCloseIsShownAndTheDeviceCountsAsClosed)
{
    UserClick(Item(IDC_PLAY));
    MessageBoxScriptSet({{IDOK, nullptr}});
    FaultInject("waveOutUnprepareHeader", 1, MMSYSERR_INVALHANDLE, 2); // not shown
    FaultInject("waveOutClose", 1, MMSYSERR_HANDLEBUSY);
    StopAndDrain();
    ExpectOneErrorBox(ErrorSentence(ErrorKindMultimedia, MMSYSERR_HANDLEBUSY,
                                    "The sound device is busy with a call from another thread."));
    EXPECT_EQ(PlaybackState.device, nullptr);
    EXPECT_TRUE(Enabled(IDC_PLAY));
    EXPECT_EQ(FaultCallCount("waveOutUnprepareHeader"), 2);
}

TEST_F(PlaybackFailureTest, AFileCutWhilePlayingIsReportedAndItsStaleBytesNotPlayed)
{
#ifdef _WIN32
    GTEST_SKIP() << "no other opener can cut the file: Windows refuses it while the program "
                    "holds the file unshared";
#endif
    UserClick(Item(IDC_PLAY));
    ASSERT_EQ(truncate(path.c_str(), 44 + 20000), 0);
    MessageBoxScriptSet({{IDOK, nullptr}, {IDOK, nullptr}});
    Complete(); // refill of 16000..24000 finds only 4000 bytes
    ExpectOneErrorBox("The end of the file has been reached.");
    EXPECT_EQ(PlaybackState.readPos, 16000u);
    EXPECT_EQ(PlaybackState.outstanding, 1);
    Complete();
    ExpectIdleButtons();
    EXPECT_EQ(TestDevicePlayedBytes(), DataBytes(0, 16000));
}
