#include "save/save_as.h"

#include "core/app_state.h"
#include "core/error_info.h"
#include "core/file_controls.h"
#include "core/resource_ids.h"
#include "core/source_file.h"
#include "playback/playback_engine.h"
#include "playback/playback_state.h"
#include "save/save_commands.h"
#include "save/save_support.h"

char CopyTargetPath[MAX_PATH];
HANDLE CopyTargetHandle;
std::atomic<uint32_t> CopyCancelFlag;
std::atomic<uint32_t> CopyDoneFlag;

namespace {

constexpr DWORD SaveAsDialogFlags =
    OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;

// The old target is deleted before the new one is made, so a target that is the source
// itself, under whatever name, must be refused first: on this system an open file can be
// unlinked.
bool TargetIsSource()
{
    return lstrcmpiA(CopyTargetPath, SourceFile.path) == 0 ||
           PathLeadsToFile(CopyTargetPath, SourceFile.handle);
}

// Seek, remove an old target, create the new one. False after a reported failure.
bool PrepareCopy()
{
    if (SetFilePointer(SourceFile.handle, HeaderRegionSize, nullptr, FILE_BEGIN) ==
        INVALID_SET_FILE_POINTER) {
        ReportFailure("SetFilePointer");
        return false;
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(CopyTargetPath, &found);
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search); // only a probe: whether it closes changes nothing
        if (!DeleteFileA(CopyTargetPath)) {
            ReportFailure("DeleteFile");
            return false;
        }
    }
    HANDLE target = CreateFileA(CopyTargetPath, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (target == INVALID_HANDLE_VALUE) {
        ReportFailure("CreateFile");
        return false;
    }
    CopyTargetHandle = target;
    return true;
}

} // namespace

uint32_t ProgressRangeHigh(uint32_t effectiveLength)
{
    return ((effectiveLength - HeaderRegionSize) >> 16) + 1;
}

uint32_t CopyChunkCount(uint32_t effectiveLength)
{
    return static_cast<uint32_t>((static_cast<uint64_t>(effectiveLength) + CopyChunkSize - 1) /
                                 CopyChunkSize);
}

void SaveAsCommand()
{
    const bool fresh = PendingCommand == 0;
    if (fresh) {
        if (!ChooseSaveTarget(CopyTargetPath, SaveAsDialogFlags)) {
            return;
        }
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
    if (!PrepareCopy()) {
        return;
    }

    CopyDoneFlag.store(0);
    DialogBoxParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_SAVING), MainDialogWindow,
                    SavingDialogProc, 0);
    // The worker touches the files only before it ends the dialog, so they can be let go
    // at once, without waiting for the thread.
    CurrentOwnerWindow = MainDialogWindow;
    CloseHandleVariable(&CopyTargetHandle);

    if (CopyDoneFlag.load() == 1) {
        CloseHandleVariable(&SourceFile.handle);
        ShowNoFileWindow();
        Prompt(MB_ICONINFORMATION, IDS_CREATED, CopyTargetPath);
        return;
    }
    if (!DeleteFileA(CopyTargetPath)) {
        ReportFailure("DeleteFile");
    }
}
