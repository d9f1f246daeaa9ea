// Where the Linux implementation lets the test seams in. The testing library builds the
// implementation a second time with SALVORIN_SEAMS, and only there do these points reach
// platform/testing; in the release program a fault check is the constant false and the
// scripted answers, user actions and inspection calls are not compiled at all.
#pragma once

#include "platform/win32.h"

#ifdef SALVORIN_SEAMS
#include "platform/testing/file_dialog_script.h"
#include "platform/testing/message_box_script.h"
#include "platform/testing/modal_actions.h"
#include "platform/testing/seams.h"
#else
// The release program never fails a call on purpose: the check is the constant false,
// which leaves neither a call nor a symbol.
#define FaultShouldFail(function, code)                                                            \
    (static_cast<void>(function), static_cast<void>(code), false)
// Nor does it log or script a box or a file dialog: every one is shown, and no symbol is
// left of it either.
#define MessageBoxLogOpen(owner, text, caption, type)                                              \
    (static_cast<void>(owner), static_cast<void>(text), static_cast<void>(caption),                \
     static_cast<void>(type), size_t{0})
#define MessageBoxScriptAnswer(answer) (static_cast<void>(answer), false)
#define MessageBoxLogAnswer(entry, answer) (static_cast<void>(entry), static_cast<void>(answer))
#define FileDialogLogOpen(record) (static_cast<void>(record), size_t{0})
#define FileDialogLogClose(entry, record) (static_cast<void>(entry), static_cast<void>(record))
#define FileDialogScriptAnswer(ofn, record, save, result, error)                                   \
    (static_cast<void>(ofn), static_cast<void>(record), static_cast<void>(save),                   \
     static_cast<void>(result), static_cast<void>(error), false)
// Nor does a test act from inside its modal loops.
#define ModalLoopStarting(loopOwner, dialog)                                                       \
    (static_cast<void>(loopOwner), static_cast<void>(dialog))
#define FileDialogLoopStarting(dialog) static_cast<void>(dialog)
#endif
