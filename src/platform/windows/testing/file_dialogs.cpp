// The system's common file dialogs behind the file-dialog log and script.
#include <cstring>

#include "platform/common/file_dialog_choice.h"
#include "platform/testing/file_dialog_script.h"
#include "platform/windows/testing/wrap.h"

namespace {

// CommDlgExtendedError of the last dialog on this thread, when the seam answered it.
thread_local bool t_answeredHere = false;
thread_local DWORD t_error = 0;

SEAM_REAL_ENTRY(GetOpenFileNameA)
SEAM_REAL_ENTRY(GetSaveFileNameA)
SEAM_REAL_ENTRY(CommDlgExtendedError)

BOOL FileDialog(const char* name, LPOPENFILENAMEA ofn, bool save)
{
    DWORD code = 0;
    if (FaultShouldFail(name, &code)) {
        t_answeredHere = true;
        t_error = code;
        return FALSE;
    }
    FileDialogRecord record = filechoice::RecordOf(*ofn, save);
    // Logged as it appears: boxes raised while it is up come after it.
    const size_t entry = FileDialogLogOpen(record);
    BOOL result = FALSE;
    DWORD error = 0;
    t_answeredHere = FileDialogScriptAnswer(ofn, &record, save, &result, &error);
    if (!t_answeredHere) {
        using Call = BOOL(WINAPI*)(LPOPENFILENAMEA);
        result =
            save ? SEAM_REAL(Call, GetSaveFileNameA)(ofn) : SEAM_REAL(Call, GetOpenFileNameA)(ofn);
        error = SEAM_REAL(DWORD(WINAPI*)(), CommDlgExtendedError)();
        if (result) {
            record.chosen = ofn->lpstrFile;
        }
    }
    t_error = error;
    record.result = result;
    record.error = error;
    if (!result) {
        record.chosen.clear();
    }
    FileDialogLogClose(entry, std::move(record));
    return result;
}

BOOL WINAPI SeamGetOpenFileNameA(LPOPENFILENAMEA ofn)
{
    return FileDialog("GetOpenFileNameA", ofn, false);
}

BOOL WINAPI SeamGetSaveFileNameA(LPOPENFILENAMEA ofn)
{
    return FileDialog("GetSaveFileNameA", ofn, true);
}

DWORD WINAPI SeamCommDlgExtendedError()
{
    return t_answeredHere ? t_error : SEAM_REAL(DWORD(WINAPI*)(), CommDlgExtendedError)();
}

} // namespace

SEAM_INSTALL(GetOpenFileNameA, SeamGetOpenFileNameA)
SEAM_INSTALL(GetSaveFileNameA, SeamGetSaveFileNameA)
SEAM_INSTALL(CommDlgExtendedError, SeamCommDlgExtendedError)
