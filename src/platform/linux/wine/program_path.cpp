// The edge where a path the program uses becomes a Linux path: the file calls of
// linux/posix reach Wine's drive mapping only through here.
#include "platform/linux/program_path.h"

#include "platform/linux/wine/wine_paths.h"

namespace {

// Win32 counts MAX_PATH in UTF-16 units, so a path of 200 accented letters is fine there.
size_t PathUnits(const char* path)
{
    size_t units = 0;
    for (const auto* p = reinterpret_cast<const unsigned char*>(path); *p != '\0'; ++p) {
        if ((*p & 0xC0) != 0x80) {
            units += *p >= 0xF0 ? 2 : 1;
        }
    }
    return units;
}

} // namespace

// The one place where a path the program uses becomes a path of this system (and, in
// ProgramPathFromNative, back). A Windows drive path ("C:\\...", as the recorder under Wine
// stores it) goes through the Wine prefix's drive links; any other path is used as it is.
bool NativePath(LPCSTR path, std::string* native)
{
    if (path == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (path[0] == '\0') {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    if (PathUnits(path) >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    if (!MapWindowsPathToHost(path, native)) {
        native->assign(path);
    }
    return true;
}

std::string ProgramPathFromNative(const char* native)
{
    return std::string(native);
}
