// The sentence of an error box for a code, as the platform words it. On Linux it comes from
// the program's own catalogue, and the test spells it out (`wording`), so a changed sentence
// is caught; on Windows it is the system's own, in the user's language, which only the system
// can say.
#pragma once

#include <string>

#include "core/error_info.h"

inline std::string ErrorSentence(int32_t kind, DWORD code, const std::string& wording)
{
#ifdef _WIN32
    (void)wording;
    ErrorInfo record;
    Fill(&record, kind, code, nullptr, nullptr);
    return record.messageText;
#else
    (void)kind;
    (void)code;
    return wording;
#endif
}
