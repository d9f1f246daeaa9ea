// The worker alone over a Saving dialog without a loop: the bar and the target as the
// dialog thread finds them when the worker ends the dialog.
#include "support/save_fixture.h"

#include "save/save_as.h"

namespace {

int ProgressMessages = 0;

// The Saving dialog without its start: the progress it is told is handled by the real
// procedure, and counted.
INT_PTR QuietProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPY_PROGRESS || message == WM_TIMER) {
        ProgressMessages += message == WM_COPY_PROGRESS ? 1 : 0;
        return SavingDialogProc(dialog, message, wParam, lParam);
    }
    return FALSE;
}

class CopyWorkerTest : public SaveTest {
  protected:
    HWND StartCopy(const std::string& target)
    {
        HWND saving =
            CreateDialogParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_SAVING), dialog, QuietProc, 0);
        EXPECT_NE(saving, nullptr);
        EXPECT_NE(SetFilePointer(SourceFile.handle, 44, nullptr, FILE_BEGIN),
                  INVALID_SET_FILE_POINTER);
        CopyTargetHandle = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(CopyTargetHandle, INVALID_HANDLE_VALUE);
        CopyCancelFlag.store(0);
        CopyDoneFlag.store(0);
        CopyProgressPosted.store(0);
        ProgressMessages = 0;
        return saving;
    }

    // Runs the worker on its own thread while this one delivers what it sends and posts.
    static void RunWorker(HWND saving)
    {
        HANDLE thread = CreateThread(nullptr, 0, CopyWorker, saving, 0, nullptr);
        ASSERT_NE(thread, nullptr);
        while (WaitForSingleObject(thread, 0) == WAIT_TIMEOUT) {
            PumpMessages();
        }
        CloseHandle(thread);
        PumpUntilShown();
    }

    // Delivers messages until the dialog has shown the last position (its pause after a
    // progress message is over), for at most two seconds.
    static void PumpUntilShown()
    {
        PumpMessages();
        for (int i = 0; i < 2000 && CopyProgressPosted.load() != 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            PumpMessages();
        }
    }
};

TEST_F(CopyWorkerTest, TheBarEndsFullWhateverTheChunkCount)
{
    // Two whole data blocks (range 3); one chunk more than the bar has steps (range 1);
    // the smallest file (range 1); 300 blocks and a bit.
    for (uint64_t size : {uint64_t{2 * CopyChunkSize + 44}, uint64_t{CopyChunkSize + 6},
                          uint64_t{48}, uint64_t{19660850}}) {
        SCOPED_TRACE(size);
        OpenSource("cap" + std::to_string(size) + ".tmp", size);
        const std::string target = temp.file("out" + std::to_string(size) + ".wav");
        HWND saving = StartCopy(target);
        RunWorker(saving);
        EXPECT_EQ(CopyDoneFlag.load(), 1u);
        HWND bar = GetDlgItem(saving, IDC_SAVING_PROGRESS);
        const uint32_t high = ProgressRangeHigh(SourceFile.effectiveLength);
        EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), static_cast<LRESULT>(high));
        EXPECT_EQ(SendMessageA(bar, PBM_SETRANGE32, 0, 100000), MAKELONG(0, high));
        CloseHandleVariable(&CopyTargetHandle);
        EXPECT_EQ(ReadWholeFile(target), ExpectedWav());
        DestroyWindow(saving);
        CloseHandleVariable(&SourceFile.handle);
    }
}

TEST_F(CopyWorkerTest, TheWorkerNeverWaitsForTheDialogAndQueuesOneProgressMessage)
{
    // The dialog thread handles nothing until the copy of 300 chunks is done: the worker
    // copies to the end all the same, and only one progress message waits, which sets the
    // bar to the last position. A worker that waited for the dialog would stop at its first
    // wait. (Ending the dialog itself may wait for the dialog thread, as on Windows.)
    OpenSource("cap.tmp", 19660850);
    const std::string target = temp.file("out.wav");
    HWND saving = StartCopy(target);
    HANDLE thread = CreateThread(nullptr, 0, CopyWorker, saving, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    for (int i = 0; i < 60000 && CopyDoneFlag.load() == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(CopyDoneFlag.load(), 1u);
    EXPECT_EQ(ProgressMessages, 0);
    while (WaitForSingleObject(thread, 0) == WAIT_TIMEOUT) {
        PumpMessages();
    }
    CloseHandle(thread);
    PumpUntilShown();
    EXPECT_EQ(ProgressMessages, 1);
    EXPECT_EQ(SendMessageA(GetDlgItem(saving, IDC_SAVING_PROGRESS), PBM_GETPOS, 0, 0),
              static_cast<LRESULT>(ProgressRangeHigh(SourceFile.effectiveLength)));
    CloseHandleVariable(&CopyTargetHandle);
    EXPECT_EQ(ReadWholeFile(target), ExpectedWav());
    DestroyWindow(saving);
}

TEST_F(CopyWorkerTest, ACancelBeforeTheFirstChunkWritesNothing)
{
    OpenSource("cap.tmp", 200000);
    HWND saving = StartCopy(temp.file("out.wav"));
    // The dialog's Cancel as the procedure handles it, before the worker's first test.
    CopyCancelFlag.store(1);
    EXPECT_EQ(CopyWorker(saving), 0u);
    EXPECT_EQ(CopyDoneFlag.load(), 0u);
    EXPECT_EQ(SizeOf(temp.file("out.wav")), 0u);
    CloseHandleVariable(&CopyTargetHandle);
    DestroyWindow(saving);
}

TEST_F(CopyWorkerTest, SavingDialogProcedureOnlySetsTheCancelFlag)
{
    // Every command is handled and only IDCANCEL cancels; the dialog does not end itself.
    CopyCancelFlag.store(0);
    EXPECT_EQ(SavingDialogProc(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0), TRUE);
    EXPECT_EQ(CopyCancelFlag.load(), 0u);
    EXPECT_EQ(SavingDialogProc(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0), TRUE);
    EXPECT_EQ(CopyCancelFlag.load(), 1u);
    EXPECT_EQ(SavingDialogProc(dialog, WM_CLOSE, 0, 0), FALSE);
    EXPECT_TRUE(IsWindow(dialog));
}

} // namespace
