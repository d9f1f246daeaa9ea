#include "ui/open_command.h"

#include <cstring>

#include "core/app_state.h"
#include "core/error_info.h"
#include "core/file_dialog_rules.h"
#include "core/resource_ids.h"
#include "core/source_file.h"
#include "playback/playback_engine.h"
#include "playback/playback_state.h"
#include "ui/open_source_file.h"

char OpenPath[MAX_PATH] = "";
DWORD OpenFilterIndex = 1;

namespace {

// The dialog and the question. False when the user cancelled or kept the current file.
bool AskForFile()
{
    char directory[MAX_PATH] = "";
    // A failure leaves the buffer empty, and the dialog then starts in the current directory.
    if (GetCurrentDirectoryA(MAX_PATH, directory) == 0) {
        directory[0] = '\0';
    }
    directory[MAX_PATH - 1] = '\0';

    char filter[FilterBufferSize] = "";
    LoadFilterString(IDS_OPEN_FILTER, filter);

    OPENFILENAMEA dialog;
    std::memset(&dialog, 0, sizeof dialog);
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = MainDialogWindow;
    dialog.lpstrFilter = filter;
    dialog.nFilterIndex = OpenFilterIndex;
    dialog.lpstrFile = OpenPath;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrInitialDir = directory;
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    // Cancelled or failed: nothing changes. A path too long for the buffer is refused and
    // the dialog comes back, as it does where the dialog refuses such a path itself.
    for (;;) {
        OpenPath[0] = '\0';
        if (GetOpenFileNameA(&dialog)) {
            break;
        }
        if (!RefusedPathTooLong()) {
            return false;
        }
    }
    OpenPath[MAX_PATH - 1] = '\0';
    OpenFilterIndex = dialog.nFilterIndex;

    // Asked after the dialog, so a cancelled dialog never asks; "no" keeps the file open
    // but the chosen pair is remembered all the same.
    return MayCloseCurrentFile();
}

// Opens OpenPath now, or once playback has stopped.
void OpenOrDefer()
{
    // Tested only after the questions: playback may have ended while they were up.
    if (IsPlaying()) {
        PendingCommand = IDM_OPEN;
        RequestStop();
        return;
    }
    PendingCommand = 0;
    OpenSourceFile(OpenPath);
}

} // namespace

bool MayCloseCurrentFile()
{
    return !IsSourceFileOpen() || Prompt(MB_YESNO | MB_ICONQUESTION, IDS_CLOSE_CURRENT) == IDYES;
}

void OpenCommand()
{
    // A re-posted Open has asked already and opens the path chosen then.
    if (PendingCommand == 0 && !AskForFile()) {
        return;
    }
    OpenOrDefer();
}

void OpenGivenPath(const char* path)
{
    // While another command waits for playback to stop, the program is busy with it.
    if (PendingCommand != 0) {
        return;
    }
    if (!MayCloseCurrentFile()) {
        return;
    }
    lstrcpynA(OpenPath, path, MAX_PATH);
    OpenOrDefer();
}

void OpenDroppedFiles(HDROP drop)
{
    char path[MAX_PATH] = "";
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 0);
    const UINT length = count == 1 ? DragQueryFileA(drop, 0, nullptr, 0) : 0;
    if (count == 1 && length > 0 && length < MAX_PATH) {
        DragQueryFileA(drop, 0, path, MAX_PATH);
    }
    // Given back before the question: the drop's source need not wait for the answer.
    DragFinish(drop);
    // Several files, or a path the program's buffers cannot hold: nothing to open.
    if (path[0] == '\0') {
        return;
    }
    // A folder is not a file to open.
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(path, &found);
    if (find != INVALID_HANDLE_VALUE) {
        FindClose(find);
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            return;
        }
    }
    OpenGivenPath(path);
}
