#include "core/app_state.h"
#include "core/resource_ids.h"
#include "core/source_file.h"
#include "save/save_as.h"
#include "save/save_support.h"

void ShowCopyProgress(HWND dialog)
{
    // Cleared first: a position stored after this read gets a message of its own.
    CopyProgressPosted.store(0);
    HWND bar = GetDlgItem(dialog, IDC_SAVING_PROGRESS);
    // The bar is only a display: a message that fails stops nothing. The range is set each
    // time (it is unchanged while the copy runs, and an unchanged range costs no redraw), so
    // the position always lands in the right range.
    SendMessageA(bar, PBM_SETRANGE32, 0, static_cast<LPARAM>(CopyProgressRangeHigh()));
    SendMessageA(bar, PBM_SETPOS, CopyProgressPosition.load(), 0);
}

INT_PTR SavingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG: {
        // Every error box of the copy belongs over this dialog.
        CurrentOwnerWindow = dialog;
        CopyCancelFlag.store(0);
        CopyProgressPosition.store(0);
        CopyProgressPosted.store(0);
        ShowCopyProgress(dialog);
        HANDLE thread = CreateThread(nullptr, 0, CopyWorker, dialog, 0, nullptr);
        if (thread == nullptr) {
            ReportFailure("CreateThread");
            EndDialog(dialog, 1);
            return TRUE;
        }
        CloseHandleVariable(&thread); // the thread is never waited for
        return TRUE;
    }
    case WM_COPY_PROGRESS:
        ShowCopyProgress(dialog);
        return TRUE;
    case WM_ENDSESSION:
        // The session ends: the copy is cancelled as by the Cancel button, so its partial
        // file is deleted before the program ends.
        if (wParam != 0) {
            CopyCancelFlag.store(1);
        }
        return TRUE;
    case WM_COMMAND:
        // Cancel, Escape and the close box all come as IDCANCEL. The worker ends the dialog
        // at its next test, so the chunk in progress is finished first.
        if (LOWORD(wParam) == IDCANCEL) {
            CopyCancelFlag.store(1);
        }
        return TRUE;
    default:
        return FALSE;
    }
}
