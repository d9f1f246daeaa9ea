// GetFullPathNameA: a path as the program shows it, made whole. A name given on the command
// line is relative to the directory the user started the program in; the file dialogs give
// full paths, and an opened file's title is the same either way.
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/linux/posix/errno_map.h"
#include "platform/linux/program_path.h"
#include "platform/linux/seam_points.h"
#include "platform/win32.h"

namespace {

bool IsDrivePath(const char* name)
{
    return ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z')) &&
           name[1] == ':';
}

// "." and ".." removed from a Linux path by its text, as Win32 does: a ".." above the root
// stays at the root.
std::string Collapse(const std::string& path)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        const std::string part = path.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string whole;
    for (const std::string& part : parts) {
        whole += '/';
        whole += part;
    }
    return whole.empty() ? "/" : whole;
}

} // namespace

DWORD GetFullPathNameA(LPCSTR name, DWORD size, LPSTR buffer, LPSTR* filePart)
{
    DWORD code = 0;
    if (FaultShouldFail("GetFullPathNameA", &code)) {
        SetLastError(code);
        return 0;
    }
    if (name == nullptr || name[0] == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string full;
    if (IsDrivePath(name)) {
        // A drive path is already whole; it is mapped only when a file is opened.
        full = name;
    } else if (name[0] == '/') {
        full = Collapse(name);
    } else {
        char* current = getcwd(nullptr, 0);
        if (current == nullptr) {
            SetLastErrorFromErrno(errno);
            return 0;
        }
        full = Collapse(std::string(current) + '/' + name);
        free(current);
    }
    full = ProgramPathFromNative(full.c_str());
    if (buffer == nullptr || size < full.size() + 1) {
        return static_cast<DWORD>(full.size() + 1);
    }
    memcpy(buffer, full.c_str(), full.size() + 1);
    if (filePart != nullptr) {
        const size_t slash = full.find_last_of("/\\");
        *filePart = slash == std::string::npos ? buffer : buffer + slash + 1;
    }
    return static_cast<DWORD>(full.size());
}
