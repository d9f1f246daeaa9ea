#include "ui/open_source_file.h"

#include "core/app_state.h"
#include "core/error_info.h"
#include "core/file_controls.h"
#include "core/resource_ids.h"
#include "core/source_file.h"
#include "playback/playback_state.h"
#include "save/save_support.h"
#include "ui/format_controls.h"
#include "ui/format_suggestion.h"

namespace {

void ReportSystemFailure(const char* operation)
{
    ErrorInfo error;
    Fill(&error, ErrorKindSystem, GetLastError(), operation, nullptr);
    ShowError(&error);
}

} // namespace

void OpenSourceFile(const char* path)
{
    // The open file chosen again, under any name (after the recorder wrote more to it, say),
    // is read afresh. It is held unshared, so it is let go first; if the fresh open then
    // fails, there is no older state to go back to, and no file is open.
    if (IsSourceFileOpen() && PathLeadsToFile(path, SourceFile.handle)) {
        CloseHandleVariable(&SourceFile.handle);
        ShowNoFileWindow();
    }
    // Save as and playback read the data from start to end: the system may read ahead.
    HANDLE file = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ReportSystemFailure("CreateFile");
        return;
    }
    DWORD high = 0;
    const DWORD low = GetFileSize(file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        ReportSystemFailure("GetFileSize");
        CloseHandle(file);
        return;
    }
    uint32_t effectiveLength = 0;
    uint32_t oversize = 0;
    if (ApplySizeRules(low, high, &effectiveLength, &oversize) == SizeTooSmall) {
        CloseHandle(file);
        Prompt(MB_ICONEXCLAMATION, IDS_FILE_SMALL);
        return;
    }

    // From here on the new file replaces the old one.
    SourceFile.effectiveLength = effectiveLength;
    SourceFile.oversize = oversize;
    SourceFile.wholeLength = WholeLengthOf(low, high);
    lstrcpynA(SourceFile.path, path, MAX_PATH);
    PlaybackState.formatChangePending = 0;
    PlaybackState.seekPending = 0;
    PlaybackState.playedPos = 0;
    CloseHandleVariable(&SourceFile.handle);
    SourceFile.handle = file;

    char title[PromptBufferSize];
    FormatBounded(title, sizeof title, "%s - %s", SourceFile.path, Caption);
    SetWindowTextA(MainDialogWindow, title);
    ShowFileSize((static_cast<uint64_t>(high) << 32) | low);
    EnableFileControls(1, static_cast<int32_t>(SourceFile.oversize));
    SuggestFormatFromData();
    FormatCommand(0, 0);
    SetFocus(GetDlgItem(MainDialogWindow, IDC_PLAY));
}
