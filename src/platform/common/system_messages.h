// Messages the system itself sends a window (a wave-out device's MM_WOM_DONE, a drop's
// WM_DROPFILES): queued as PostMessageA queues them, but not a call of the program's, so a
// test's fault in PostMessageA never loses one, as on Windows. Each flavour defines it: the
// Linux one in its GUI queue (qt_application.cpp), the Windows testing library over the
// system's PostMessageA (windows/testing/fault_calls.cpp).
#pragma once

#include "platform/win32.h"

BOOL PostSystemMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
