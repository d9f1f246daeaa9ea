// What one file dialog was asked and what it gave: the real dialog fills it as it runs,
// and the testing library's log keeps it.
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"

enum class FileDialogCall { Open, Save };

struct FileDialogRecord {
    FileDialogCall call = FileDialogCall::Open;
    HWND owner = nullptr;
    std::vector<std::string> filter; // the lpstrFilter items in order (display, pattern, ...)
    DWORD filterIndex = 0;           // nFilterIndex on entry
    std::string initialDir;          // lpstrInitialDir ("" for null)
    std::string file;                // lpstrFile on entry (the proposed name)
    DWORD flags = 0;
    DWORD maxFile = 0;
    // Filled when the dialog ends.
    BOOL result = FALSE;
    DWORD error = 0;                   // CommDlgExtendedError after the call
    std::string chosen;                // the full path the user chose ("" if none)
    std::vector<std::string> refusals; // why a choice was refused inside the dialog, in order
};
