#include "support/main_dialog_fixture.h"

#include "playback/playback_state.h"
#include "ui/open_source_file.h"

namespace {

constexpr UINT StillRunning = WM_APP + 1;
constexpr INT_PTR EndedByTheTest = 99;

// The main dialog's procedure, plus a way for the test to end the dialog when the
// program did not: a result of 99 means the program left it running.
INT_PTR TestProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == StillRunning) {
        EndDialog(window, EndedByTheTest);
        return TRUE;
    }
    return MainDialogProc(window, message, wParam, lParam);
}

// Runs the main dialog modally, does `act` inside its loop, and returns the dialog's result.
INT_PTR RunMainDialog(const std::function<void(HWND)>& act, const char* path = nullptr)
{
    OnNextModalLoop([&](HWND dialog) {
        if (path != nullptr) {
            OpenSourceFile(path);
        }
        act(dialog);
        PostMessageA(dialog, StillRunning, 0, 0);
    });
    return DialogBoxParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, TestProc, 0);
}

class ExitTest : public ::testing::Test {
  protected:
    void SetUp() override { ModuleInstance = &ResourceModule; }
    void TearDown() override
    {
        CloseHandleVariable(&SourceFile.handle);
        PlaybackState.device = nullptr;
    }
    TempDir temp;
};

} // namespace

TEST_F(ExitTest, WithoutAFileExitEndsAtOnceWithoutAQuestion)
{
    EXPECT_EQ(RunMainDialog([](HWND d) { UserChooseMenuItem(d, IDM_EXIT); }), 0);
    EXPECT_TRUE(MessageBoxLog().empty());
    EXPECT_FALSE(IsWindow(MainDialogWindow));
}

TEST_F(ExitTest, TheCloseBoxActsAsExit)
{
    EXPECT_EQ(RunMainDialog([](HWND d) { UserCloseWindow(d); }), 0);
    EXPECT_TRUE(MessageBoxLog().empty());
}

TEST_F(ExitTest, EscapeDoesNothing)
{
    EXPECT_EQ(RunMainDialog([](HWND d) { UserPressKey(d, PlatformKeyEscape); }), EndedByTheTest);
    EXPECT_TRUE(MessageBoxLog().empty());
}

TEST_F(ExitTest, WithAFileExitAsksAndNoKeepsEverything)
{
    const std::string path = temp.makeFile("a.tmp", 1000);
    MessageBoxScriptSet({{IDNO, nullptr}});
    EXPECT_EQ(RunMainDialog([](HWND d) { UserChooseMenuItem(d, IDM_EXIT); }, path.c_str()),
              EndedByTheTest);
    ASSERT_EQ(MessageBoxLog().size(), 1u);
    EXPECT_EQ(MessageBoxLog()[0].text, "Do you want to quit?");
    EXPECT_EQ(MessageBoxLog()[0].type, 36u);
    EXPECT_TRUE(IsSourceFileOpen());
}

TEST_F(ExitTest, WithAFileYesEndsTheProgram)
{
    const std::string path = temp.makeFile("a.tmp", 1000);
    MessageBoxScriptSet({{IDYES, nullptr}});
    EXPECT_EQ(RunMainDialog([](HWND d) { UserCloseWindow(d); }, path.c_str()), 0);
    EXPECT_EQ(MessageBoxLog().size(), 1u);
}

TEST_F(ExitTest, AboutBoxOwnsErrorBoxesWhileItIsUp)
{
    HWND about = nullptr;
    HWND ownerDuring = nullptr;
    std::string title;
    RunMainDialog([&](HWND d) {
        OnNextModalLoop([&](HWND box) {
            about = box;
            ownerDuring = CurrentOwnerWindow;
            char text[64] = "";
            GetWindowTextA(box, text, sizeof text);
            title = text;
            UserPressKey(box, PlatformKeyEscape);
        });
        UserChooseMenuItem(d, IDM_ABOUT);
        EXPECT_EQ(CurrentOwnerWindow, d);
        // Enter (the OK button) and the close box end it too.
        OnNextModalLoop([](HWND box) { UserPressKey(box, PlatformKeyEnter); });
        UserChooseMenuItem(d, IDM_ABOUT);
        OnNextModalLoop([](HWND box) { UserCloseWindow(box); });
        UserChooseMenuItem(d, IDM_ABOUT);
        EXPECT_EQ(CurrentOwnerWindow, d);
        EndDialog(d, 0);
    });
    EXPECT_NE(about, nullptr);
    EXPECT_EQ(ownerDuring, about);
    EXPECT_EQ(title, "About Salvorin");
}

// Exit while the device plays out the end of the sound: the stop is at once, and the Exit
// it deferred comes back and ends the program.
TEST_F(ExitTest, ExitWhileTheEndPlaysOutEndsTheProgram)
{
    const std::string path = temp.makeFile("a.tmp", 44 + 8000);
    WaveOutUseTestDevice(true);
    TestDeviceSetPositionLag(UINT64_MAX); // a device that would hold the wait to its bound
    MessageBoxScriptSet({{IDYES, nullptr}});
    EXPECT_EQ(RunMainDialog(
                  [](HWND d) {
                      UserClick(GetDlgItem(d, IDC_PLAY));
                      EXPECT_EQ(TestDeviceCompleteNext(1), 1);
                      PumpMessages();
                      EXPECT_NE(PlaybackState.finishing, 0u);
                      UserChooseMenuItem(d, IDM_EXIT);
                      EXPECT_FALSE(TestDeviceIsOpen());
                      PumpMessages(); // the Exit that comes back
                  },
                  path.c_str()),
              0);
    WaveOutUseTestDevice(false);
}
