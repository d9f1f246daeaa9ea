// Internal: POSIX errno values as Win32 error codes.
#pragma once

#include "platform/win32.h"

// An errno without a Win32 counterpart keeps its number behind this customer-code bit,
// so no sentence exists for it and the caller's numeric fallback shows.
constexpr DWORD kUnmappedErrnoBase = 0x20000000u;

// The Win32 code for `error` (an errno value after a failed call).
DWORD Win32ErrorFromErrno(int error);
// SetLastError(Win32ErrorFromErrno(error)).
void SetLastErrorFromErrno(int error);
