#include "ui/about_box.h"

#include "core/app_state.h"
#include "core/resource_ids.h"

void AboutCommand()
{
    DialogBoxParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_ABOUT), MainDialogWindow, AboutDialogProc,
                    0);
    CurrentOwnerWindow = MainDialogWindow;
}

INT_PTR AboutDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM /*lParam*/)
{
    switch (message) {
    case WM_INITDIALOG:
        // Error boxes raised while the box is up (by playback) belong to it.
        CurrentOwnerWindow = window;
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(window, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}
