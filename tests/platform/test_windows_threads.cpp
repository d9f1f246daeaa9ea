// Windows used from other threads and from nested loops: posted messages, EndDialog and
// cross-thread SendMessageA/MessageBoxA carried to the GUI thread.
#include "platform/windows_threads_fixture.h"

namespace {

TEST_F(WindowsThreads, AWorkerDrivesAModalDialog)
{
    // (Whether a message posted before EndDialog still arrives: test_windows_threads_linux.cpp.)
    g_handler = [](HWND, UINT message, WPARAM, LPARAM) -> INT_PTR {
        return message == WM_INITDIALOG || message == WM_STEP;
    };
    RunSavingFromAnotherThread();
}

TEST_F(WindowsThreads, PostedMessagesArriveWhileAScriptedBoxIsUp)
{
    HWND dialog =
        CreateDialogParamA(&TestModule, MAKEINTRESOURCEA(IDD_SAVING), nullptr, RecordingProc, 0);
    ASSERT_NE(dialog, nullptr);
    size_t deliveredInside = 0;
    MessageBoxScriptSet({{IDYES, [&] {
                              std::thread poster(
                                  [dialog] { EXPECT_TRUE(PostMessageA(dialog, WM_STEP, 11, 22)); });
                              poster.join();
                              EXPECT_EQ(CountOf(WM_STEP), 0u); // queued, not sent
                              PumpMessages();
                              deliveredInside = CountOf(WM_STEP);
                          }}});
    EXPECT_EQ(MessageBoxA(dialog, "Overwrite?", "Salvorin", MB_YESNO | MB_ICONWARNING), IDYES);
    EXPECT_EQ(deliveredInside, 1u);
    ASSERT_EQ(g_messages.size(), 1u);
    EXPECT_EQ(g_messages[0].wParam, 11u);
    EXPECT_EQ(g_messages[0].lParam, 22);
    DestroyWindow(dialog);
}

TEST_F(WindowsThreads, NestedModalLoopsDeliverPostedMessages)
{
    HWND main =
        CreateDialogParamA(&TestModule, MAKEINTRESOURCEA(IDD_SAVING), nullptr, RecordingProc, 0);
    ASSERT_NE(main, nullptr);
    INT_PTR nestedResult = 0;
    g_handler = [&](HWND window, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
        if (message == WM_STEP && wParam == 1) {
            // A modal dialog opened from a posted message: its loop must deliver the next one.
            nestedResult = RunModal(IDD_QUESTION, window);
        } else if (message == WM_STEP && wParam == 2) {
            EndDialog(ActiveModalDialog(), 3);
        }
        return message == WM_INITDIALOG;
    };
    worker_ = std::thread([main] {
        EXPECT_TRUE(PostMessageA(main, WM_STEP, 1, 0));
        EXPECT_TRUE(PostMessageA(main, WM_STEP, 2, 0));
    });
    worker_.join();
    PumpMessages();
    EXPECT_EQ(nestedResult, 3);
    ASSERT_EQ(g_messages.size(), 2u);
    EXPECT_EQ(g_messages[1].wParam, 2u);
    EXPECT_NE(g_messages[1].modal, nullptr); // it arrived inside the nested loop
    DestroyWindow(main);
}

TEST_F(WindowsThreads, MessagesForADestroyedWindowAreDropped)
{
    HWND dialog =
        CreateDialogParamA(&TestModule, MAKEINTRESOURCEA(IDD_SAVING), nullptr, RecordingProc, 0);
    ASSERT_NE(dialog, nullptr);
    worker_ = std::thread([dialog] { EXPECT_TRUE(PostMessageA(dialog, WM_STEP, 0, 0)); });
    worker_.join();
    EXPECT_TRUE(PostMessageA(dialog, WM_STEP, 1, 0));
    ASSERT_TRUE(DestroyWindow(dialog));
    PumpMessages();
    EXPECT_EQ(CountOf(WM_STEP), 0u);
    EXPECT_FALSE(PostMessageA(dialog, WM_STEP, 2, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

} // namespace
