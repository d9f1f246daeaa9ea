// Picture of a window, for the project's screenshot script and its checks; the program's
// own code never calls it.
#pragma once

#include "platform/win32.h"

// Saves what `window` shows (menu bar and client area, at the screen's scale) as a PNG.
// FALSE with ERROR_INVALID_WINDOW_HANDLE for a window that does not exist, and with
// ERROR_WRITE_FAULT when the picture cannot be written.
BOOL SaveWindowImage(HWND window, const char* path);
