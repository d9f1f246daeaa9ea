#include "save/save_as.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "core/app_state.h"
#include "core/error_info.h"
#include "core/file_controls.h"
#include "core/file_dialog_rules.h"
#include "core/resource_ids.h"
#include "core/source_file.h"
#include "playback/playback_engine.h"
#include "playback/playback_state.h"
#include "save/save_commands.h"
#include "save/save_support.h"

char CopyTargetPath[MAX_PATH];
HANDLE CopyTargetHandle;
uint32_t CopyKeepsWhole;
std::atomic<uint32_t> CopyCancelFlag;
std::atomic<uint32_t> CopyDoneFlag;
std::atomic<uint32_t> CopyProgressPosition;
std::atomic<uint32_t> CopyProgressPosted;

namespace {

constexpr DWORD SaveAsDialogFlags =
    OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;

// A target that is the source itself, under whatever name, must be refused before anything
// is written: on this system an open file can be unlinked or renamed over.
bool TargetIsSource()
{
    return lstrcmpiA(CopyTargetPath, SourceFile.path) == 0 ||
           PathLeadsToFile(CopyTargetPath, SourceFile.handle);
}

// The copy is written from start to end; saying so lets the system write it behind.
constexpr DWORD CopyFileFlags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN;

// Names tried for the copy before giving up.
constexpr unsigned CopyNameTries = 100;

// The name the copy is written under, beside its target (the same folder, so the final
// rename is atomic): hidden by its leading dot and marked as an unfinished copy,
// ".cap001.wav.1.part". A name too long for a path falls back to ".salvorin.1.part".
// False when not even that fits.
bool CopyName(char* name, unsigned attempt)
{
    const char* last = FileNameOf(CopyTargetPath);
    const int folder = static_cast<int>(last - CopyTargetPath);
    int length =
        std::snprintf(name, MAX_PATH, "%.*s.%s.%u.part", folder, CopyTargetPath, last, attempt);
    if (length < 0 || length >= MAX_PATH) {
        length =
            std::snprintf(name, MAX_PATH, "%.*s.salvorin.%u.part", folder, CopyTargetPath, attempt);
    }
    return length > 0 && length < MAX_PATH;
}

HANDLE CreateUnsharedNew(const char* path)
{
    return CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, CopyFileFlags, nullptr);
}

// Creates the file the copy goes into, under a hidden name beside the target, so that
// nothing carries the target's name before the copy is complete. A copy under such a name
// that nobody holds is what an ended run left behind (a writer holds its copy open, unshared,
// until it is renamed or deleted): it is removed and its name used again.
HANDLE CreateCopyFile(char* writePath)
{
    for (unsigned attempt = 1; attempt <= CopyNameTries; ++attempt) {
        if (!CopyName(writePath, attempt)) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return INVALID_HANDLE_VALUE;
        }
        HANDLE file = CreateUnsharedNew(writePath);
        if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS) {
            if (!DeleteFileA(writePath)) {
                continue; // a running writer's (or not ours to remove): the next name
            }
            file = CreateUnsharedNew(writePath);
        }
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) {
            return file;
        }
    }
    SetLastError(ERROR_FILE_EXISTS);
    return INVALID_HANDLE_VALUE;
}

// Seek and create the file the copy goes into (its path into `writePath`). False after a
// reported failure; nothing of the user's is touched by then.
bool PrepareCopy(bool* replacing, char* writePath)
{
    if (SetFilePointer(SourceFile.handle, HeaderRegionSize, nullptr, FILE_BEGIN) ==
        INVALID_SET_FILE_POINTER) {
        ReportFailure("SetFilePointer");
        return false;
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(CopyTargetPath, &found);
    *replacing = search != INVALID_HANDLE_VALUE;
    if (*replacing) {
        FindClose(search); // only a probe: whether it closes changes nothing
    }
    HANDLE target = CreateCopyFile(writePath);
    if (target == INVALID_HANDLE_VALUE) {
        ReportFailure("CreateFile");
        return false;
    }
    CopyTargetHandle = target;
    return true;
}

// A complete copy takes its target's name in one step, once it is on the disk (the worker
// flushed it). Only a target the user agreed to replace is replaced: a file another program
// put there meanwhile stays. False after a reported failure.
bool PutCopyInPlace(bool replacing, const char* writePath)
{
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replacing ? MOVEFILE_REPLACE_EXISTING : 0);
    if (!MoveFileExA(writePath, CopyTargetPath, flags)) {
        ReportFailure("MoveFile");
        return false;
    }
    return true;
}

} // namespace

