#include "settings/startup_directory.h"

#include "settings/registry_reader.h"

namespace {

constexpr char RecorderKey[] = "Software\\Vintrel\\Quorbel";
constexpr char TempDirectoryValue[] = "TmpDir";

} // namespace

// Makes the recorder's temporary directory the current one, so the open dialog starts
// there. Nothing of a failure is shown: without the value the directory stays as it was.
void ApplyStartupDirectory()
{
    char keyPath[KeyPathSize] = {};
    char value[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    ErrorInfo record;
    HKEY key = nullptr;

    if (OpenKey(keyPath, &record, HKEY_CURRENT_USER, RecorderKey, KEY_QUERY_VALUE, &key) ==
        ERROR_SUCCESS) {
        const LONG status = QueryValue(keyPath, &record, key, TempDirectoryValue, nullptr,
                                       reinterpret_cast<BYTE*>(value), &size, ANY_STRING_TYPE);
        // A number or a binary blob is no directory, whatever its bytes spell.
        if (status == ERROR_SUCCESS && record.kind != ErrorKindTypeMismatch) {
            value[MAX_PATH - 1] = '\0';
            SetCurrentDirectoryA(value);
        }
    }
    CloseKey(key);
}
