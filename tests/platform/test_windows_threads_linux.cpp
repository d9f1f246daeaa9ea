// What only the Linux flavour promises of windows used from other threads: its EndDialog
// does not wait for the dialog's thread (Win32's sends to it, so a GUI thread that waits for
// the caller deadlocks), and its modal loop delivers what was posted before EndDialog.
#include "platform/windows_threads_fixture.h"

namespace {

TEST_F(WindowsThreads, EndDialogFromAnotherThreadBeforeTheLoopStarts)
{
    g_handler = [](HWND dialog, UINT message, WPARAM, LPARAM) -> INT_PTR {
        if (message == WM_INITDIALOG) {
            std::thread ender([dialog] { EXPECT_TRUE(EndDialog(dialog, 5)); });
            ender.join();
        }
        return message == WM_INITDIALOG;
    };
    EXPECT_EQ(RunModal(IDD_SAVING), 5);
    EXPECT_EQ(ActiveModalDialog(), nullptr);
}

TEST_F(WindowsThreads, AMessagePostedBeforeEndDialogIsDelivered)
{
    LRESULT positionAtStep = -1;
    g_handler = [&](HWND dialog, UINT message, WPARAM, LPARAM) -> INT_PTR {
        if (message == WM_STEP) {
            positionAtStep = SendMessageA(GetDlgItem(dialog, IDC_BAR), PBM_GETPOS, 0, 0);
            return TRUE;
        }
        return message == WM_INITDIALOG;
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
    EXPECT_EQ(positionAtStep, 100); // posted before EndDialog: delivered before the loop ends
    EXPECT_EQ(answer, IDNO);
    EXPECT_STREQ(title, "Saving");
    ASSERT_EQ(MessageBoxLog().size(), 1u);
    EXPECT_EQ(MessageBoxLog()[0].text, "Stop saving?");
}

} // namespace
