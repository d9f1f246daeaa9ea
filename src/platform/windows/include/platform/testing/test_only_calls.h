// The Win32 calls tests make to look at windows and wait for threads: on Windows they are
// the system's own (CreateDialogParamA, DestroyWindow, GetWindowTextA, GetMenuState,
// CommDlgExtendedError, WaitForSingleObject, ...), declared by <windows.h>.
#pragma once

#include "platform/win32.h"
