// Where the Linux implementation lets the test seams in. The testing library builds the
// implementation a second time with SALVORIN_SEAMS, and only there do these points reach
// platform/testing; in the release program a fault check is the constant false and the
// scripted answers, user actions and inspection calls are not compiled at all.
#pragma once

#include "platform/win32.h"

#ifdef SALVORIN_SEAMS
#include "platform/testing/seams.h"
#else
// The release program never fails a call on purpose: the check is the constant false,
// which leaves neither a call nor a symbol.
#define FaultShouldFail(function, code)                                                            \
    (static_cast<void>(function), static_cast<void>(code), false)
#endif
