// The file calls as the contract tests make them: an open with the usual attributes, the
// error an open leaves, and where a handle's 64-bit position stands.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/win32.h"

inline HANDLE Open(const std::string& path, DWORD access, DWORD share, DWORD creation)
{
    return CreateFileA(path.c_str(), access, share, nullptr, creation, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

inline DWORD OpenError(const std::string& path, DWORD access, DWORD share, DWORD creation)
{
    SetLastError(ERROR_GEN_FAILURE);
    HANDLE file = Open(path, access, share, creation);
    const DWORD error = GetLastError(); // also set on success (ERROR_ALREADY_EXISTS)
    if (file != INVALID_HANDLE_VALUE) {
        EXPECT_TRUE(CloseHandle(file));
    }
    return error;
}

inline uint64_t Position(HANDLE file)
{
    LONG high = 0;
    const DWORD low = SetFilePointer(file, 0, &high, FILE_CURRENT);
    return (static_cast<uint64_t>(static_cast<DWORD>(high)) << 32) | low;
}
