// The main dialog: its procedure, start-up work, menu states and command dispatch.
#pragma once

#include "platform/win32.h"

INT_PTR MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void InitMainDialog();
void UpdateMenuStates(HMENU menu);
// Runs the operation behind a command; FALSE for an identifier that has none.
BOOL DispatchCommand(WORD id, WORD code);
