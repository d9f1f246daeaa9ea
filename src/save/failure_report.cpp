#include "core/error_info.h"
#include "save/save_support.h"

void ReportFailure(const char* operation)
{
    const DWORD code = GetLastError();
    ErrorInfo error;
    Fill(&error, ErrorKindSystem, code, operation, nullptr);
    ShowError(&error);
}
