#include "ui/main_dialog.h"

#include "core/app_state.h"
#include "core/resource_ids.h"
#include "core/source_file.h"
#include "playback/playback_engine.h"
#include "playback/playback_state.h"
#include "save/save_commands.h"
#include "settings/startup_directory.h"
#include "ui/about_box.h"
#include "ui/command_line.h"
#include "ui/exit_command.h"
#include "ui/format_controls.h"
#include "ui/open_command.h"
#include "ui/waveform_strip.h"

namespace {

constexpr COLORREF InvalidRateColour = RGB(200, 0, 0);

void SetWindowIcon(int iconId, WPARAM which)
{
    HICON icon = LoadIconA(ModuleInstance, MAKEINTRESOURCEA(iconId));
    if (icon != nullptr) {
        SendMessageA(MainDialogWindow, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
    }
}

void SetMenuItemEnabled(HMENU menu, UINT id, bool enabled)
{
    EnableMenuItem(menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

} // namespace

void InitMainDialog()
{
    if (LoadStringA(ModuleInstance, IDS_CAPTION, Caption, CaptionSize) == 0) {
        Caption[0] = '\0';
    }
    SetWindowIcon(IDI_MAIN_BIG, ICON_BIG);
    SetWindowIcon(IDI_MAIN_SMALL, ICON_SMALL);
    InitFormatControls();
    HWND slider = GetDlgItem(MainDialogWindow, IDC_SLIDER);
    SendMessageA(slider, TBM_SETRANGEMIN, TRUE, 0);
    SendMessageA(slider, TBM_SETRANGEMAX, TRUE, 100);
    InitWaveformStrip();
    SetDefaultFormat();
    ApplyStartupDirectory();
    DragAcceptFiles(MainDialogWindow, TRUE);
    // A file named on the command line opens once the window is up, so that an error box
    // about it has the window as its owner.
    if (GivenPath[0] != '\0') {
        PostMessageA(MainDialogWindow, WM_OPEN_GIVEN_PATH, 0, 0);
    }
}

void UpdateMenuStates(HMENU menu)
{
    const bool open = IsSourceFileOpen();
    const bool playing = IsPlaying();
    SetMenuItemEnabled(menu, IDM_SAVE_IN_PLACE, open);
    SetMenuItemEnabled(menu, IDM_SAVE_AS, open);
    SetMenuItemEnabled(menu, IDM_PLAY, open && !playing);
    SetMenuItemEnabled(menu, IDM_STOP, open && playing);
}

BOOL DispatchCommand(WORD id, WORD code)
{
    switch (id) {
    case IDM_PLAY:
    case IDC_PLAY:
        StartPlayback();
        return TRUE;
    case IDM_STOP:
    case IDC_STOP:
        StopOrFinish();
        return TRUE;
    case IDM_ABOUT:
        AboutCommand();
        return TRUE;
    case IDM_OPEN:
        OpenCommand();
        return TRUE;
    case IDC_RATE:
    case IDC_8BIT:
    case IDC_16BIT:
    case IDC_MONO:
    case IDC_STEREO:
        FormatCommand(id, code);
        return TRUE;
    case IDM_SAVE_IN_PLACE:
        SaveInPlaceCommand();
        return TRUE;
    case IDM_SAVE_AS:
        SaveAsCommand();
        return TRUE;
    case IDM_EXIT:
        ExitCommand();
        return TRUE;
    default:
        // Among others IDCANCEL, which Escape sends: Escape does not close the window.
        return FALSE;
    }
}

namespace {

INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        MainDialogWindow = window;
        CurrentOwnerWindow = window;
        InitMainDialog();
        return TRUE;
    case WM_COMMAND:
        return DispatchCommand(LOWORD(wParam), HIWORD(wParam));
    case WM_CLOSE:
        ExitCommand();
        return TRUE;
    case WM_ENDSESSION:
        if (wParam != 0) {
            EndSessionCommand();
        }
        return TRUE;
    case WM_HSCROLL:
        if (reinterpret_cast<HWND>(lParam) != GetDlgItem(window, IDC_SLIDER)) {
            return FALSE;
        }
        return OnSliderScroll(LOWORD(wParam));
    case WM_INITMENU:
        UpdateMenuStates(reinterpret_cast<HMENU>(wParam));
        return TRUE;
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) != GetDlgItem(window, IDC_INVALID_RATE)) {
            return FALSE;
        }
        SetTextColor(reinterpret_cast<HDC>(wParam), InvalidRateColour);
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_DROPFILES:
        OpenDroppedFiles(reinterpret_cast<HDROP>(wParam));
        return TRUE;
    case WM_OPEN_GIVEN_PATH:
        OpenGivenPath(GivenPath);
        GivenPath[0] = '\0';
        return TRUE;
    case MM_WOM_DONE:
        OnBufferDone(reinterpret_cast<WAVEHDR*>(lParam));
        return TRUE;
    case WM_TIMER:
        return OnPlaybackTimer(wParam);
    case WM_DESTROY:
        ReleaseWaveformStrip();
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

INT_PTR MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const INT_PTR result = HandleMessage(window, message, wParam, lParam);
    switch (message) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_DROPFILES:
    case WM_OPEN_GIVEN_PATH:
    case MM_WOM_DONE:
        // Whatever moved the slider (the user, playback, a new file) or closed the file
        // (a save), the strip follows it here, after the message.
        FollowSliderOnStrip();
        break;
    default:
        break;
    }
    return result;
}
