// The data behind test_resources.h. On Windows the test program's resource script is made from
// it by the same tool as the program's (under the names that tool reads).
#include "test_resources.h"

#include <iterator>

#include "ui/resources/resources.h"

namespace {

const DLGITEM_DATA MainItems[] = {
    {"static", "&Rate:", IDC_LABEL, 0, 0, 40, 8, SS_LEFT | WS_VISIBLE, 0},
    {"combobox", "", IDC_RATE, 44, 0, 60, 80, CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP | WS_VISIBLE,
     0},
    {"button", "Format", -1, 5, 14, 100, 34, BS_GROUPBOX | WS_VISIBLE, 0},
    {"button", "8 bit", IDC_BITS8, 10, 22, 40, 10,
     BS_RADIOBUTTON | WS_GROUP | WS_TABSTOP | WS_VISIBLE, 0},
    {"button", "16 bit", IDC_BITS16, 10, 34, 40, 10, BS_RADIOBUTTON | WS_VISIBLE, 0},
    {"msctls_trackbar32", "", IDC_POSITION, 10, 50, 180, 15, WS_TABSTOP | WS_VISIBLE, 0},
    {"static", "Status", IDC_STATUS, 10, 68, 100, 8, SS_LEFTNOWORDWRAP | WS_VISIBLE, 0},
    {"msctls_progress32", "", IDC_PROGRESS, 110, 20, 80, 10, WS_VISIBLE, 0},
    {"button", "&Play", IDC_PLAY, 10, 100, 50, 14,
     BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED | WS_VISIBLE, 0},
    {"button", "Hidden", IDC_HIDDEN, 70, 100, 50, 14, BS_PUSHBUTTON | WS_TABSTOP, 0},
    {"button", "OK", IDOK, 140, 100, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 0},
};

const DLGITEM_DATA PlainItems[] = {
    {"static", "#300", -1, 4, 4, 20, 20, SS_ICON | WS_VISIBLE, 0},
    {"msctls_trackbar32", "", IDC_POSITION, 4, 30, 30, 12, WS_TABSTOP | WS_VISIBLE, 0},
    {"button", "Cancel", IDCANCEL, 40, 30, 50, 14, BS_PUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 0},
};

const DLGITEM_DATA AboutItems[] = {
    {"static", "#310", -1, 7, 7, 21, 20, SS_ICON | WS_VISIBLE, 0},
    {"button", "OK", IDOK, 40, 30, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 0},
};

const DLGITEM_DATA SavingItems[] = {
    {"static", "Saving...", -1, 7, 7, 120, 8, SS_LEFT | WS_VISIBLE, 0},
    {"msctls_progress32", "", IDC_BAR, 7, 20, 120, 10, PBS_SMOOTH | WS_VISIBLE, 0},
    {"button", "Cancel", IDCANCEL, 77, 36, 50, 14, BS_PUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 0},
};

const DLGITEM_DATA QuestionItems[] = {
    {"button", "OK", IDOK, 7, 7, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 0},
};

constexpr DWORD DialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;

const MENUITEM_DATA MainMenuItems[] = {
    {MF_POPUP, 0, "&File"},      {0, IDM_OPEN, "&Open..."},       {MF_SEPARATOR, 0, nullptr},
    {MF_END, IDM_EXIT, "E&xit"}, {MF_POPUP | MF_END, 0, "&Help"}, {MF_END, IDM_ABOUT, "&About"},
};

} // namespace

const DLGTEMPLATE_DATA DialogResources[] = {
    {IDD_MAIN, DialogStyle | WS_MINIMIZEBOX | DS_CENTER | WS_VISIBLE, WS_EX_APPWINDOW, 0, 0, 200,
     120, "Main", "MS Sans Serif", 8, IDM_MAIN, MainItems, static_cast<int>(std::size(MainItems))},
    {IDD_PLAIN, DialogStyle | WS_VISIBLE, 0, 10, 10, 100, 50, "Plain", "MS Sans Serif", 8, 0,
     PlainItems, static_cast<int>(std::size(PlainItems))},
    {IDD_BAD_MENU, DialogStyle, 0, 0, 0, 100, 50, "Bad", "MS Sans Serif", 8, 999, PlainItems,
     static_cast<int>(std::size(PlainItems))},
    {IDD_ABOUT, DialogStyle, 0, 0, 0, 100, 50, "About", "MS Sans Serif", 8, 0, AboutItems,
     static_cast<int>(std::size(AboutItems))},
    {IDD_SAVING, DialogStyle | WS_VISIBLE | DS_CENTER, 0, 0, 0, 134, 56, "Saving", "MS Sans Serif",
     8, 0, SavingItems, static_cast<int>(std::size(SavingItems))},
    {IDD_QUESTION, DialogStyle | WS_VISIBLE, 0, 20, 20, 64, 28, "Question", "MS Sans Serif", 8, 0,
     QuestionItems, static_cast<int>(std::size(QuestionItems))},
    {IDD_OWNER, DialogStyle, 0, 0, 0, 200, 100, "Owner", "MS Sans Serif", 8, 0, nullptr, 0},
};
const int DialogResourceCount = static_cast<int>(std::size(DialogResources));

const MENU_DATA MenuResources[] = {
    {IDM_MAIN, MainMenuItems, static_cast<int>(std::size(MainMenuItems))},
};
const int MenuResourceCount = static_cast<int>(std::size(MenuResources));

const STRING_DATA StringResources[] = {
    {IDS_HELLO, "Hello"},
    {IDS_GREETING, "Gr\xC3\xBC\xC3\x9F"
                   "e"}, // "Grüße": ü and ß take two bytes each
    {IDS_EMPTY, ""},
};
const int StringResourceCount = static_cast<int>(std::size(StringResources));

// Row by row. IDI_APP: black white red clear / blue clear lime aqua.
const ICON_DATA IconResources[] = {
    {IDI_MAIN, 4, 4, "0f9.f09.9c.c.c..c"},
    {IDI_APP, 4, 2, "0f9.c.ae"},
};
const int IconResourceCount = static_cast<int>(std::size(IconResources));

const RESOURCE_MODULE TestModule = {DialogResources,   DialogResourceCount, MenuResources,
                                    MenuResourceCount, StringResources,     StringResourceCount,
                                    IconResources,     IconResourceCount};
