// The owner window, temporary folder and OPENFILENAMEA record of the file-dialog tests.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/resources/test_resources.h"
#include "platform/testing/seams.h"
#include "support/temp_dir.h"

// Posted to the owner: cancels the real dialog up (where a flavour's seams can reach it).
inline constexpr UINT CancelTheFileDialog = WM_APP + 7;
inline int g_postsDelivered = 0;
inline void (*g_cancelTheFileDialog)() = nullptr;

inline INT_PTR OwnerProc(HWND, UINT message, WPARAM, LPARAM)
{
    if (message == CancelTheFileDialog) {
        ++g_postsDelivered;
        if (g_cancelTheFileDialog != nullptr) {
            g_cancelTheFileDialog();
        }
        return TRUE;
    }
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

// The open dialog's filter list of the program, as the string table yields it.
inline const char OpenFilter[] = "Quorbel temporary files (*.tmp)\0*.tmp\0All files (*.*)\0*.*\0";
inline const char SaveFilter[] = "Windows waveform (*.wav)\0*.wav\0All files (*.*)\0*.*\0";

class FileDialogTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        owner = CreateDialogParamA(&TestModule, MAKEINTRESOURCEA(IDD_OWNER), nullptr, OwnerProc, 0);
        ASSERT_NE(owner, nullptr);
        std::memset(file, 0, sizeof file);
        std::memset(&ofn, 0, sizeof ofn);
        ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
        ofn.hwndOwner = owner;
        ofn.lpstrFile = file;
        ofn.nMaxFile = MAX_PATH;
        ofn.lpstrInitialDir = directory.c_str();
    }
    void TearDown() override { DestroyWindow(owner); }

    void AsOpen(DWORD filterIndex)
    {
        ofn.lpstrFilter = OpenFilter;
        ofn.nFilterIndex = filterIndex;
        ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    }
    void AsSave(const std::string& proposed)
    {
        ofn.lpstrFilter = SaveFilter;
        std::strcpy(file, proposed.c_str());
        ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    }

    static FileDialogAnswer Choose(const std::string& path, DWORD filterIndex = 0,
                                   bool replace = true)
    {
        FileDialogAnswer answer;
        answer.choose = true;
        answer.path = path;
        answer.filterIndex = filterIndex;
        answer.replace = replace;
        return answer;
    }

    TempDir temp;
    std::string directory = temp.path();
    HWND owner = nullptr;
    char file[MAX_PATH];
    OPENFILENAMEA ofn;
};
