// The error record every failing platform call fills, and the program's two message-box
// conventions: error boxes (owned by the current owner window) and string-table prompts
// (owned by the main dialog).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win32.h"

enum ErrorKind : int32_t {
    ErrorKindNone = 0,
    ErrorKindSystem = 1,       // a Win32 error code
    ErrorKindMultimedia = 2,   // an MMRESULT of the wave-out interface
    ErrorKindTypeMismatch = 3, // a registry value had another type than expected
};

constexpr int ErrorTextSize = 256;
constexpr int OperationNameSize = 64;
constexpr int ErrorContextSize = 256;
constexpr int ErrorInsertCount = 5;
constexpr int StringBufferSize = 160; // every string of the table fits, NUL included
constexpr int PromptBufferSize = 360;

struct ErrorInfo {
    int32_t kind;
    uint32_t code;
    char messageText[ErrorTextSize];
    char operationName[OperationNameSize];
    char context[ErrorContextSize];
    const char* insertArguments[ErrorInsertCount];
};

void ResetErrorInfo(ErrorInfo* record);
// Stores what failed and composes the message text from the code. `operation` and
// `context` may be null.
void Fill(ErrorInfo* record, int32_t kind, uint32_t code, const char* operation,
          const char* context);
// Shows the message text in an error box owned by the current owner window.
void ShowError(const ErrorInfo* record);
// Loads string `stringId`, formats it printf-style with the arguments and shows it in a box
// owned by the main dialog. Returns the button that closed the box.
int Prompt(UINT flags, UINT stringId, ...);
// printf-style formatting of at most length-1 characters and a NUL.
int FormatBounded(char* buffer, size_t length, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
