// The dialog templates, in dialog units. Template order is tab order.
#include "core/resource_ids.h"
#include "ui/resources/resources.h"

namespace {

constexpr DWORD Child = WS_CHILD | WS_VISIBLE;
constexpr DWORD Label = Child | SS_LEFT | WS_GROUP;
constexpr DWORD Radio = Child | BS_RADIOBUTTON | WS_DISABLED;

const DLGITEM_DATA MainDialogItems[] = {
    {"button", "Try to play", IDC_PLAY, 33, 200, 56, 14,
     Child | BS_DEFPUSHBUTTON | WS_TABSTOP | WS_DISABLED, 0},
    {"button", "Stop playing", IDC_STOP, 97, 200, 56, 14,
     Child | BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED, 0},
    {"static", "Sample rate:", -1, 12, 68, 46, 8, Label, 0},
    {"combobox", "", IDC_RATE, 62, 67, 40, 95,
     Child | CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP | WS_DISABLED, 0},
    {"static", "samples per second", -1, 106, 68, 72, 8, Label, 0},
    {"static", "File duration:", -1, 12, 130, 47, 8, Label, 0},
    {"static", "File size, bytes:", -1, 12, 42, 55, 8, Label, 0},
    {"static", "(will be truncated to  4 294 967 292 bytes)", IDC_OVERSIZE, 12, 54, 155, 8,
     WS_CHILD | SS_LEFT | WS_GROUP, 0},
    {"button", "8 bit", IDC_8BIT, 12, 97, 31, 10, Radio, 0},
    {"button", "16 bit", IDC_16BIT, 46, 97, 36, 10, Radio, 0},
    {"button", "Mono", IDC_MONO, 100, 97, 35, 10, Radio, 0},
    {"button", "Stereo", IDC_STEREO, 139, 97, 39, 10, Radio, 0},
    {"static", "Invalid sample rate value", IDC_INVALID_RATE, 12, 84, 155, 8,
     WS_CHILD | SS_LEFTNOWORDWRAP | WS_GROUP, 0},
    // What the data suggests, under the controls it set; empty when it suggests nothing.
    // Two lines: with a rate, or with identical pairs, it is longer than one.
    {"static", "", IDC_SUGGESTION, 12, 109, 160, 16, WS_CHILD | WS_VISIBLE | SS_LEFT | WS_GROUP, 0},
    {"static", "0:00:00", IDC_DURATION, 63, 130, 40, 8, Label | WS_TABSTOP, 0},
    {"static", "", IDC_FILE_SIZE, 70, 42, 80, 8, Label, 0},
    // The waveform overview, over the slider's track: the program paints it.
    {"static", "", IDC_WAVEFORM, 14, 141, 159, 30,
     Child | SS_BITMAP | SS_REALSIZECONTROL | WS_GROUP, 0},
    {"msctls_trackbar32", "Slider1", IDC_SLIDER, 11, 173, 165, 15,
     Child | TBS_BOTH | TBS_NOTICKS | WS_TABSTOP | WS_DISABLED, 0},
    {"static", "Utility to recover information from Quorbel's temporary files.", -1, 16, 6, 154, 25,
     Child | SS_CENTER | WS_GROUP, 0},
    {"button", "Parameters", -1, 6, 32, 175, 163, Child | BS_GROUPBOX, 0},
};

const DLGITEM_DATA AboutDialogItems[] = {
    {"static", "#112", -1, 10, 10, 20, 20, Child | SS_ICON, 0},
    {"button", "OK", IDOK, 130, 40, 50, 14, Child | BS_DEFPUSHBUTTON | WS_TABSTOP, 0},
    {"static", "Salvorin", -1, 45, 10, 56, 8, Label, 0},
    {"static", "Version 0.1: makes WAV files of raw recordings.", -1, 45, 20, 135, 16, Label, 0},
};

const DLGITEM_DATA SavingDialogItems[] = {
    {"static", "Saving file ...", -1, 5, 5, 160, 8, Label, 0},
    {"msctls_progress32", "", IDC_SAVING_PROGRESS, 5, 20, 160, 15, Child | PBS_SMOOTH, 0},
    {"button", "Cancel", IDCANCEL, 60, 40, 50, 14, Child | BS_DEFPUSHBUTTON | WS_TABSTOP, 0},
};

} // namespace

const DLGTEMPLATE_DATA DialogResources[] = {
    {IDD_MAIN,
     WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_CENTER | DS_SETFONT,
     WS_EX_APPWINDOW, 0, 0, 186, 220, "Salvorin", "MS Sans Serif", 8, IDR_MAIN_MENU,
     MainDialogItems, sizeof MainDialogItems / sizeof MainDialogItems[0]},
    {IDD_ABOUT, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0, 0, 0, 187, 60,
     "About Salvorin", "MS Sans Serif", 8, 0, AboutDialogItems,
     sizeof AboutDialogItems / sizeof AboutDialogItems[0]},
    {IDD_SAVING, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0, 0, 0, 172, 61,
     "Saving ...", "MS Sans Serif", 8, 0, SavingDialogItems,
     sizeof SavingDialogItems / sizeof SavingDialogItems[0]},
};
const int DialogResourceCount = sizeof DialogResources / sizeof DialogResources[0];
