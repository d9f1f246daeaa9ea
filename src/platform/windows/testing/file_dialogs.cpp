// The common file dialogs' log and script. A scripted choice goes through the rules the
// system's dialog applies (must-exist flags, the replace question, a buffer too small), so
// the program meets the same answers as from a user.
#include <cstring>
#include <deque>
#include <filesystem>

#include "platform/windows/testing/wrap.h"

namespace fs = std::filesystem;

namespace {

std::vector<FileDialogRecord> g_log;
std::deque<FileDialogAnswer> g_script;
bool g_scripted = false;
int g_unscripted = 0;
// CommDlgExtendedError of the last dialog on this thread, when the script answered it.
thread_local bool t_scriptedLast = false;
thread_local DWORD t_error = 0;

SEAM_REAL_ENTRY(GetOpenFileNameA)
SEAM_REAL_ENTRY(GetSaveFileNameA)
SEAM_REAL_ENTRY(CommDlgExtendedError)

// Paths are UTF-8 (the active code page); std::filesystem is given them as such.
fs::path PathOf(const std::string& text)
{
    return fs::path(reinterpret_cast<const char8_t*>(text.c_str()));
}

std::string TextOf(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

bool IsDirectory(const std::string& path)
{
    std::error_code error;
    return !path.empty() && fs::is_directory(PathOf(path), error);
}

bool Exists(const std::string& path)
{
    std::error_code error;
    return fs::exists(PathOf(path), error);
}

size_t LastSeparator(const std::string& path)
{
    return path.find_last_of("\\/");
}

std::string LastPart(const std::string& path)
{
    const size_t at = LastSeparator(path);
    return at == std::string::npos ? path : path.substr(at + 1);
}

std::string Join(const std::string& directory, const std::string& name)
{
    if (PathOf(name).is_absolute()) {
        return name;
    }
    if (directory.empty() || directory.back() == '\\' || directory.back() == '/') {
        return directory + name;
    }
    return directory + "\\" + name;
}

std::string CurrentDirectory()
{
    std::error_code error;
    return TextOf(fs::current_path(error));
}

// Where the dialog starts: a folder in the proposed name wins over the initial directory;
// without either, the current directory.
std::string StartFolder(const FileDialogRecord& record)
{
    std::string base = record.initialDir;
    if (!IsDirectory(base)) {
        base = CurrentDirectory();
    }
    const size_t at = LastSeparator(record.file);
    if (at == std::string::npos) {
        return base;
    }
    const std::string folder = Join(base, record.file.substr(0, at == 0 ? 1 : at));
    return IsDirectory(folder) ? folder : base;
}

std::string Refusal(const std::string& path, DWORD flags)
{
    const size_t at = LastSeparator(path);
    const std::string parent = at == std::string::npos ? "." : path.substr(0, at);
    if ((flags & (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST)) != 0 && !IsDirectory(parent + "\\")) {
        return LastPart(path) + "\nPath does not exist.\nCheck the path and try again.";
    }
    if ((flags & OFN_FILEMUSTEXIST) != 0 && !Exists(path)) {
        return LastPart(path) + "\nFile not found.\nCheck the file name and try again.";
    }
    return {};
}

std::vector<std::string> FilterItems(LPCSTR filter)
{
    std::vector<std::string> items;
    for (const char* item = filter; item != nullptr && *item != '\0';
         item += std::strlen(item) + 1) {
        items.emplace_back(item);
    }
    return items;
}

BOOL Deliver(OPENFILENAMEA* ofn, const std::string& path, DWORD filterIndex, DWORD* error)
{
    if (path.size() >= ofn->nMaxFile) {
        // The system puts the size needed into the buffer's first two bytes.
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

BOOL AnswerFromScript(OPENFILENAMEA* ofn, FileDialogRecord& record, bool save, DWORD* error)
{
    std::string directory = StartFolder(record);
    const size_t pairs = record.filter.size() / 2;
    for (;;) {
        if (g_script.empty()) {
            ++g_unscripted;
            *error = 0;
            return FALSE;
        }
        FileDialogAnswer answer = std::move(g_script.front());
        g_script.pop_front();
        if (answer.before) {
            answer.before();
        }
        if (!answer.choose) {
            *error = 0;
            return FALSE;
        }
        const std::string path = Join(directory, answer.path);
        if (IsDirectory(path)) {
            directory = path; // choosing a folder opens it; the next answer is given there
            record.refusals.push_back("opened folder " + path);
            continue;
        }
        std::string refusal = Refusal(path, record.flags);
        if (refusal.empty() && save && (record.flags & OFN_OVERWRITEPROMPT) != 0 && Exists(path) &&
            !answer.replace) {
            refusal = LastPart(path) + " already exists.\nDo you want to replace it?";
        }
        if (!refusal.empty()) {
            record.refusals.push_back(refusal);
            continue;
        }
        DWORD pair = answer.filterIndex;
        if (pair == 0) {
            pair = record.filterIndex == 0 || record.filterIndex > pairs ? (pairs == 0 ? 0 : 1)
                                                                         : record.filterIndex;
        }
        record.chosen = path;
        return Deliver(ofn, path, pair, error);
    }
}

BOOL FileDialog(const char* name, LPOPENFILENAMEA ofn, bool save)
{
    DWORD code = 0;
    if (FaultShouldFail(name, &code)) {
        t_scriptedLast = true;
        t_error = code;
        return FALSE;
    }
    FileDialogRecord record;
    record.call = save ? FileDialogCall::Save : FileDialogCall::Open;
    record.owner = ofn->hwndOwner;
    record.filter = FilterItems(ofn->lpstrFilter);
    record.filterIndex = ofn->nFilterIndex;
    record.initialDir = ofn->lpstrInitialDir != nullptr ? ofn->lpstrInitialDir : "";
    record.file.assign(ofn->lpstrFile, strnlen(ofn->lpstrFile, ofn->nMaxFile));
    record.flags = ofn->Flags;
    record.maxFile = ofn->nMaxFile;
    const size_t entry = g_log.size();
    g_log.push_back(record); // logged as it appears: boxes raised while it is up come after
    BOOL result = FALSE;
    DWORD error = 0;
    if (g_scripted && ofn->lStructSize != OPENFILENAME_SIZE_VERSION_400A &&
        ofn->lStructSize != sizeof(OPENFILENAMEA)) {
        // A scripted dialog refuses the records the system's refuses.
        t_scriptedLast = true;
        t_error = error = CDERR_STRUCTSIZE;
    } else if (g_scripted && ofn->hwndOwner != nullptr && !IsWindow(ofn->hwndOwner)) {
        t_scriptedLast = true;
        t_error = error = CDERR_DIALOGFAILURE;
    } else if (g_scripted) {
        result = AnswerFromScript(ofn, record, save, &error);
        t_scriptedLast = true;
        t_error = error;
    } else {
        using Call = BOOL(WINAPI*)(LPOPENFILENAMEA);
        result =
            save ? SEAM_REAL(Call, GetSaveFileNameA)(ofn) : SEAM_REAL(Call, GetOpenFileNameA)(ofn);
        t_scriptedLast = false;
        error = SEAM_REAL(DWORD(WINAPI*)(), CommDlgExtendedError)();
        if (result) {
            record.chosen = ofn->lpstrFile;
        }
    }
    record.result = result;
    record.error = error;
    if (!result) {
        record.chosen.clear();
    }
    g_log[entry] = std::move(record);
    return result;
}

BOOL WINAPI SeamGetOpenFileNameA(LPOPENFILENAMEA ofn)
{
    return FileDialog("GetOpenFileNameA", ofn, false);
}

BOOL WINAPI SeamGetSaveFileNameA(LPOPENFILENAMEA ofn)
{
    return FileDialog("GetSaveFileNameA", ofn, true);
}

DWORD WINAPI SeamCommDlgExtendedError()
{
    return t_scriptedLast ? t_error : SEAM_REAL(DWORD(WINAPI*)(), CommDlgExtendedError)();
}

} // namespace

SEAM_INSTALL(GetOpenFileNameA, SeamGetOpenFileNameA)
SEAM_INSTALL(GetSaveFileNameA, SeamGetSaveFileNameA)
SEAM_INSTALL(CommDlgExtendedError, SeamCommDlgExtendedError)

void FileDialogScriptSet(std::vector<FileDialogAnswer> answers)
{
    g_script.assign(std::make_move_iterator(answers.begin()),
                    std::make_move_iterator(answers.end()));
    g_scripted = true;
    g_unscripted = 0;
}

void FileDialogScriptClear()
{
    g_script.clear();
    g_scripted = false;
}

const std::vector<FileDialogRecord>& FileDialogLog()
{
    return g_log;
}

void FileDialogLogClear()
{
    g_log.clear();
}

int FileDialogUnscriptedCount()
{
    return g_unscripted;
}
