// The readable path of a key, for the context of a failure.
#include <cstring>

#include "settings/registry_reader.h"

namespace {

struct RootName {
    HKEY root;
    const char* text;
};

const RootName RootNames[] = {
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT\\"},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER\\"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE\\"},
    {HKEY_USERS, "HKEY_USERS\\"},
    {HKEY_PERFORMANCE_DATA, "HKEY_PERFORMANCE_DATA\\"},
    {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG\\"},
    {HKEY_DYN_DATA, "HKEY_DYN_DATA\\"},
};

} // namespace

void ComposeKeyPath(char* text, HKEY root, const char* subKey)
{
    for (const RootName& name : RootNames) {
        if (name.root == root) {
            lstrcpynA(text, name.text, KeyPathSize);
            break;
        }
    }
    // The text of an opened key may fill the whole buffer without a NUL.
    size_t length = strnlen(text, KeyPathSize);
    if (length >= KeyPathSize) {
        text[KeyPathSize - 1] = '\0';
        return;
    }
    if (length >= KeyPathSize - 1) {
        return;
    }
    if (length == 0 || text[length - 1] != '\\') {
        text[length++] = '\\';
        text[length] = '\0';
    }
    if (length < KeyPathSize - 1) {
        lstrcpynA(text + length, subKey == nullptr ? "" : subKey,
                  static_cast<int>(KeyPathSize - length));
    }
}
