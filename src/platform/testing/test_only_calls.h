// Win32 calls the program does not make but tests use to build windows and look at them,
// and to wait for a thread. They keep their Win32 contracts; only the testing library
// builds them.
#pragma once

#include "platform/win32.h"

// Builds the dialog without a loop (the proc gets WM_INITDIALOG); DestroyWindow ends it.
HWND CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC proc,
                        LPARAM initParam);
BOOL DestroyWindow(HWND window);
BOOL IsWindowEnabled(HWND window);
BOOL IsWindowVisible(HWND window);
int GetWindowTextA(HWND window, LPSTR buffer, int size);
BOOL GetWindowRect(HWND window, RECT* rect);
BOOL GetClientRect(HWND window, RECT* rect);
BOOL MapDialogRect(HWND dialog, RECT* rect);
HMENU GetMenu(HWND window);
UINT GetMenuState(HMENU menu, UINT id, UINT flags);

// The extended error of the last file dialog on this thread (0 after a cancel).
DWORD CommDlgExtendedError();

#define WAIT_OBJECT_0 0
#define WAIT_TIMEOUT 258
#define WAIT_FAILED ((DWORD)0xFFFFFFFF)
DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds);
