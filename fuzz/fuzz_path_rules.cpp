// The file-dialog path rules work on MAX_PATH buffers filled from whatever name the user
// typed or the dialog returned: no input may write past the buffer, and the results must
// keep the parts of the path the rules promise to keep.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/file_dialog_rules.h"

namespace {

void Check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

void CheckReplaceExtension(const char* path, const char* extension)
{
    // The buffer is exactly MAX_PATH bytes on the heap, so a write past it is caught.
    std::vector<char> buffer(MAX_PATH);
    std::strcpy(buffer.data(), path);
    ReplaceExtension(buffer.data(), extension);
    const char* result = buffer.data();
    const size_t resultLength = strnlen(result, MAX_PATH);
    Check(resultLength < MAX_PATH);

    const char* slash = std::strrchr(path, '/');
    const size_t nameAt = slash != nullptr ? static_cast<size_t>(slash - path) + 1 : 0;
    if (std::strcmp(result, path) == 0) {
        return; // unchanged is allowed only when the new name would not fit
    }
    // The folder part is never touched, and the name ends in ".extension".
    Check(std::strncmp(result, path, nameAt) == 0);
    const size_t extensionLength = std::strlen(extension);
    Check(resultLength >= nameAt + extensionLength + 1);
    Check(result[resultLength - extensionLength - 1] == '.');
    Check(std::strcmp(result + resultLength - extensionLength, extension) == 0);
    // What stands before the new extension is the old name, cut at its last dot or whole.
    const size_t stem = resultLength - extensionLength - 1;
    Check(std::strncmp(result, path, stem) == 0);
    Check(path[stem] == '\0' || path[stem] == '.');
    if (path[stem] == '.') {
        Check(stem > nameAt); // a hidden file's dot is part of its name
        Check(std::strchr(path + stem + 1, '.') == nullptr); // and it was the last dot
    }
}

void CheckDirectoryOf(const char* path)
{
    std::vector<char> destination(MAX_PATH);
    DirectoryOf(destination.data(), path);
    const size_t length = strnlen(destination.data(), MAX_PATH);
    Check(length < MAX_PATH);
    // Always a leading part of the path, ending where a '/' stood (the root keeps its '/').
    Check(std::strncmp(destination.data(), path, length) == 0);
    if (length == 0) {
        return;
    }
    if (length == 1 && destination[0] == '/') {
        Check(path[0] == '/');
        return;
    }
    Check(path[length] == '/');
    Check(destination[length - 1] != '\0');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) {
        return 0;
    }
    // First byte: the extension's length (up to 15 bytes taken from the input's end).
    const size_t extensionLength = std::min<size_t>(data[0] & 0x0F, size - 1);
    const auto* body = reinterpret_cast<const char*>(data + 1);
    const size_t bodyLength = size - 1 - extensionLength;

    std::string extension(body + bodyLength, extensionLength);
    extension = extension.c_str(); // a NUL in the input ends it
    std::string path(body, bodyLength);
    path = path.c_str();

    // DirectoryOf takes any length (its copy is bounded); ReplaceExtension needs a path that
    // already fits its buffer.
    CheckDirectoryOf(path.c_str());
    if (path.size() < MAX_PATH) {
        CheckReplaceExtension(path.c_str(), extension.c_str());
        CheckReplaceExtension(path.c_str(), "wav");
    }
    return 0;
}
