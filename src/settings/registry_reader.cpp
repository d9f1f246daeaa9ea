// Opening keys and querying values, each failure described with the key's readable path.
#include "settings/registry_reader.h"

LONG OpenKey(char* keyPath, ErrorInfo* record, HKEY root, const char* subKey, REGSAM access,
             HKEY* key)
{
    const LONG status = RegOpenKeyExA(root, subKey, 0, access, key);
    ComposeKeyPath(keyPath, root, subKey);
    ResetErrorInfo(record);
    if (status != ERROR_SUCCESS) {
        Fill(record, ErrorKindSystem, static_cast<uint32_t>(status), "RegOpenKeyEx", keyPath);
    }
    return status;
}

LONG QueryValue(const char* keyPath, ErrorInfo* record, HKEY key, const char* valueName,
                DWORD* type, BYTE* data, DWORD* size, DWORD expectedType)
{
    const DWORD capacity = size == nullptr ? 0 : *size;
    DWORD actualType = REG_NONE;
    const LONG status = RegQueryValueExA(key, valueName, nullptr, &actualType, data, size);
    if (type != nullptr) {
        *type = actualType;
    }

    ResetErrorInfo(record);
    if (status != ERROR_SUCCESS) {
        // Also a value larger than the buffer: the registry then hands out nothing.
        Fill(record, ErrorKindSystem, static_cast<uint32_t>(status), "RegQueryValueEx", nullptr);
    } else if (expectedType != 0 && expectedType != actualType &&
               !(expectedType == ANY_STRING_TYPE &&
                 (actualType == REG_SZ || actualType == REG_EXPAND_SZ))) {
        Fill(record, ErrorKindTypeMismatch, 0, nullptr, nullptr);
    }

    const bool isString =
        actualType == REG_SZ || actualType == REG_EXPAND_SZ || actualType == REG_MULTI_SZ;
    if (record->kind == ErrorKindNone && data != nullptr && capacity >= 1 && isString) {
        // A string stored without its NUL comes back without one.
        const DWORD returned = *size;
        data[returned < capacity - 1 ? returned : capacity - 1] = '\0';
        if (actualType == REG_EXPAND_SZ && expectedType == ANY_STRING_TYPE) {
            ExpandInPlace(record, reinterpret_cast<char*>(data), capacity);
        }
    }

    if (record->kind != ErrorKindNone) {
        FormatBounded(record->context, ErrorContextSize, "%s(%s)", keyPath,
                      valueName == nullptr ? "" : valueName);
    }
    return status;
}

void CloseKey(HKEY key)
{
    if (key != nullptr) {
        RegCloseKey(key);
    }
}
