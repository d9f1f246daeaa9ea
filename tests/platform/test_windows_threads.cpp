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
    MessageBoxScriptSet({{IDNO, nullptr}});
    int answer = 0;
    char title[32] = "";
    OnNextModalLoop([&](HWND dialog) {
        worker_ = std::thread([&, dialog] {
            HWND bar = GetDlgItem(dialog, IDC_BAR);
            SendMessageA(bar, PBM_SETRANGE32, 0, 100);
            SendMessageA(bar, PBM_SETSTEP, 1, 0);
            for (int i = 0; i < 100; ++i) {
                EXPECT_EQ(SendMessageA(bar, PBM_STEPIT, 0, 0), i);
            }
            GetWindowTextA(dialog, title, sizeof title);
            answer = MessageBoxA(dialog, "Stop saving?", "Salvorin", MB_YESNO | MB_ICONQUESTION);
            EXPECT_TRUE(PostMessageA(dialog, WM_STEP, 0, 0));
            EXPECT_TRUE(EndDialog(dialog, 9));
        });
    });
    EXPECT_EQ(RunModal(IDD_SAVING), 9);
    worker_.join();
    EXPECT_EQ(answer, IDNO);
    EXPECT_STREQ(title, "Saving");
    ASSERT_EQ(MessageBoxLog().size(), 1u);
    EXPECT_EQ(MessageBoxLog()[0].text, "Stop saving?");
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
