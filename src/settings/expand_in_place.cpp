// Environment references of a REG_EXPAND_SZ value, replaced in its own buffer.
#include <cstdlib>
#include <cstring>

#include "settings/registry_reader.h"

DWORD ExpandInPlace(ErrorInfo* record, char* text, DWORD capacity)
{
    ResetErrorInfo(record);
    const size_t length = strnlen(text, capacity);
    if (length >= capacity) {
        Fill(record, ErrorKindSystem, ERROR_INVALID_PARAMETER, "BaRe_ExpandSz", nullptr);
        return 1;
    }
    // The expansion cannot read and write the same buffer.
    char* copy = static_cast<char*>(std::malloc(length + 1));
    if (copy == nullptr) {
        Fill(record, ErrorKindSystem, ERROR_OUTOFMEMORY, "malloc", nullptr);
        return ERROR_OUTOFMEMORY;
    }
    memcpy(copy, text, length + 1);
    const DWORD needed = ExpandEnvironmentStringsA(copy, text, capacity);
    const DWORD lastError = GetLastError();
    std::free(copy);

    DWORD code = 0;
    if (needed > capacity) {
        code = ERROR_INSUFFICIENT_BUFFER;
    } else if (needed > 0) {
        return 0;
    } else {
        code = lastError != 0 ? lastError : 1;
    }
    Fill(record, ErrorKindSystem, code, "ExpandEnvironmentStrings", nullptr);
    return code;
}
