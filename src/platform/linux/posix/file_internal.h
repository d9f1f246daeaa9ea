// Internal: what files.cpp shares with the file calls kept in other files of this folder.
#pragma once

#include <functional>
#include <string>

#include "platform/win32.h"

struct stat;
struct timespec;

// Runs `use` on the descriptor of a live file handle, holding the handle as any call does.
// Fails with ERROR_INVALID_HANDLE for anything else.
BOOL WithFileDescriptor(HANDLE file, const std::function<BOOL(int descriptor)>& use);
// A file time (100-nanosecond intervals since 1601) of a POSIX time.
FILETIME ToFileTime(const struct timespec& time);
// The Win32 attributes of a file's status.
DWORD AttributesOf(const struct stat& status);
