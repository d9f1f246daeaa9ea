// The dialogs, recording procedure and worker thread of the tests of windows used from other
// threads and from nested loops.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

#include "platform/resources/test_resources.h"
#include "platform/testing/seams.h"
#include "platform/win32.h"

enum { WM_STEP = WM_APP + 1 };

struct Message {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    HWND modal; // the modal dialog running when it arrived
};

inline std::vector<Message> g_messages;
inline std::function<INT_PTR(HWND, UINT, WPARAM, LPARAM)> g_handler;

inline INT_PTR RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= WM_APP) {
        g_messages.push_back({window, message, wParam, lParam, ActiveModalDialog()});
    }
    if (g_handler) {
        return g_handler(window, message, wParam, lParam);
    }
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

inline size_t CountOf(UINT message)
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
    }
    void TearDown() override
    {
        if (worker_.joinable()) {
            worker_.join();
        }
        PumpMessages();
        g_handler = nullptr;
    }

    INT_PTR RunModal(int id, HWND parent = nullptr)
    {
        return DialogBoxParamA(&TestModule, MAKEINTRESOURCEA(id), parent, RecordingProc, 0);
    }

    // The Saving dialog run modally while another thread steps its bar to the end, reads its
    // title, asks "Stop saving?" (answered No), posts WM_STEP and ends the dialog with 9.
    void RunSavingFromAnotherThread()
    {
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
                answer =
                    MessageBoxA(dialog, "Stop saving?", "Salvorin", MB_YESNO | MB_ICONQUESTION);
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

    std::thread worker_;
};
