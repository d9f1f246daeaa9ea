// The Win32-style API the program is written against. Names, signatures, numeric values
// and contracts follow Win32; on Linux the calls are implemented with POSIX (files,
// threads), Qt 6 Widgets (windows, dialogs, controls, menus, message boxes) and SDL 2
// (wave-out audio). Nothing in here exposes a toolkit type.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------------------
// Basic types
typedef int BOOL;
typedef unsigned char BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t UINT;
typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef uint32_t COLORREF;
typedef int64_t LONGLONG;
typedef char CHAR;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef void* LPVOID;
typedef void* HANDLE;
typedef void* HLOCAL;
typedef DWORD* LPDWORD;
typedef LONG* PLONG;

struct HWND__;
struct HMENU__;
struct HICON__;
struct HDC__;
struct HBRUSH__;
struct RESOURCE_MODULE;
typedef HWND__* HWND;
typedef HMENU__* HMENU;
typedef HICON__* HICON;
typedef HDC__* HDC;
typedef HBRUSH__* HBRUSH;
// A module instance is the resource set a program hands to the platform.
typedef const RESOURCE_MODULE* HINSTANCE;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)
#define MAKEINTRESOURCEA(i) ((LPSTR)(UINT_PTR)(WORD)(i))
#define IS_INTRESOURCE(p) ((((UINT_PTR)(p)) >> 16) == 0)
#define LOWORD(l) ((WORD)(((UINT_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((UINT_PTR)(l)) >> 16) & 0xffff))
#define MAKELONG(a, b)                                                                             \
    ((LONG)(((WORD)(((UINT_PTR)(a)) & 0xffff)) | ((DWORD)((WORD)(((UINT_PTR)(b)) & 0xffff))) << 16))
#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)MAKELONG(l, h))
#define RGB(r, g, b)                                                                               \
    ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(rgb) ((BYTE)(rgb))
#define GetGValue(rgb) ((BYTE)(((WORD)(rgb)) >> 8))
#define GetBValue(rgb) ((BYTE)((rgb) >> 16))
#define MAX_PATH 260
// Not a Win32 name: the characters that end a folder in a path ("\\/" on Windows).
#define PATH_SEPARATORS "/"

// ---------------------------------------------------------------------------------------
// Error codes (GetLastError)
#define ERROR_SUCCESS 0L
#define NO_ERROR 0L
#define ERROR_INVALID_FUNCTION 1L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_TOO_MANY_OPEN_FILES 4L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_OUTOFMEMORY 14L
#define ERROR_NOT_SAME_DEVICE 17L
#define ERROR_WRITE_PROTECT 19L
#define ERROR_NOT_READY 21L
#define ERROR_CRC 23L
#define ERROR_SEEK 25L
#define ERROR_WRITE_FAULT 29L
#define ERROR_READ_FAULT 30L
#define ERROR_GEN_FAILURE 31L
#define ERROR_SHARING_VIOLATION 32L
#define ERROR_LOCK_VIOLATION 33L
#define ERROR_HANDLE_EOF 38L
#define ERROR_HANDLE_DISK_FULL 39L
#define ERROR_NOT_SUPPORTED 50L
#define ERROR_FILE_EXISTS 80L
#define ERROR_CANNOT_MAKE 82L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_BROKEN_PIPE 109L
#define ERROR_DISK_FULL 112L
#define ERROR_CALL_NOT_IMPLEMENTED 120L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_INVALID_NAME 123L
#define ERROR_NEGATIVE_SEEK 131L
#define ERROR_DIR_NOT_EMPTY 145L
#define ERROR_BUSY 170L
#define ERROR_ALREADY_EXISTS 183L
#define ERROR_FILENAME_EXCED_RANGE 206L
#define ERROR_MORE_DATA 234L
#define ERROR_NO_MORE_FILES 18L
#define ERROR_DIRECTORY 267L
#define ERROR_NOT_ENOUGH_QUOTA 1816L
#define ERROR_INVALID_WINDOW_HANDLE 1400L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L
#define ERROR_RESOURCE_TYPE_NOT_FOUND 1813L
#define ERROR_CANCELLED 1223L
#define ERROR_TOO_MANY_LINKS 1142L
#define ERROR_CANT_RESOLVE_FILENAME 1921L
#define ERROR_IO_DEVICE 1117L
#define ERROR_BAD_FILE_TYPE 222L
#define ERROR_INVALID_ADDRESS 487L
#define ERROR_NOT_LOCKED 158L
#define ERROR_OPEN_FAILED 110L
#define ERROR_WRONG_DISK 34L
#define ERROR_UNEXP_NET_ERR 59L
#define ERROR_MR_MID_NOT_FOUND 317L
#define ERROR_RESOURCE_LANG_NOT_FOUND 1815L

