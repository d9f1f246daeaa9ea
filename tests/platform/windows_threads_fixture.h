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
        return DialogBoxParamA(&TestModule, MAKEINTRESOURCEA(id), parent, RecordingProc, 0);
    }

    std::thread worker_;
};
