// Registry (read only) and environment expansion of the Win32-style API.
//
// On Linux the per-user registry is the user hive of a Wine prefix ($WINEPREFIX/user.reg,
// or ~/.wine/user.reg): a recorder running under Wine keeps its settings there. Only
// HKEY_CURRENT_USER has contents; the other roots answer ERROR_FILE_NOT_FOUND. The hive is
// read when a key is opened and never written.
#pragma once

// Included from win32.h, which defines the basic types.

struct HKEY__;
typedef HKEY__* HKEY;
typedef HKEY* PHKEY;
typedef DWORD ACCESS_MASK;
typedef ACCESS_MASK REGSAM;
typedef BYTE* LPBYTE;
typedef uintptr_t ULONG_PTR;

// The predefined roots, sign-extended from their 32-bit values as Win32 defines them.
#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)((LONG)0x80000000))
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)((LONG)0x80000002))
#define HKEY_USERS ((HKEY)(ULONG_PTR)((LONG)0x80000003))
#define HKEY_PERFORMANCE_DATA ((HKEY)(ULONG_PTR)((LONG)0x80000004))
#define HKEY_CURRENT_CONFIG ((HKEY)(ULONG_PTR)((LONG)0x80000005))
#define HKEY_DYN_DATA ((HKEY)(ULONG_PTR)((LONG)0x80000006))

// Access rights. The store is read only: a request for any write right is refused with
// ERROR_ACCESS_DENIED.
#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_CREATE_LINK 0x0020
#define KEY_WOW64_64KEY 0x0100
#define KEY_WOW64_32KEY 0x0200
#define STANDARD_RIGHTS_READ 0x00020000
#define KEY_READ (STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY)
#define KEY_EXECUTE KEY_READ

#define REG_OPTION_OPEN_LINK 0x00000008

// Value types.
#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_DWORD_LITTLE_ENDIAN 4
#define REG_DWORD_BIG_ENDIAN 5
#define REG_LINK 6
#define REG_MULTI_SZ 7
#define REG_QWORD 11
#define REG_QWORD_LITTLE_ENDIAN 11

// Opens `subKey` (backslash-separated, matched without regard to case; null or "" for
// `key` itself) under a root or under a key opened before. Returns ERROR_SUCCESS and the
// handle, or a status (ERROR_FILE_NOT_FOUND for a missing hive or key) and a null handle.
LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result);

// Reads value `valueName` (null or "" for the default value). Strings come back as UTF-8
// with their NUL counted in the size; REG_MULTI_SZ as NUL-separated items ending in two
// NULs; REG_DWORD as 4 little-endian bytes. With `data` null, `*dataSize` receives the size.
// A buffer too small gives ERROR_MORE_DATA and the size needed. `reserved` must be null.
LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD dataSize);

// Closes a key opened by RegOpenKeyExA; closing a predefined root does nothing.
LONG RegCloseKey(HKEY key);

// Replaces %NAME% references in `source` as the recorder under Wine sees them: from the
// prefix's own environment first, then from the process environment; unknown names stay as
// written. Returns the characters needed including the NUL (the text is cut, NUL-terminated,
// when that exceeds `size`), or 0 with the last error set.
DWORD ExpandEnvironmentStringsA(LPCSTR source, LPSTR destination, DWORD size);
