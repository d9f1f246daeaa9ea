#include "core/file_controls.h"

#include "core/app_state.h"
#include "core/data_windows.h"
#include "core/resource_ids.h"
#include "platform/win32.h"

void EnableFileControls(int32_t enable, int32_t oversize)
{
    static const int fileControls[] = {IDC_8BIT, IDC_16BIT,  IDC_MONO, IDC_STEREO,
                                       IDC_RATE, IDC_SLIDER, IDC_PLAY};
    for (int id : fileControls) {
        EnableWindow(GetDlgItem(MainDialogWindow, id), enable != 0 ? TRUE : FALSE);
    }
    EnableWindow(GetDlgItem(MainDialogWindow, IDC_STOP), FALSE);
    ShowWindow(GetDlgItem(MainDialogWindow, IDC_OVERSIZE), oversize != 0 ? SW_SHOWNORMAL : SW_HIDE);
    SendMessageA(GetDlgItem(MainDialogWindow, IDC_SLIDER), TBM_SETPOS, TRUE, 0);
}

void ShowNoFileWindow()
{
    SetWindowTextA(MainDialogWindow, Caption);
    SetWindowTextA(GetDlgItem(MainDialogWindow, IDC_FILE_SIZE), "0");
    SendMessageA(GetDlgItem(MainDialogWindow, IDC_DURATION), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>("0:00:00"));
    SetWindowTextA(GetDlgItem(MainDialogWindow, IDC_SUGGESTION), "");
    ForgetDataWindows();
    EnableFileControls(0, 0);
}
