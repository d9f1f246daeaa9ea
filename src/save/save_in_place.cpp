#include "save/save_in_place.h"

#include "core/app_state.h"
#include "core/error_info.h"
#include "core/file_controls.h"
#include "core/file_dialog_rules.h"
#include "core/resource_ids.h"
#include "core/source_file.h"
#include "core/wav_header.h"
#include "playback/playback_engine.h"
#include "playback/playback_state.h"
#include "save/save_commands.h"
#include "save/save_support.h"

char RenameTargetPath[MAX_PATH];

namespace {

constexpr DWORD SaveInPlaceDialogFlags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;

// Header, cut, flush, close and rename of the file reopened for writing. Any failure is
// reported and ends the conversion where it stands: nothing written is undone.
void ConvertOpenFile()
{
    WavHeader header;
    BuildWavHeader(&header);
    DWORD written = 0;
    if (!WriteFile(SourceFile.handle, header.bytes, WavHeaderSize, &written, nullptr)) {
        ReportFailure("WriteFile");
        return;
    }
    if (SourceFile.oversize != 0) {
        LONG high = 0;
        if (SetFilePointer(SourceFile.handle, static_cast<LONG>(SourceFile.effectiveLength), &high,
                           FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
            ReportFailure("SetFilePointer");
            return;
        }
        if (!SetEndOfFile(SourceFile.handle)) {
            ReportFailure("SetEndOfFile");
            return;
        }
    }
    // The file must carry its header on the disk before it is given a name that says so.
    if (!FlushFileBuffers(SourceFile.handle)) {
        ReportFailure("WriteFile");
        return;
    }
    // The user may have chosen the file's own path under another spelling: then there is
    // nothing to rename.
    const bool sameFile = PathLeadsToFile(RenameTargetPath, SourceFile.handle);
    CloseHandleVariable(&SourceFile.handle);
    // The save dialog has already asked whether an existing file may be replaced, so it is
    // replaced, atomically.
    if (!sameFile && !MoveFileExA(SourceFile.path, RenameTargetPath,
                                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ReportFailure("MoveFile");
        return;
    }
    Prompt(MB_ICONINFORMATION, IDS_CREATED, RenameTargetPath);
}

// A rename cannot cross to another file system, and the header must not be written for a
// rename bound to fail: this is asked while nothing is changed yet. A folder that cannot be
// looked up is left to the rename to report.
bool TargetOnAnotherDisk()
{
    char folder[MAX_PATH];
    DirectoryOf(folder, RenameTargetPath);
    BY_HANDLE_FILE_INFORMATION source;
    BY_HANDLE_FILE_INFORMATION target;
    if (folder[0] == '\0' || !GetFileInformationByHandle(SourceFile.handle, &source) ||
        !FileInformationOfPath(folder, &target)) {
        return false;
    }
    return source.dwVolumeSerialNumber != target.dwVolumeSerialNumber;
}

} // namespace

void SaveInPlaceCommand()
{
    if (PendingCommand == 0) {
        // The in-place header cannot grow to RF64's without moving all the data, so an
        // oversize file is cut here; the question says where the whole recording is kept.
        const UINT question =
            SourceFile.oversize != 0 ? IDS_CONFIRM_IN_PLACE_CUT : IDS_CONFIRM_IN_PLACE;
        if (Prompt(MB_YESNO | MB_ICONQUESTION, question) != IDYES) {
            return;
        }
        if (!ChooseSaveTarget(RenameTargetPath, SaveInPlaceDialogFlags, IDS_SAVE_FILTER, nullptr)) {
            return;
        }
    }
    if (IsPlaying()) {
        PendingCommand = IDM_SAVE_IN_PLACE;
        RequestStop();
        return;
    }
    PendingCommand = 0;
    if (TargetOnAnotherDisk()) {
        Prompt(MB_ICONEXCLAMATION, IDS_OTHER_DISK, RenameTargetPath);
        return;
    }

    ShowNoFileWindow();
    CloseHandleVariable(&SourceFile.handle);
    HANDLE file = CreateFileA(SourceFile.path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        // Ends like every other outcome, so no command can act on an invalid handle.
        ReportFailure("CreateFile");
    } else {
        SourceFile.handle = file;
        ConvertOpenFile();
    }
    CloseHandleVariable(&SourceFile.handle);
    SourceFile.path[0] = '\0';
}
