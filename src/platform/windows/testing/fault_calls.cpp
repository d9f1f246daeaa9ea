// Fault points of the file, thread, registry, text and window calls the program makes.
// The calls with scripts or a test device of their own are in the files beside this one.
#include "platform/windows/testing/wrap.h"

SEAM_FAULT(HANDLE, CreateFileA, INVALID_HANDLE_VALUE,
           (LPCSTR p, DWORD a, DWORD s, LPSECURITY_ATTRIBUTES sa, DWORD c, DWORD f, HANDLE t),
           (p, a, s, sa, c, f, t))
// A failed read or write has moved no bytes: the system sets the count to 0 first.
#define SEAM_FAULT_TRANSFER(name, buffer)                                                          \
    SEAM_REAL_ENTRY(name)                                                                          \
    static BOOL WINAPI Seam_##name(HANDLE h, buffer b, DWORD n, LPDWORD moved, LPOVERLAPPED o)     \
    {                                                                                              \
        DWORD code = 0;                                                                            \
        if (FaultShouldFail(#name, &code)) {                                                       \
            if (moved != nullptr) {                                                                \
                *moved = 0;                                                                        \
            }                                                                                      \
            SetLastError(code);                                                                    \
            return FALSE;                                                                          \
        }                                                                                          \
        return SEAM_REAL(decltype(&Seam_##name), name)(h, b, n, moved, o);                         \
    }                                                                                              \
    SEAM_INSTALL(name, Seam_##name)
SEAM_FAULT_TRANSFER(ReadFile, LPVOID)
SEAM_FAULT_TRANSFER(WriteFile, LPCVOID)
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
// A failed FormatMessageA that was to allocate its buffer hands back none.
SEAM_REAL_ENTRY(FormatMessageA)
static DWORD WINAPI Seam_FormatMessageA(DWORD f, LPCVOID s, DWORD id, DWORD l, LPSTR b, DWORD n,
                                        va_list* a)
{
    DWORD code = 0;
    if (FaultShouldFail("FormatMessageA", &code)) {
        if ((f & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0 && b != nullptr) {
            *reinterpret_cast<LPSTR*>(b) = nullptr;
        }
        SetLastError(code);
        return 0;
    }
    return SEAM_REAL(decltype(&Seam_FormatMessageA), FormatMessageA)(f, s, id, l, b, n, a);
}
SEAM_INSTALL(FormatMessageA, Seam_FormatMessageA)
SEAM_FAULT(LPSTR, lstrcpynA, nullptr, (LPSTR d, LPCSTR s, int n), (d, s, n))
SEAM_STATUS(MMRESULT, waveOutGetErrorTextA, (MMRESULT e, LPSTR t, UINT n), (e, t, n))
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
// A key that failed to open is none.
SEAM_REAL_ENTRY(RegOpenKeyExA)
static LONG WINAPI Seam_RegOpenKeyExA(HKEY k, LPCSTR s, DWORD o, REGSAM r, PHKEY h)
{
    DWORD code = 0;
    if (FaultShouldFail("RegOpenKeyExA", &code)) {
        if (h != nullptr) {
            *h = nullptr;
        }
        return static_cast<LONG>(code);
    }
    return SEAM_REAL(decltype(&Seam_RegOpenKeyExA), RegOpenKeyExA)(k, s, o, r, h);
}
SEAM_INSTALL(RegOpenKeyExA, Seam_RegOpenKeyExA)
SEAM_STATUS(LONG, RegQueryValueExA, (HKEY k, LPCSTR n, LPDWORD r, LPDWORD t, LPBYTE d, LPDWORD s),
            (k, n, r, t, d, s))
// Where a text for the user goes at start-up: a failing pair is a program started without
// a console (from Explorer, a shortcut, a drop onto it).
SEAM_FAULT(HANDLE, GetStdHandle, INVALID_HANDLE_VALUE, (DWORD which), (which))
SEAM_FAULT(BOOL, AttachConsole, FALSE, (DWORD process), (process))
