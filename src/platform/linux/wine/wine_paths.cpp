// Windows drive paths inside a Wine prefix, mapped to the Linux files they name.
#include "platform/linux/wine/wine_paths.h"

#include <dirent.h>
#include <limits.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/linux/wine/wine_hive.h"

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool IsDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The entry of `directory` that is `name` without regard to case; an exact match first,
// as Wine's lookup finds it without a scan.
bool FindEntry(const std::string& directory, const std::string& name, std::string* found)
{
    struct stat status;
    if (lstat((directory + "/" + name).c_str(), &status) == 0) {
        *found = name;
        return true;
    }
    DIR* dir = opendir(directory.c_str());
    if (dir == nullptr) {
        return false;
    }
    bool matched = false;
    while (const dirent* entry = readdir(dir)) {
        if (strcmp(entry->d_name, ".") == 0 || strcmp(entry->d_name, "..") == 0) {
            continue;
        }
        if (NamesEqualNoCase(entry->d_name, name)) {
            *found = entry->d_name;
            matched = true;
            break;
        }
    }
    if (closedir(dir) != 0) {
        return matched; // the entries were read before the close failed: the answer holds
    }
    return matched;
}

} // namespace

bool WinePrefixDirectory(std::string* prefix)
{
    const char* wine = getenv("WINEPREFIX");
    if (wine != nullptr && wine[0] != '\0') {
        *prefix = wine;
        return true;
    }
    const char* home = getenv("HOME");
    if (home != nullptr && home[0] != '\0') {
        *prefix = std::string(home) + "/.wine";
        return true;
    }
    return false;
}

bool MapWindowsPathToHost(const char* path, std::string* hostPath)
{
    if (path == nullptr || hostPath == nullptr || !IsDriveLetter(path[0]) || path[1] != ':' ||
        (path[2] != '\0' && !IsSeparator(path[2]))) {
        return false;
    }
    std::string prefix;
    if (!WinePrefixDirectory(&prefix)) {
        return false;
    }
    const char drive = static_cast<char>(path[0] | 0x20); // Wine names the links in lower case
    std::string root = prefix + "/dosdevices/" + drive + ":";
    char resolved[PATH_MAX];
    if (realpath(root.c_str(), resolved) != nullptr) {
        root = resolved; // the drive's own directory reads better than the link
    }

    // Lexical first, as Windows resolves "." and ".." before it looks at the disk.
    std::vector<std::string> components;
    const char* s = path + 2;
    while (*s != '\0') {
        while (IsSeparator(*s)) {
            ++s;
        }
        const char* start = s;
        while (*s != '\0' && !IsSeparator(*s)) {
            ++s;
        }
        const std::string component(start, s);
        if (component.empty() || component == ".") {
            continue;
        }
        if (component == "..") {
            if (!components.empty()) {
                components.pop_back();
            }
            continue;
        }
        components.push_back(component);
    }

    std::string result = root == "/" ? std::string() : root;
    bool onDisk = true; // once a component is missing, nothing below it can match
    for (const std::string& component : components) {
        std::string name = component;
        if (onDisk) {
            onDisk = FindEntry(result.empty() ? "/" : result, component, &name);
        }
        result += "/" + name;
    }
    *hostPath = result.empty() ? "/" : result;
    return true;
}
