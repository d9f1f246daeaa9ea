#pragma once

#include "platform/win32.h"

void AboutCommand();
INT_PTR AboutDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
