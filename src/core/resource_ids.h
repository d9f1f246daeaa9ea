// Identifiers of the dialogs, controls, menu items, icons and strings. The templates in
// ui/resources and every part of the program refer to these numbers.
#pragma once

// Dialogs, menu, icons
constexpr int IDD_MAIN = 101;
constexpr int IDR_MAIN_MENU = 104;
constexpr int IDD_ABOUT = 109;
constexpr int IDD_SAVING = 127;
constexpr int IDI_MAIN_BIG = 112;
constexpr int IDI_MAIN_SMALL = 115;

// Controls of the main dialog
constexpr int IDC_DURATION = 128;
constexpr int IDC_INVALID_RATE = 129;
constexpr int IDC_SLIDER = 1000;
constexpr int IDC_RATE = 1001;
constexpr int IDC_8BIT = 1002;
constexpr int IDC_16BIT = 1003;
constexpr int IDC_MONO = 1004;
constexpr int IDC_STEREO = 1006;
constexpr int IDC_FILE_SIZE = 1009;
constexpr int IDC_OVERSIZE = 1010;
constexpr int IDC_PLAY = 1011;
constexpr int IDC_STOP = 1012;
constexpr int IDC_SUGGESTION = 1015;
constexpr int IDC_WAVEFORM = 1016;

// Controls of the Saving dialog
constexpr int IDC_SAVING_PROGRESS = 1019;

// Menu commands
constexpr int IDM_PLAY = 131;
constexpr int IDM_STOP = 132;
constexpr int IDM_ABOUT = 133;
constexpr int IDM_OPEN = 134;
constexpr int IDM_SAVE_IN_PLACE = 1020;
constexpr int IDM_SAVE_AS = 40003;
constexpr int IDM_EXIT = 40004;

// Strings
constexpr int IDS_CLOSE_CURRENT = 3;
constexpr int IDS_FILE_SMALL = 1014;
constexpr int IDS_CONFIRM_IN_PLACE = 40009;
constexpr int IDS_CREATED = 40011;
constexpr int IDS_QUIT = 40013;
constexpr int IDS_OTHER_DISK = 40015; // added: Save in place refuses a name on another disk
constexpr int IDS_CAPTION = 57602;
constexpr int IDS_OPEN_FILTER = 57603;
constexpr int IDS_SAVE_FILTER = 57604;
constexpr int IDS_SAME_NAME = 57605;
constexpr int IDS_SUGGESTED = 40020;
constexpr int IDS_SUGGESTED_8BIT = 40021;
constexpr int IDS_SUGGESTED_16BIT = 40022;
constexpr int IDS_SUGGESTED_MONO = 40023;
constexpr int IDS_SUGGESTED_STEREO = 40024;
// added: an oversize file can be saved whole, as RF64
constexpr int IDS_SAVE_FILTER_WHOLE = 40025;
constexpr int IDS_CREATED_WHOLE = 40026;
constexpr int IDS_CONFIRM_IN_PLACE_CUT = 40027;
// added: a path too long for the file dialog's buffer is refused, and the dialog comes back
constexpr int IDS_PATH_TOO_LONG = 40028;
// added: the suggestion's identical pairs and its rate
constexpr int IDS_SUGGESTED_IDENTICAL = 40030;
constexpr int IDS_SUGGESTED_RATE = 40031;
