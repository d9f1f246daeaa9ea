// A main dialog built from its template, without a loop, for tests that act on it as the
// user would. Every test runs in its own process, so the program's state starts fresh.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "core/app_state.h"
#include "core/resource_ids.h"
#include "core/source_file.h"
#include "platform/testing/seams.h"
#include "support/temp_dir.h"
#include "ui/main_dialog.h"
#include "ui/resources/resources.h"

// Delivers messages, the timers' among them, while `busy` holds, for at most `limit`: for
// what the program does at the pace of its loop, such as the end of playback, which waits
// for the device to play what it holds.
inline void PumpWhile(const std::function<bool()>& busy,
                      std::chrono::milliseconds limit = std::chrono::milliseconds(3000))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    PumpMessages();
    while (busy() && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        PumpMessages();
    }
}

// What every test of the whole program starts and ends with: the program's resources, no
// boxes or dialogs on record, the system's sound device, no command waiting; and at the end,
// no script left and the source let go.
class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        InitCommonControls();
        ModuleInstance = &ResourceModule;
        WaveOutUseTestDevice(false);
        PendingCommand = 0;
    }

    void TearDown() override
    {
        FaultClearAll(); // before the source is closed: a fault left armed would keep it open
        CloseHandleVariable(&SourceFile.handle);
    }

    TempDir temp;
};

// The main dialog made from its template, without a loop of its own.
class MainDialogTest : public ProgramTest {
  protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        dialog = CreateDialogParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                    MainDialogProc, 0);
        ASSERT_NE(dialog, nullptr);
    }

    void TearDown() override
    {
        ProgramTest::TearDown();
        if (IsWindow(dialog)) {
            DestroyWindow(dialog);
        }
    }

    HWND Item(int id) const { return GetDlgItem(dialog, id); }

    std::string Text(HWND window) const
    {
        char buffer[512] = "";
        GetWindowTextA(window, buffer, sizeof buffer);
        return buffer;
    }
    std::string Text(int id) const { return Text(Item(id)); }
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    bool Visible(int id) const { return IsWindowVisible(Item(id)) != FALSE; }
    bool Checked(int id) const { return SendMessageA(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

    // The user's last message box, or an empty record.
    MessageBoxRecord LastBox() const
    {
        return MessageBoxLog().empty() ? MessageBoxRecord{} : MessageBoxLog().back();
    }

    HWND dialog = nullptr;
};
