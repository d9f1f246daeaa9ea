#include "core/file_dialog_rules.h"

#include <cstring>

#include "core/app_state.h"
#include "core/error_info.h"
#include "core/resource_ids.h"

void LoadFilterString(UINT stringId, char* buffer)
{
    if (LoadStringA(ModuleInstance, stringId, buffer, FilterBufferSize) <= 0) {
        // A missing string leaves an empty list rather than whatever the buffer held.
        buffer[0] = '\0';
        buffer[1] = '\0';
        return;
    }
    // The walk ends at the text's own terminator, not at the NULs it writes.
    const size_t length = std::strlen(buffer);
    for (size_t i = 0; i < length; ++i) {
        if (buffer[i] == '|') {
            buffer[i] = '\0';
        }
    }
}

namespace {

// The last folder separator of `path` (Windows takes '\\' and '/'), or null.
const char* LastSeparator(const char* path)
{
    const char* last = nullptr;
    for (const char* separator = PATH_SEPARATORS; *separator != '\0'; ++separator) {
        const char* found = std::strrchr(path, *separator);
        if (found != nullptr && (last == nullptr || found > last)) {
            last = found;
        }
    }
    return last;
}

// "C:\\" where paths have drives (where '\\' separates, on Windows); on Linux "a:/" is a
// folder named "a:".
bool IsDriveRoot(const char* path, const char* slash)
{
    return std::strchr(PATH_SEPARATORS, '\\') != nullptr && slash == path + 2 && path[1] == ':';
}

} // namespace

const char* FileNameOf(const char* path)
{
    const char* last = LastSeparator(path);
    return last != nullptr ? last + 1 : path;
}

void ReplaceExtension(char* path, const char* extension)
{
    // Byte-wise searches are safe in UTF-8: no byte of a multibyte character is '.' or '/'.
    const char* dot = std::strrchr(path, '.');
    const char* slash = LastSeparator(path);
    const char* name = slash != nullptr ? slash + 1 : path;
    size_t at = std::strlen(path);
    // A dot in a folder name is no extension, nor is the leading dot of a hidden file's name.
    if (dot != nullptr && dot > name) {
        at = static_cast<size_t>(dot - path);
    }
    const size_t length = std::strlen(extension);
    if (at + length + 1 < MAX_PATH) {
        path[at] = '.';
        std::memcpy(path + at + 1, extension, length + 1);
    }
}

void DirectoryOf(char* destination, const char* path)
{
    if (lstrcpynA(destination, path, MAX_PATH) == nullptr) {
        destination[0] = '\0';
        return;
    }
    const char* found = LastSeparator(destination);
    if (found == nullptr) {
        destination[0] = '\0';
        return;
    }
    char* slash = destination + (found - destination);
    if (slash == destination || IsDriveRoot(destination, slash)) {
        // The root keeps its slash ("/", "C:\\"): it is a directory of its own, and "" (or a
        // bare "C:") would mean "anywhere" (or the drive's current folder).
        slash[1] = '\0';
    } else {
        *slash = '\0';
    }
}

bool RefusedPathTooLong()
{
    // The system's dialog has closed by now and the path is lost (the buffer's first bytes
    // hold the size it needed), so the refusal is a box of its own over the main window.
    if (CommDlgExtendedError() != FNERR_BUFFERTOOSMALL) {
        return false;
    }
    Prompt(MB_ICONEXCLAMATION, IDS_PATH_TOO_LONG);
    return true;
}