DWORD GetLastError();
void SetLastError(DWORD code);

// ---------------------------------------------------------------------------------------
// Error texts
#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#define FORMAT_MESSAGE_ARGUMENT_ARRAY 0x00002000
#define FORMAT_MESSAGE_MAX_WIDTH_MASK 0x000000FF
#define LANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define MAKELANGID(p, s) ((((WORD)(s)) << 10) | (WORD)(p))

// The system's messages (FORMAT_MESSAGE_FROM_SYSTEM), in one line with the width
// FORMAT_MESSAGE_MAX_WIDTH_MASK or ending with a line break with width 0; other sources
// and widths fail with ERROR_INVALID_PARAMETER. With FORMAT_MESSAGE_ALLOCATE_BUFFER,
// `buffer` is really a char** that receives a block to release with LocalFree; `size` is
// then the minimum to allocate. Inserts %1..%9 are taken from `arguments` (an array of
// const char*) with FORMAT_MESSAGE_ARGUMENT_ARRAY.
// Returns the number of characters stored, without the NUL; 0 on failure.
DWORD FormatMessageA(DWORD flags, const void* source, DWORD messageId, DWORD languageId,
                     LPSTR buffer, DWORD size, const char* const* arguments);
HLOCAL LocalFree(HLOCAL block);

// ---------------------------------------------------------------------------------------
// Strings and formatting
// Copies at most count-1 characters and always stores a NUL; never splits a UTF-8 character.
LPSTR lstrcpynA(LPSTR destination, LPCSTR source, int count);
int lstrcmpiA(LPCSTR a, LPCSTR b);
// Not a Win32 call (Win32's wvsprintfA has no size): printf-style formatting into `buffer`
// of `size` characters, at most size-1 characters and a NUL, the cut never splitting a
// UTF-8 character. Returns the characters stored.
int FormatTextV(LPSTR buffer, size_t size, LPCSTR format, va_list arguments);

// ---------------------------------------------------------------------------------------
// Files
#define GENERIC_READ 0x80000000
#define GENERIC_WRITE 0x40000000
#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define FILE_SHARE_DELETE 0x00000004
#define CREATE_NEW 1
#define OPEN_EXISTING 3
#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define FILE_FLAG_SEQUENTIAL_SCAN 0x08000000
#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2
#define INVALID_FILE_SIZE ((DWORD)0xFFFFFFFF)
#define INVALID_SET_FILE_POINTER ((DWORD)-1)
#define MOVEFILE_REPLACE_EXISTING 0x00000001

struct SECURITY_ATTRIBUTES;
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

struct WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    CHAR cFileName[MAX_PATH];
    CHAR cAlternateFileName[14];
};
typedef WIN32_FIND_DATAA* LPWIN32_FIND_DATAA;

// A read-only open with share mode 0 takes an exclusive lock; a second opener, in this
// process or another, fails with ERROR_SHARING_VIOLATION. Directories, FIFOs and devices
// are refused (never blocking) with ERROR_ACCESS_DENIED / ERROR_BAD_FILE_TYPE.
// FILE_FLAG_SEQUENTIAL_SCAN says the file is read or written from start to end: a reader
// that reads on from where it stopped has the next 16 MiB window brought in ahead, and a
// writer's data goes to the disk as it is written, at most two such windows not yet on the
// disk (a write-back that fails fails the WriteFile that started or waited for it).
// FlushFileBuffers still makes it durable.
HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD creation, DWORD flags, HANDLE templateFile);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, void* overlapped);
BOOL WriteFile(HANDLE file, const void* buffer, DWORD toWrite, LPDWORD written, void* overlapped);
DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method);
BOOL SetEndOfFile(HANDLE file);
DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh);
BOOL CloseHandle(HANDLE object);
BOOL DeleteFileA(LPCSTR path);
BOOL MoveFileExA(LPCSTR existing, LPCSTR target, DWORD flags);
// Finds the file `path` names; '*' and '?' are taken as themselves (they are allowed in
// Linux names), since the program only asks whether a file exists.
HANDLE FindFirstFileA(LPCSTR path, LPWIN32_FIND_DATAA data);
BOOL FindClose(HANDLE find);
DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer);
BOOL SetCurrentDirectoryA(LPCSTR path);
// The full path of `name` (taken against the current directory when relative, "." and ".."
// removed by the text alone); the file need not exist. The length without the NUL, or the
// size needed counting the NUL when the buffer is too small; 0 with the last error set.
DWORD GetFullPathNameA(LPCSTR name, DWORD size, LPSTR buffer, LPSTR* filePart);

