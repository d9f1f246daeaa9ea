// The per-user registry, read from the Wine prefix's user hive. A key takes a copy of its
// values when it is opened, so the file is read once per open and never held open.
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <unordered_set>

#include "platform/linux/seam_points.h"
#include "platform/linux/wine/wine_hive.h"
#include "platform/win32.h"

namespace {

// Rights that would change the store, which is read only.
constexpr REGSAM WriteRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK |
                               0x00010000 /* DELETE */ | 0x00040000 /* WRITE_DAC */ |
                               0x00080000 /* WRITE_OWNER */ | 0x10000000 /* GENERIC_ALL */ |
                               0x40000000 /* GENERIC_WRITE */;

// Longest subkey text looked at; longer ones cannot name a key.
constexpr size_t MaxSubKeyLength = 32767;

struct RegistryKey {
    std::string path; // below HKEY_CURRENT_USER
    HiveKey contents;
};

std::mutex g_keysMutex;
std::unordered_set<RegistryKey*>& OpenKeys()
{
    // Never destroyed: a key may be closed during process exit.
    static auto* keys = new std::unordered_set<RegistryKey*>;
    return *keys;
}

bool IsPredefined(HKEY key)
{
    return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE ||
           key == HKEY_USERS || key == HKEY_PERFORMANCE_DATA || key == HKEY_CURRENT_CONFIG ||
           key == HKEY_DYN_DATA;
}

RegistryKey* OpenedKey(HKEY key)
{
    auto* opened = reinterpret_cast<RegistryKey*>(key);
    return OpenKeys().count(opened) != 0 ? opened : nullptr;
}

// Joins `subKey` onto `base`. One trailing backslash is tolerated; an empty component
// (a leading or doubled backslash) names no key.
bool JoinKeyPath(const std::string& base, const char* subKey, std::string* path)
{
    *path = base;
    if (subKey == nullptr || subKey[0] == '\0') {
        return true;
    }
    size_t length = strnlen(subKey, MaxSubKeyLength + 1);
    if (length > MaxSubKeyLength) {
        return false;
    }
    if (subKey[length - 1] == '\\') {
        --length;
    }
    const std::string tail(subKey, length);
    if (tail.empty() || tail.front() == '\\' || tail.find("\\\\") != std::string::npos) {
        return false;
    }
    *path = base.empty() ? tail : base + "\\" + tail;
    return true;
}

LONG LoadKey(const std::string& path, HiveKey* contents)
{
    std::string text;
    if (!ReadUserHive(&text) || !ParseHiveKey(text.data(), text.size(), path, contents) ||
        !contents->exists) {
        return ERROR_FILE_NOT_FOUND;
    }
    return ERROR_SUCCESS;
}

LONG CopyValue(const HiveValue* value, LPDWORD type, LPBYTE data, LPDWORD dataSize)
{
    if (value == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (type != nullptr) {
        *type = value->type;
    }
    const auto needed = static_cast<DWORD>(value->data.size());
    if (data != nullptr) {
        if (*dataSize < needed) {
            *dataSize = needed;
            return ERROR_MORE_DATA;
        }
        if (needed != 0) {
            memcpy(data, value->data.data(), needed);
        }
    }
    if (dataSize != nullptr) {
        *dataSize = needed;
    }
    return ERROR_SUCCESS;
}

} // namespace

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result)
{
    static_cast<void>(options); // a link is opened like any key: the hive has none we follow
    DWORD code = 0;
    if (FaultShouldFail("RegOpenKeyExA", &code)) {
        if (result != nullptr) {
            *result = nullptr;
        }
        return static_cast<LONG>(code);
    }
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    *result = nullptr;
    if ((desired & WriteRights) != 0) {
        return ERROR_ACCESS_DENIED;
    }

    std::string base;
    if (IsPredefined(key)) {
        if (key != HKEY_CURRENT_USER) {
            return ERROR_FILE_NOT_FOUND;
        }
    } else {
        std::lock_guard<std::mutex> lock(g_keysMutex);
        const RegistryKey* parent = OpenedKey(key);
        if (parent == nullptr) {
            return ERROR_INVALID_HANDLE;
        }
        base = parent->path;
    }

    auto* opened = new (std::nothrow) RegistryKey;
    if (opened == nullptr) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    if (!JoinKeyPath(base, subKey, &opened->path)) {
        delete opened;
        return ERROR_FILE_NOT_FOUND;
    }
    const LONG status = LoadKey(opened->path, &opened->contents);
    if (status != ERROR_SUCCESS) {
        delete opened;
        return status;
    }
    std::lock_guard<std::mutex> lock(g_keysMutex);
    OpenKeys().insert(opened);
    *result = reinterpret_cast<HKEY>(opened);
    return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD dataSize)
{
    DWORD code = 0;
    if (FaultShouldFail("RegQueryValueExA", &code)) {
        return static_cast<LONG>(code);
    }
    if (reserved != nullptr || (data != nullptr && dataSize == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    if (IsPredefined(key)) {
        if (key != HKEY_CURRENT_USER) {
            return ERROR_FILE_NOT_FOUND;
        }
        HiveKey root;
        const LONG status = LoadKey("", &root);
        if (status != ERROR_SUCCESS) {
            return status;
        }
        return CopyValue(FindHiveValue(root, valueName), type, data, dataSize);
    }
    std::lock_guard<std::mutex> lock(g_keysMutex);
    const RegistryKey* opened = OpenedKey(key);
    if (opened == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    return CopyValue(FindHiveValue(opened->contents, valueName), type, data, dataSize);
}

LONG RegCloseKey(HKEY key)
{
    DWORD code = 0;
    if (FaultShouldFail("RegCloseKey", &code)) {
        return static_cast<LONG>(code);
    }
    if (IsPredefined(key)) {
        return ERROR_SUCCESS;
    }
    RegistryKey* opened = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_keysMutex);
        opened = OpenedKey(key);
        if (opened == nullptr) {
            return ERROR_INVALID_HANDLE;
        }
        OpenKeys().erase(opened);
    }
    delete opened;
    return ERROR_SUCCESS;
}
