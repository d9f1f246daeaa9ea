#include <cstring>

#include "core/app_state.h"
#include "core/file_dialog_rules.h"
#include "core/resource_ids.h"
#include "core/source_file.h"
#include "save/save_support.h"

namespace {

// The proposed target: the source's path with the extension "wav".
void PresetTarget(char* target)
{
    target[0] = '\0';
    lstrcpynA(target, SourceFile.path, MAX_PATH);
    ReplaceExtension(target, "wav");
}

} // namespace

BOOL ChooseSaveTarget(char* target, DWORD flags, UINT filterId, DWORD* filterIndex)
{
    char filter[FilterBufferSize];
    LoadFilterString(filterId, filter);
    PresetTarget(target);
    char initialDirectory[MAX_PATH];
    DirectoryOf(initialDirectory, target);

    OPENFILENAMEA record;
    memset(&record, 0, sizeof record);
    record.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    record.hwndOwner = MainDialogWindow;
    record.lpstrFilter = filter;
    record.nFilterIndex = 0;
    record.lpstrFile = target;
    record.nMaxFile = MAX_PATH;
    record.lpstrInitialDir = initialDirectory;
    record.Flags = flags;
    BOOL chosen = GetSaveFileNameA(&record);
    // A path too long for the buffer is refused and the dialog comes back with the proposal.
    while (!chosen && RefusedPathTooLong()) {
        PresetTarget(target);
        chosen = GetSaveFileNameA(&record);
    }
    if (chosen && filterIndex != nullptr) {
        *filterIndex = record.nFilterIndex;
    }
    return chosen;
}