// ---------------------------------------------------------------------------------------
// Threads
typedef DWORD (*LPTHREAD_START_ROUTINE)(LPVOID parameter);
HANDLE CreateThread(LPSECURITY_ATTRIBUTES security, size_t stackSize, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD flags, LPDWORD threadId);
#define INFINITE 0xFFFFFFFF

// ---------------------------------------------------------------------------------------
// Resources: what a module instance holds. Dialog templates, menus, strings and icons are
// plain data that the program defines; the platform builds windows from them.
#include "platform/win32_resource_data.h"

struct RESOURCE_MODULE {
    const DLGTEMPLATE_DATA* dialogs;
    int dialogCount;
    const MENU_DATA* menus;
    int menuCount;
    const STRING_DATA* strings;
    int stringCount;
    const ICON_DATA* icons;
    int iconCount;
};

// Copies string `id` into buffer (at most size-1 characters and a NUL, never splitting a
// UTF-8 character). Returns the characters copied; 0 and ERROR_RESOURCE_NAME_NOT_FOUND if
// the string does not exist.
int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int size);
HICON LoadIconA(HINSTANCE instance, LPCSTR name);

// ---------------------------------------------------------------------------------------
// Window messages
#define WM_NULL 0x0000
#define WM_DESTROY 0x0002
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E
#define WM_CLOSE 0x0010
#define WM_ENDSESSION 0x0016 // wParam TRUE: the session ends; the program must end now
#define WM_SETICON 0x0080
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_SYSCOMMAND 0x0112
#define WM_TIMER 0x0113 // wParam: the timer's identifier
#define WM_HSCROLL 0x0114
#define WM_VSCROLL 0x0115
#define WM_INITMENU 0x0116
#define WM_CTLCOLORSTATIC 0x0138
#define WM_DROPFILES 0x0233 // wParam: the HDROP, which the receiver gives back with DragFinish
#define WM_USER 0x0400
#define ENDSESSION_CLOSEAPP 0x00000001
#define WM_APP 0x8000
#define MM_WOM_OPEN 0x3BB
#define MM_WOM_CLOSE 0x3BC
#define MM_WOM_DONE 0x3BD

#define ICON_SMALL 0
#define ICON_BIG 1

// Dialog and control commands
#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7

#define BN_CLICKED 0
#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BST_UNCHECKED 0
#define BST_CHECKED 1

#define CB_ERR (-1)
#define CBN_SELCHANGE 1
#define CBN_DBLCLK 2
#define CBN_SETFOCUS 3
#define CBN_KILLFOCUS 4
#define CBN_EDITCHANGE 5
#define CBN_EDITUPDATE 6
#define CBN_DROPDOWN 7
#define CB_GETEDITSEL 0x0140
#define CB_LIMITTEXT 0x0141
#define CB_SETEDITSEL 0x0142
#define CB_ADDSTRING 0x0143
#define CB_GETCOUNT 0x0146
#define CB_GETCURSEL 0x0147
#define CB_GETLBTEXT 0x0148
#define CB_GETLBTEXTLEN 0x0149
#define CB_SETCURSEL 0x014E

// Trackbar
#define TBM_GETPOS (WM_USER)
#define TBM_GETRANGEMIN (WM_USER + 1)
#define TBM_GETRANGEMAX (WM_USER + 2)
#define TBM_SETPOS (WM_USER + 5)
#define TBM_SETRANGEMIN (WM_USER + 7)
#define TBM_SETRANGEMAX (WM_USER + 8)
#define TB_LINEUP 0
#define TB_LINEDOWN 1
#define TB_PAGEUP 2
#define TB_PAGEDOWN 3
#define TB_THUMBPOSITION 4
#define TB_THUMBTRACK 5
#define TB_TOP 6
#define TB_BOTTOM 7
#define TB_ENDTRACK 8

