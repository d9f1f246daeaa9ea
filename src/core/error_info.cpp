#include "core/error_info.h"

#include <cstdarg>
#include <cstring>

#include "core/app_state.h"

namespace {

const char UnknownInsert[] = "?";

// Flags of the system-message lookup: allocate, from the system, inserts from an array,
// and a maximum line width of 0xFF, which drops the system's soft line breaks.
constexpr DWORD SystemMessageFlags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_ARGUMENT_ARRAY | FORMAT_MESSAGE_MAX_WIDTH_MASK;

void ComposeSystemText(ErrorInfo* record)
{
    char* systemText = nullptr;
    const DWORD length = FormatMessageA(
        SystemMessageFlags, nullptr, record->code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<LPSTR>(&systemText), 0, record->insertArguments);
    if (length != 0 && systemText != nullptr) {
        lstrcpynA(record->messageText, systemText, ErrorTextSize);
        LocalFree(systemText);
        return;
    }
    FormatBounded(record->messageText, ErrorTextSize, "Err.0x%08X", record->code);
}

void ComposeMultimediaText(ErrorInfo* record)
{
    if (waveOutGetErrorTextA(record->code, record->messageText, ErrorTextSize) ==
        MMSYSERR_NOERROR) {
        return;
    }
    switch (record->code) {
    case 165:
        lstrcpynA(record->messageText, "JOYERR_PARMS", ErrorTextSize);
        break;
    case 166:
        lstrcpynA(record->messageText, "JOYERR_NOCANDO", ErrorTextSize);
        break;
    case 167:
        lstrcpynA(record->messageText, "JOYERR_UNPLUGGED", ErrorTextSize);
        break;
    default:
        FormatBounded(record->messageText, ErrorTextSize, "MmErr.0x%08X", record->code);
        break;
    }
}

} // namespace

void ResetErrorInfo(ErrorInfo* record)
{
    if (record == nullptr) {
        return;
    }
    record->kind = ErrorKindNone;
    record->code = 0;
    record->messageText[0] = '\0';
    record->operationName[0] = '\0';
    record->context[0] = '\0';
    for (const char*& argument : record->insertArguments) {
        argument = UnknownInsert;
    }
}

void Fill(ErrorInfo* record, int32_t kind, uint32_t code, const char* operation,
          const char* context)
{
    if (record == nullptr) {
        return;
    }
    ResetErrorInfo(record);
    record->kind = kind;
    const bool hasCode = kind == ErrorKindSystem || kind == ErrorKindMultimedia;
    if (hasCode) {
        record->code = code;
        if (operation != nullptr) {
            lstrcpynA(record->operationName, operation, OperationNameSize);
        }
    }
    if (context != nullptr) {
        lstrcpynA(record->context, context, ErrorContextSize);
    }
    if (kind == ErrorKindSystem) {
        ComposeSystemText(record);
    } else if (kind == ErrorKindMultimedia) {
        ComposeMultimediaText(record);
    }
}

void ShowError(const ErrorInfo* record)
{
    MessageBoxA(CurrentOwnerWindow, record->messageText, Caption, MB_ICONERROR);
}

int Prompt(UINT flags, UINT stringId, ...)
{
    char format[StringBufferSize];
    if (LoadStringA(ModuleInstance, stringId, format, StringBufferSize) == 0) {
        format[0] = '\0';
    }
    char text[PromptBufferSize];
    va_list arguments;
    va_start(arguments, stringId);
    FormatTextV(text, PromptBufferSize, format, arguments);
    va_end(arguments);
    return MessageBoxA(MainDialogWindow, text, Caption, flags);
}

int FormatBounded(char* buffer, size_t length, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    const int stored = FormatTextV(buffer, length, format, arguments);
    va_end(arguments);
    return stored;
}
