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
    RunSavingFromAnotherThread();
    EXPECT_EQ(positionAtStep, 100); // posted before EndDialog: delivered before the loop ends
}

} // namespace
