#include <cstring>

#include "core/app_state.h"
#include "core/file_dialog_rules.h"
#include "core/resource_ids.h"
#include "core/source_file.h"
#include "save/save_support.h"

BOOL ChooseSaveTarget(char* target, DWORD flags)
{
    target[0] = '\0';
    char filter[FilterBufferSize];
    LoadFilterString(IDS_SAVE_FILTER, filter);
    lstrcpynA(target, SourceFile.path, MAX_PATH);
    ReplaceExtension(target, "wav");
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
    return GetSaveFileNameA(&record);
}
