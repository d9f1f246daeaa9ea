// Whether the test runs under Wine rather than on Windows itself: Wine's ntdll exports
// wine_get_version. A contract where Wine differs from documented Windows behaviour is skipped
// there, with the difference in the skip message.
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif

inline bool RunningUnderWine()
{
#ifdef _WIN32
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

#define SKIP_UNDER_WINE(why)                                                                       \
    do {                                                                                           \
        if (RunningUnderWine()) {                                                                  \
            GTEST_SKIP() << "Wine differs from Windows here: " << why;                             \
        }                                                                                          \
    } while (false)
