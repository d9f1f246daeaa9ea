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
BOOL MapDialogRect(HWND dialog, RECT* rect);
HMENU GetMenu(HWND window);
UINT GetMenuState(HMENU menu, UINT id, UINT flags);

// What a bitmap is: for one made by CreateDIBSection, with `size` sizeof(DIBSECTION), also
// where its pixels are and which way up its rows run.
struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
};
struct DIBSECTION {
    BITMAP dsBm;
    BITMAPINFOHEADER dsBmih;
    DWORD dsBitfields[3];
    HANDLE dshSection;
    DWORD dsOffset;
};
// The bytes stored, 0 on failure.
int GetObjectA(HGDIOBJ object, int size, LPVOID buffer);

#define WAIT_OBJECT_0 0
#define WAIT_TIMEOUT 258
#define WAIT_FAILED ((DWORD)0xFFFFFFFF)
DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds);