uint32_t ProgressRangeHigh(uint64_t length)
{
    return static_cast<uint32_t>((length - HeaderRegionSize) / CopyChunkSize + 1);
}

uint32_t CopyProgressRangeHigh()
{
    return ProgressRangeHigh(CopyKeepsWhole != 0 ? SourceFile.wholeLength
                                                 : SourceFile.effectiveLength);
}

uint32_t CopyChunkCount(uint64_t targetLength)
{
    return static_cast<uint32_t>((targetLength + CopyChunkSize - 1) / CopyChunkSize);
}

void ReportCopyCreated()
{
    if (CopyKeepsWhole == 0) {
        Prompt(MB_ICONINFORMATION, IDS_CREATED, CopyTargetPath);
        return;
    }
    // The sound kept is the data region, as a reader finds it in the data chunk: neither
    // the 44 reserved bytes nor the 0 to 3 bytes the rounding drops.
    char size[24];
    char grouped[44];
    std::snprintf(size, sizeof size, "%" PRIu64, SourceFile.wholeLength - HeaderRegionSize);
    GroupDigits(size, grouped);
    Prompt(MB_ICONINFORMATION, IDS_CREATED_WHOLE, CopyTargetPath, grouped);
}

void SaveAsCommand()
{
    const bool fresh = PendingCommand == 0;
    if (fresh) {
        // Only an oversize source is offered RF64: within 4 GiB the plain WAV holds
        // everything, and every player reads it.
        const bool oversize = SourceFile.oversize != 0;
        DWORD type = 1;
        if (!ChooseSaveTarget(CopyTargetPath, SaveAsDialogFlags,
                              oversize ? IDS_SAVE_FILTER_WHOLE : IDS_SAVE_FILTER, &type)) {
            return;
        }
        CopyKeepsWhole = oversize && type == WholeRecordingFilterIndex ? 1 : 0;
        if (TargetIsSource()) {
            Prompt(MB_ICONEXCLAMATION, IDS_SAME_NAME);
            return;
        }
    }
    if (IsPlaying()) {
        PendingCommand = IDM_SAVE_AS;
        RequestStop();
        return;
    }
    PendingCommand = 0;
    // Names can change while playback drains: ask the file system again.
    if (!fresh && TargetIsSource()) {
        Prompt(MB_ICONEXCLAMATION, IDS_SAME_NAME);
        return;
    }
    bool replacing = false;
    char writePath[MAX_PATH];
    if (!PrepareCopy(&replacing, writePath)) {
        return;
    }

    CopyDoneFlag.store(0);
    const INT_PTR ended = DialogBoxParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_SAVING),
                                          MainDialogWindow, SavingDialogProc, 0);
    // The worker touches the files only before it ends the dialog, so they can be let go
    // at once, without waiting for the thread.
    CurrentOwnerWindow = MainDialogWindow;
    if (ended == -1) {
        // Without its dialog the copy never started: said like any other failed step.
        ReportFailure("DialogBox");
    }
    CloseHandleVariable(&CopyTargetHandle);

    if (CopyDoneFlag.load() == 1 && PutCopyInPlace(replacing, writePath)) {
        CloseHandleVariable(&SourceFile.handle);
        ShowNoFileWindow();
        ReportCopyCreated();
        return;
    }
    // Failed, cancelled or not put in place: only the new file goes; an old target stays.
    if (!DeleteFileA(writePath)) {
        ReportFailure("DeleteFile");
    }
}
