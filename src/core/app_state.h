// The process-wide window values every part reads. The main dialog sets them; nobody else
// writes them except where noted.
#pragma once

#include "platform/win32.h"

constexpr int CaptionSize = 100;

extern HINSTANCE ModuleInstance;  // set by the entry point
extern HWND MainDialogWindow;     // set at WM_INITDIALOG of the main dialog
extern HWND CurrentOwnerWindow;   // owner of error boxes: the main dialog, or a dialog over it
extern char Caption[CaptionSize]; // caption of every box; the title when no file is open
extern UINT PendingCommand;       // a command waiting for playback to stop; 0 for none