// Progress bar
#define PBM_SETRANGE (WM_USER + 1)
#define PBM_SETPOS (WM_USER + 2)
#define PBM_DELTAPOS (WM_USER + 3)
#define PBM_SETSTEP (WM_USER + 4)
#define PBM_STEPIT (WM_USER + 5)
#define PBM_SETRANGE32 (WM_USER + 6)
#define PBM_GETPOS (WM_USER + 8)

// Window styles
#define WS_OVERLAPPED 0x00000000L
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_MINIMIZE 0x20000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CLIPSIBLINGS 0x04000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_DLGFRAME 0x00400000L
#define WS_VSCROLL 0x00200000L
#define WS_HSCROLL 0x00100000L
#define WS_SYSMENU 0x00080000L
#define WS_THICKFRAME 0x00040000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L
#define WS_MINIMIZEBOX 0x00020000L
#define WS_MAXIMIZEBOX 0x00010000L
#define WS_EX_DLGMODALFRAME 0x00000001L
#define WS_EX_ACCEPTFILES 0x00000010L
#define WS_EX_APPWINDOW 0x00040000L

#define DS_MODALFRAME 0x80L
#define DS_SETFONT 0x40L
#define DS_CENTER 0x0800L

#define BS_PUSHBUTTON 0x00000000L
#define BS_DEFPUSHBUTTON 0x00000001L
#define BS_CHECKBOX 0x00000002L
#define BS_AUTOCHECKBOX 0x00000003L
#define BS_RADIOBUTTON 0x00000004L
#define BS_AUTORADIOBUTTON 0x00000009L
#define BS_GROUPBOX 0x00000007L
#define BS_TYPEMASK 0x0000000FL

#define SS_LEFT 0x00000000L
#define SS_CENTER 0x00000001L
#define SS_RIGHT 0x00000002L
#define SS_ICON 0x00000003L
#define SS_LEFTNOWORDWRAP 0x0000000CL
#define SS_TYPEMASK 0x0000001FL

#define CBS_DROPDOWN 0x0002L
#define CBS_DROPDOWNLIST 0x0003L
#define CBS_AUTOHSCROLL 0x0040L
#define CBS_SORT 0x0100L

#define TBS_HORZ 0x0000
#define TBS_BOTH 0x0008
#define TBS_NOTICKS 0x0010

#define PBS_SMOOTH 0x01

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOW 5

#define COLOR_BTNFACE 15
#define TRANSPARENT 1
#define OPAQUE 2

// ---------------------------------------------------------------------------------------
// Windows, dialogs, controls
typedef INT_PTR (*DLGPROC)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

struct RECT {
    LONG left, top, right, bottom;
};

// Runs a dialog template modally; returns the EndDialog result, or -1 (with the last error
// set) when the dialog cannot be created. Posted messages go on being delivered by this
// loop and by every nested one.
INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC proc,
                        LPARAM initParam);
// Ends a modal dialog; may be called from any thread, and before the dialog's loop has
// started (the loop then returns at once).
BOOL EndDialog(HWND dialog, INT_PTR result);
BOOL IsWindow(HWND window);
HWND GetDlgItem(HWND dialog, int id);
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Queues the message; it is delivered on the GUI thread by whatever loop is running.
// Safe from any thread.
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
typedef void (*TIMERPROC)(HWND window, UINT message, UINT_PTR id, DWORD time);
// Starts (or, for an identifier the window has already, restarts) a timer of the window:
// every `elapse` milliseconds, once the thread's loop has nothing else to deliver, the
// window's procedure gets one WM_TIMER with wParam = id (never two of one timer queued).
// Only window timers are offered: `proc` must be null. Returns `id`, or 0 (with the last
// error set) when the window is not one or no timer can be made. GUI thread only.
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc);
// Stops the timer; a WM_TIMER of it not yet delivered is not delivered. FALSE (with the
// last error set) when the window has no such timer.
BOOL KillTimer(HWND window, UINT_PTR id);
BOOL EnableWindow(HWND window, BOOL enable);
BOOL ShowWindow(HWND window, int command);
BOOL SetWindowTextA(HWND window, LPCSTR text);
UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned);
HWND GetFocus();
HWND SetFocus(HWND window);
BOOL GetClientRect(HWND window, RECT* rect);
// The window repaints `rect` (null: all of it) at the next chance.
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);

