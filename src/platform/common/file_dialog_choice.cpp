#include "platform/common/file_dialog_choice.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace filechoice {

namespace {

// Longest name a folder takes, in bytes.
constexpr size_t NameMax = 255;
// '/' and the system's own separator ('\\' on Windows, '/' again here).
constexpr char Separators[] = {'/', static_cast<char>(fs::path::preferred_separator), '\0'};

// Paths are UTF-8 (on Windows the active code page); std::filesystem is given them as such.
fs::path PathOf(const std::string& text)
{
    return fs::path(reinterpret_cast<const char8_t*>(text.c_str()));
}

size_t LastSeparator(const std::string& path)
{
    return path.find_last_of(Separators);
}

// The folder `path` names a file in, with its separator ("." for a bare name).
std::string ParentOf(const std::string& path)
{
    const size_t at = LastSeparator(path);
    return at == std::string::npos ? "." : path.substr(0, at + 1);
}

std::string CurrentDirectory()
{
    std::error_code error;
    const std::u8string text = fs::current_path(error).u8string();
    return std::string(text.begin(), text.end());
}

// The lpstrFilter items in order; the list ends at the first empty item (two NULs in a row).
std::vector<std::string> FilterItems(LPCSTR filter)
{
    std::vector<std::string> items;
    for (const char* item = filter; item != nullptr && *item != '\0';
         item += std::strlen(item) + 1) {
        items.emplace_back(item);
    }
    return items;
}

std::string LastPart(const std::string& path)
{
    const size_t at = LastSeparator(path);
    return at == std::string::npos ? path : path.substr(at + 1);
}

} // namespace

FileDialogRecord RecordOf(const OPENFILENAMEA& ofn, bool save)
{
    FileDialogRecord record;
    record.call = save ? FileDialogCall::Save : FileDialogCall::Open;
    record.owner = ofn.hwndOwner;
    record.filter = FilterItems(ofn.lpstrFilter);
    record.filterIndex = ofn.nFilterIndex;
    record.initialDir = ofn.lpstrInitialDir != nullptr ? ofn.lpstrInitialDir : "";
    record.file.assign(ofn.lpstrFile, strnlen(ofn.lpstrFile, ofn.nMaxFile));
    record.flags = ofn.Flags;
    record.maxFile = ofn.nMaxFile;
    return record;
}

DWORD EntryPair(DWORD filterIndex, size_t pairs)
{
    if (filterIndex == 0 || filterIndex > pairs) {
        return pairs == 0 ? 0 : 1;
    }
    return filterIndex;
}

bool IsDirectory(const std::string& path)
{
    std::error_code error;
    return !path.empty() && fs::is_directory(PathOf(path), error);
}

bool Exists(const std::string& path)
{
    std::error_code error;
    return !path.empty() && fs::exists(PathOf(path), error);
}

std::string Join(const std::string& directory, const std::string& name)
{
    if (PathOf(name).is_absolute()) {
        return name;
    }
    if (directory.empty() || std::strchr(Separators, directory.back()) != nullptr) {
        return directory + name;
    }
    return directory + static_cast<char>(fs::path::preferred_separator) + name;
}

void StartPlace(const FileDialogRecord& record, std::string* directory, std::string* name)
{
    std::string base = record.initialDir;
    if (!IsDirectory(base)) {
        base = CurrentDirectory();
    }
    const size_t at = LastSeparator(record.file);
    if (at == std::string::npos) {
        *directory = base;
        *name = record.file;
        return;
    }
    const std::string folder = Join(base, record.file.substr(0, at == 0 ? 1 : at));
    *directory = IsDirectory(folder) ? folder : base;
    *name = record.file.substr(at + 1);
}

std::string Refusal(const std::string& path, DWORD flags, DWORD maxFile)
{
    if (RefusesTooLong && (path.size() >= maxFile || LastPart(path).size() > NameMax)) {
        return LastPart(path).substr(0, 40) + "...\nThe path is too long: at most " +
               std::to_string(maxFile - 1) + " bytes.\nChoose a shorter name or folder.";
    }
    if ((flags & (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST)) != 0 && !IsDirectory(ParentOf(path))) {
        return LastPart(path) + "\nPath does not exist.\nCheck the path and try again.";
    }
    if ((flags & OFN_FILEMUSTEXIST) != 0 && !Exists(path)) {
        return LastPart(path) + "\nFile not found.\nCheck the file name and try again.";
    }
    return {};
}

bool MustAskToReplace(const std::string& path, DWORD flags, bool save)
{
    return save && (flags & OFN_OVERWRITEPROMPT) != 0 && Exists(path);
}

std::string ReplaceQuestion(const std::string& path)
{
    return LastPart(path) + " already exists.\nDo you want to replace it?";
}

BOOL Deliver(OPENFILENAMEA* ofn, const std::string& path, DWORD filterIndex, DWORD* error)
{
    if (path.size() >= ofn->nMaxFile) {
        // Win32 puts the size needed into the buffer's first two bytes.
        if (ofn->nMaxFile >= 2) {
            const size_t needed = std::min<size_t>(path.size() + 1, 0xFFFF);
            ofn->lpstrFile[0] = static_cast<char>(needed & 0xFF);
            ofn->lpstrFile[1] = static_cast<char>((needed >> 8) & 0xFF);
        }
        *error = FNERR_BUFFERTOOSMALL;
        return FALSE;
    }
    std::memcpy(ofn->lpstrFile, path.c_str(), path.size() + 1);
    const size_t at = LastSeparator(path);
    const size_t nameAt = at == std::string::npos ? 0 : at + 1;
    const size_t dot = path.find_last_of('.');
    ofn->nFileOffset = static_cast<WORD>(nameAt);
    if (dot == std::string::npos || dot < nameAt) {
        ofn->nFileExtension = static_cast<WORD>(path.size());
    } else {
        ofn->nFileExtension = static_cast<WORD>(dot + 1 == path.size() ? 0 : dot + 1);
    }
    ofn->nFilterIndex = filterIndex;
    *error = 0;
    return TRUE;
}

} // namespace filechoice
