#include "core/app_state.h"

HINSTANCE ModuleInstance = nullptr;
HWND MainDialogWindow = nullptr;
HWND CurrentOwnerWindow = nullptr;
char Caption[CaptionSize] = "";
UINT PendingCommand = 0;
