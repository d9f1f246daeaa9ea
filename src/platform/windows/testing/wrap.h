// How the Windows testing library stands between the program and the system. The program
// calls the system through its import table (__imp_<name>); test programs are linked with
// --wrap=__imp_<name> for every call below, so those references read __wrap___imp_<name>,
// which points to the seam, and __real___imp_<name> is the system's entry. The release
// program is linked without, and calls the system directly.
#pragma once

#include "platform/common/system_messages.h"
#include "platform/testing/seams.h"
#include "platform/win32.h"

#define SEAM_REAL_ENTRY(name) extern "C" void* __real___imp_##name;
// The system's `name`, of the function type `type`.
#define SEAM_REAL(type, name) reinterpret_cast<type>(__real___imp_##name)
#define SEAM_INSTALL(name, seam)                                                                   \
    extern "C" {                                                                                   \
    void* __wrap___imp_##name = reinterpret_cast<void*>(&seam);                                    \
    }

// A call that fails when a fault is armed for it: the last error is the fault's code and
// the call returns `failure`; otherwise the system's call.
#define SEAM_FAULT(ret, name, failure, params, args)                                               \
    SEAM_REAL_ENTRY(name)                                                                          \
    static ret WINAPI Seam_##name params                                                           \
    {                                                                                              \
        DWORD code = 0;                                                                            \
        if (FaultShouldFail(#name, &code)) {                                                       \
            SetLastError(code);                                                                    \
            return failure;                                                                        \
        }                                                                                          \
        return SEAM_REAL(ret(WINAPI*) params, name) args;                                          \
    }                                                                                              \
    SEAM_INSTALL(name, Seam_##name)

// A call whose result is the status itself (Reg*, waveOut*): the fault's code is returned.
#define SEAM_STATUS(ret, name, params, args)                                                       \
    SEAM_REAL_ENTRY(name)                                                                          \
    static ret WINAPI Seam_##name params                                                           \
    {                                                                                              \
        DWORD code = 0;                                                                            \
        if (FaultShouldFail(#name, &code)) {                                                       \
            return static_cast<ret>(code);                                                         \
        }                                                                                          \
        return SEAM_REAL(ret(WINAPI*) params, name) args;                                          \
    }                                                                                              \
    SEAM_INSTALL(name, Seam_##name)
