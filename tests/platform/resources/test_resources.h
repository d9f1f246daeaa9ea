// The resources of the platform's contract tests: one module for every test file, so that on
// Windows the build can write them into the test program's resource script as it does the
// program's (the identifiers of different files therefore never meet).
#pragma once

#include "platform/win32.h"

enum {
    // Dialogs and controls (test_windows.cpp).
    IDD_MAIN = 100,
    IDD_PLAIN = 101,
    IDD_BAD_MENU = 102,
    IDM_MAIN = 200,
    IDC_LABEL = 1000,
    IDC_RATE = 1001,
    IDC_BITS8 = 1002,
    IDC_BITS16 = 1003,
    IDC_POSITION = 1004,
    IDC_PLAY = 1005,
    IDC_HIDDEN = 1006,
    IDC_STATUS = 1007,
    IDC_PROGRESS = 1008,
    IDM_OPEN = 2001,
    IDM_EXIT = 2002,
    IDM_ABOUT = 2003,
    IDI_MAIN = 300,
    // Strings, icons and the about box (test_windows_resources.cpp).
    IDS_HELLO = 1,
    IDS_GREETING = 2,
    IDS_EMPTY = 3,
    IDI_APP = 310,
    IDD_ABOUT = 120,
    // Dialogs used from threads (test_windows_threads.cpp).
    IDD_SAVING = 110,
    IDD_QUESTION = 111,
    IDC_BAR = 1100,
    // The owner of the file dialogs (test_file_dialogs.cpp).
    IDD_OWNER = 1,
};

extern const RESOURCE_MODULE TestModule;
