// Where the Linux implementation lets the test seams in. The testing library builds the
// implementation a second time with SALVORIN_SEAMS, and only there do these points reach
// platform/testing; in the release program a fault check is the constant false and the
// scripted answers, user actions and inspection calls are not compiled at all.
#pragma once

#include "platform/win32.h"

#ifdef SALVORIN_SEAMS
#include "platform/testing/message_box_script.h"
#include "platform/testing/seams.h"
#else
// The release program never fails a call on purpose: the check is the constant false,
// which leaves neither a call nor a symbol.
#define FaultShouldFail(function, code)                                                            \
    (static_cast<void>(function), static_cast<void>(code), false)
// Nor does it log or script a box: every box is shown, and no symbol is left of it either.
#define MessageBoxLogOpen(owner, text, caption, type)                                              \
    (static_cast<void>(owner), static_cast<void>(text), static_cast<void>(caption),                \
     static_cast<void>(type), size_t{0})
#define MessageBoxScriptAnswer(answer) (static_cast<void>(answer), false)
#define MessageBoxLogAnswer(entry, answer) (static_cast<void>(entry), static_cast<void>(answer))
#endif