// Files dropped on a window (shellapi.h on Windows)
struct HDROP__;
typedef HDROP__* HDROP;
// From now on files dropped on the window arrive as a posted WM_DROPFILES.
void DragAcceptFiles(HWND window, BOOL accept);
// Index 0xFFFFFFFF: the number of files. Otherwise the index's path into the buffer (cut to
// its size, always NUL-terminated); the length copied, or the length without the NUL when
// the buffer is null.
UINT DragQueryFileA(HDROP drop, UINT index, LPSTR buffer, UINT size);
void DragFinish(HDROP drop);

// Menus
#define MF_BYCOMMAND 0x00000000L
#define MF_ENABLED 0x00000000L
#define MF_GRAYED 0x00000001L
#define MF_DISABLED 0x00000002L
#define MF_POPUP 0x00000010L
#define MF_END 0x00000080L
#define MF_SEPARATOR 0x00000800L
// Returns the item's previous state (MF_ENABLED or MF_GRAYED), or -1 if there is no such item.
BOOL EnableMenuItem(HMENU menu, UINT id, UINT enable);

// Drawing of static controls (WM_CTLCOLORSTATIC)
COLORREF SetTextColor(HDC dc, COLORREF color);
int SetBkMode(HDC dc, int mode);
HBRUSH GetSysColorBrush(int index);

// Message boxes
#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_YESNO 0x00000004L
#define MB_ICONHAND 0x00000010L
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONINFORMATION 0x00000040L
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// Common controls: the trackbar and progress classes are always registered.
BOOL InitCommonControls();

// ---------------------------------------------------------------------------------------
// Wave-out audio
typedef UINT MMRESULT;
struct HWAVEOUT__;
typedef HWAVEOUT__* HWAVEOUT;
#define MMSYSERR_NOERROR 0
#define MMSYSERR_ERROR 1
#define MMSYSERR_BADDEVICEID 2
#define MMSYSERR_NOTENABLED 3
#define MMSYSERR_ALLOCATED 4
#define MMSYSERR_INVALHANDLE 5
#define MMSYSERR_NODRIVER 6
#define MMSYSERR_NOMEM 7
#define MMSYSERR_NOTSUPPORTED 8
#define MMSYSERR_BADERRNUM 9
#define MMSYSERR_INVALFLAG 10
#define MMSYSERR_INVALPARAM 11
#define MMSYSERR_HANDLEBUSY 12
#define MMSYSERR_INVALIDALIAS 13
#define MMSYSERR_BADDB 14
#define MMSYSERR_KEYNOTFOUND 15
#define MMSYSERR_READERROR 16
#define MMSYSERR_WRITEERROR 17
#define MMSYSERR_DELETEERROR 18
#define MMSYSERR_VALNOTFOUND 19
#define MMSYSERR_NODRIVERCB 20
#define MMSYSERR_MOREDATA 21
#define WAVERR_BASE 32
#define WAVERR_BADFORMAT (WAVERR_BASE + 0)
#define WAVERR_STILLPLAYING (WAVERR_BASE + 1)
#define WAVERR_UNPREPARED (WAVERR_BASE + 2)
#define WAVERR_SYNC (WAVERR_BASE + 3)
#define MAXERRORLENGTH 256

#define WAVE_FORMAT_PCM 1
#define WAVE_MAPPER ((UINT)-1)
#define CALLBACK_WINDOW 0x00010000L
#define WHDR_DONE 0x00000001
#define WHDR_PREPARED 0x00000002
#define WHDR_INQUEUE 0x00000010

#pragma pack(push, 1)
struct WAVEFORMATEX {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
    WORD cbSize;
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18, "WAVEFORMATEX is packed as on Win32");

struct WAVEHDR {
    LPSTR lpData;
    DWORD dwBufferLength;
    DWORD dwBytesRecorded;
    UINT_PTR dwUser;
    DWORD dwFlags;
    DWORD dwLoops;
    WAVEHDR* lpNext;
    UINT_PTR reserved;
};
typedef WAVEHDR* LPWAVEHDR;

// Fills `text` (size characters) with the sentence for a wave-out code; MMSYSERR_BADERRNUM
// for a code without one.
MMRESULT waveOutGetErrorTextA(MMRESULT code, LPSTR text, UINT size);

// The registry and environment part of the API.
#include "platform/win32_registry.h"

// The common file dialogs and the wave-out calls.
#include "platform/win32_commdlg.h"
#include "platform/win32_fileinfo.h"
#include "platform/win32_waveout.h"

// Bitmaps the program paints and static controls show.
#include "platform/win32_bitmap.h"
