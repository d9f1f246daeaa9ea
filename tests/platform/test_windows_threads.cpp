// Windows used from other threads and from nested loops: posted messages, EndDialog and
// cross-thread SendMessageA/MessageBoxA carried to the GUI thread.
#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

#include "platform/testing/seams.h"
#include "platform/win32.h"

namespace {

enum { IDD_SAVING = 110, IDD_QUESTION = 111, IDC_BAR = 1100, WM_STEP = WM_APP + 1 };

const DLGITEM_DATA kSavingItems[] = {
    {"static", "Saving...", -1, 7, 7, 120, 8, SS_LEFT | WS_VISIBLE, 0},
    {"msctls_progress32", "", IDC_BAR, 7, 20, 120, 10, PBS_SMOOTH | WS_VISIBLE, 0},
    {"button", "Cancel", IDCANCEL, 77, 36, 50, 14, BS_PUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 0},
};
const DLGITEM_DATA kQuestionItems[] = {
    {"button", "OK", IDOK, 7, 7, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 0},
};
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_VISIBLE;
const DLGTEMPLATE_DATA kDialogs[] = {
    {IDD_SAVING, kStyle | DS_CENTER, 0, 0, 0, 134, 56, "Saving", "MS Sans Serif", 8, 0,
     kSavingItems, static_cast<int>(std::size(kSavingItems))},
    {IDD_QUESTION, kStyle, 0, 20, 20, 64, 28, "Question", "MS Sans Serif", 8, 0, kQuestionItems,
     static_cast<int>(std::size(kQuestionItems))},
};
const RESOURCE_MODULE kModule = {
    kDialogs, static_cast<int>(std::size(kDialogs)), nullptr, 0, nullptr, 0, nullptr, 0};

struct Message {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    HWND modal; // the modal dialog running when it arrived
};

std::vector<Message> g_messages;
std::function<INT_PTR(HWND, UINT, WPARAM, LPARAM)> g_handler;

INT_PTR RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= WM_APP) {
        g_messages.push_back({window, message, wParam, lParam, ActiveModalDialog()});
    }
    if (g_handler) {
        return g_handler(window, message, wParam, lParam);
    }
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

size_t CountOf(UINT message)
{
    size_t count = 0;
    for (const Message& m : g_messages) {
        count += m.message == message ? 1 : 0;
    }
    return count;
}

class WindowsThreads : public ::testing::Test {
  protected:
    void SetUp() override
    {
        g_messages.clear();
        g_handler = nullptr;
        MessageBoxLogClear();
        MessageBoxScriptClear();
    }
    void TearDown() override
    {
        if (worker_.joinable()) {
            worker_.join();
        }
        PumpMessages();
        g_handler = nullptr;
        MessageBoxScriptClear();
    }

    INT_PTR RunModal(int id, HWND parent = nullptr)
    {
        return DialogBoxParamA(&kModule, MAKEINTRESOURCEA(id), parent, RecordingProc, 0);
    }

    std::thread worker_;
};

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

TEST_F(WindowsThreads, AWorkerDrivesAModalDialog)
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

TEST_F(WindowsThreads, PostedMessagesArriveWhileAScriptedBoxIsUp)
{
    HWND dialog =
        CreateDialogParamA(&kModule, MAKEINTRESOURCEA(IDD_SAVING), nullptr, RecordingProc, 0);
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
        CreateDialogParamA(&kModule, MAKEINTRESOURCEA(IDD_SAVING), nullptr, RecordingProc, 0);
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
        CreateDialogParamA(&kModule, MAKEINTRESOURCEA(IDD_SAVING), nullptr, RecordingProc, 0);
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
