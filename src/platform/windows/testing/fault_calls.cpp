// Fault points of the file, thread, registry, text and window calls the program makes.
// The calls with scripts or a test device of their own are in the files beside this one.
#include "platform/windows/testing/wrap.h"

SEAM_FAULT(HANDLE, CreateFileA, INVALID_HANDLE_VALUE,
           (LPCSTR p, DWORD a, DWORD s, LPSECURITY_ATTRIBUTES sa, DWORD c, DWORD f, HANDLE t),
           (p, a, s, sa, c, f, t))
SEAM_FAULT(BOOL, ReadFile, FALSE, (HANDLE h, LPVOID b, DWORD n, LPDWORD r, LPOVERLAPPED o),
           (h, b, n, r, o))
SEAM_FAULT(BOOL, WriteFile, FALSE, (HANDLE h, LPCVOID b, DWORD n, LPDWORD w, LPOVERLAPPED o),
           (h, b, n, w, o))
SEAM_FAULT(DWORD, SetFilePointer, INVALID_SET_FILE_POINTER, (HANDLE h, LONG d, PLONG hi, DWORD m),
           (h, d, hi, m))
SEAM_FAULT(BOOL, SetEndOfFile, FALSE, (HANDLE h), (h))
SEAM_FAULT(DWORD, GetFileSize, INVALID_FILE_SIZE, (HANDLE h, LPDWORD hi), (h, hi))
SEAM_FAULT(BOOL, CloseHandle, FALSE, (HANDLE h), (h))
SEAM_FAULT(BOOL, DeleteFileA, FALSE, (LPCSTR p), (p))
SEAM_FAULT(BOOL, MoveFileExA, FALSE, (LPCSTR a, LPCSTR b, DWORD f), (a, b, f))
SEAM_FAULT(HANDLE, FindFirstFileA, INVALID_HANDLE_VALUE, (LPCSTR p, LPWIN32_FIND_DATAA d), (p, d))
SEAM_FAULT(BOOL, FindClose, FALSE, (HANDLE h), (h))
SEAM_FAULT(BOOL, FlushFileBuffers, FALSE, (HANDLE h), (h))
SEAM_FAULT(BOOL, GetFileInformationByHandle, FALSE, (HANDLE h, LPBY_HANDLE_FILE_INFORMATION i),
           (h, i))
SEAM_FAULT(DWORD, GetCurrentDirectoryA, 0, (DWORD n, LPSTR b), (n, b))
SEAM_FAULT(BOOL, SetCurrentDirectoryA, FALSE, (LPCSTR p), (p))
SEAM_FAULT(HANDLE, CreateThread, nullptr,
           (LPSECURITY_ATTRIBUTES sa, SIZE_T n, LPTHREAD_START_ROUTINE f, LPVOID p, DWORD fl,
            LPDWORD id),
           (sa, n, f, p, fl, id))
SEAM_FAULT(DWORD, ExpandEnvironmentStringsA, 0, (LPCSTR s, LPSTR d, DWORD n), (s, d, n))
SEAM_FAULT(DWORD, FormatMessageA, 0,
           (DWORD f, LPCVOID s, DWORD id, DWORD l, LPSTR b, DWORD n, va_list* a),
           (f, s, id, l, b, n, a))
SEAM_FAULT(int, LoadStringA, 0, (HINSTANCE i, UINT id, LPSTR b, int n), (i, id, b, n))
SEAM_FAULT(HICON, LoadIconA, nullptr, (HINSTANCE i, LPCSTR n), (i, n))
SEAM_FAULT(BOOL, EnableMenuItem, -1, (HMENU m, UINT id, UINT e), (m, id, e))
SEAM_FAULT(HBITMAP, CreateDIBSection, nullptr,
           (HDC d, const BITMAPINFO* i, UINT u, void** b, HANDLE s, DWORD o), (d, i, u, b, s, o))
SEAM_FAULT(UINT_PTR, SetTimer, 0, (HWND w, UINT_PTR id, UINT e, TIMERPROC p), (w, id, e, p))
SEAM_FAULT(BOOL, KillTimer, FALSE, (HWND w, UINT_PTR id), (w, id))
SEAM_FAULT(BOOL, PostMessageA, FALSE, (HWND w, UINT m, WPARAM wp, LPARAM lp), (w, m, wp, lp))

BOOL PostSystemMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SEAM_REAL(BOOL(WINAPI*)(HWND, UINT, WPARAM, LPARAM), PostMessageA)(window, message,
                                                                              wParam, lParam);
}
SEAM_STATUS(LONG, RegOpenKeyExA, (HKEY k, LPCSTR s, DWORD o, REGSAM r, PHKEY h), (k, s, o, r, h))
SEAM_STATUS(LONG, RegQueryValueExA, (HKEY k, LPCSTR n, LPDWORD r, LPDWORD t, LPBYTE d, LPDWORD s),
            (k, n, r, t, d, s))
// Where a text for the user goes at start-up: a failing pair is a program started without
// a console (from Explorer, a shortcut, a drop onto it).
SEAM_FAULT(HANDLE, GetStdHandle, INVALID_HANDLE_VALUE, (DWORD which), (which))
SEAM_FAULT(BOOL, AttachConsole, FALSE, (DWORD process), (process))
