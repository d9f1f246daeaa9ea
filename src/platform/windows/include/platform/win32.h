// The interface on Windows: the system's own API. The program includes "platform/win32.h";
// in a Windows build this file stands in front of the Linux one, so the program's code
// compiles unchanged against <windows.h>, <mmsystem.h> and <commdlg.h>. What follows the
// system headers is what the system lacks: the resource records and the two helpers that
// are not Win32 calls.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cderr.h>
#include <commctrl.h>
#include <commdlg.h>
#include <mmsystem.h>
#include <shellapi.h>

// Leftovers of 16-bit memory models that would take words the program uses as names.
#undef near
#undef far

#include <cstdarg>
#include <cstddef>
#include <cstdint>

#include "platform/win32_resource_data.h"

// Not a Win32 name: the characters that end a folder in a path (both are taken).
#define PATH_SEPARATORS "\\/"

extern "C" IMAGE_DOS_HEADER __ImageBase;

// On Windows the module instance is the executable itself, whose resources the build made
// from this same data (tools/resource_script writes it as the script the resource compiler
// reads). Taking the address of the resource
// set gives that module's handle, so the entry point reads the same on both flavours.
struct RESOURCE_MODULE {
    const DLGTEMPLATE_DATA* dialogs;
    int dialogCount;
    const MENU_DATA* menus;
    int menuCount;
    const STRING_DATA* strings;
    int stringCount;
    const ICON_DATA* icons;
    int iconCount;

    HINSTANCE operator&() const { return reinterpret_cast<HINSTANCE>(&__ImageBase); }
};

// With FORMAT_MESSAGE_ARGUMENT_ARRAY the system takes the inserts as an array of pointers
// passed where its va_list* goes; the program passes that array as it is.
inline DWORD FormatMessageA(DWORD flags, const void* source, DWORD messageId, DWORD languageId,
                            LPSTR buffer, DWORD size, const char* const* arguments)
{
    return ::FormatMessageA(flags, source, messageId, languageId, buffer, size,
                            reinterpret_cast<va_list*>(const_cast<char**>(arguments)));
}

// Without inserts (a null array), either form of the call is the system's.
inline DWORD FormatMessageA(DWORD flags, const void* source, DWORD messageId, DWORD languageId,
                            LPSTR buffer, DWORD size, std::nullptr_t)
{
    return ::FormatMessageA(flags, source, messageId, languageId, buffer, size,
                            static_cast<va_list*>(nullptr));
}

// Not a Win32 call (Win32's wvsprintfA has no size): printf-style formatting into `buffer`
// of `size` characters, at most size-1 characters and a NUL, the cut never splitting a
// UTF-8 character. Returns the characters stored.
int FormatTextV(LPSTR buffer, size_t size, LPCSTR format, va_list arguments);

// Not a Win32 call: the identity record of the file a path leads to, from an open for
// query access only (which no share mode refuses).
BOOL FileInformationOfPath(LPCSTR path, LPBY_HANDLE_FILE_INFORMATION information);
