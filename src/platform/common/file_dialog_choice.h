// What a common file dialog does with a choice, whoever makes it: the Qt flavour's dialog for
// a user, and each flavour's test script. Paths are UTF-8; the separators are the system's
// ('/' here, '\\' or '/' on Windows).
#pragma once

#include <string>
#include <vector>

#include "platform/common/file_dialog_record.h"
#include "platform/win32.h"

namespace filechoice {

// What the caller asks of the dialog, as the log keeps it.
FileDialogRecord RecordOf(const OPENFILENAMEA& ofn, bool save);
// The pair the dialog opens with (1-based): nFilterIndex when it names one, else the first;
// 0 without pairs.
DWORD EntryPair(DWORD filterIndex, size_t pairs);

bool IsDirectory(const std::string& path);
bool Exists(const std::string& path);
// `name` in `directory`; an absolute name stands alone.
std::string Join(const std::string& directory, const std::string& name);
// Where the dialog starts and what its name field shows: a folder in the proposed name wins
// over the initial directory; without either, the current directory.
void StartPlace(const FileDialogRecord& record, std::string* directory, std::string* name);

// Why the dialog refuses `path`, or "" when it takes it. Our dialog refuses a path that
// does not fit the caller's buffer, so the user can choose again, rather than failing the
// call after it has closed; the system's, on Windows, ends with FNERR_BUFFERTOOSMALL.
#ifdef _WIN32
inline constexpr bool RefusesTooLong = false;
#else
inline constexpr bool RefusesTooLong = true;
#endif
std::string Refusal(const std::string& path, DWORD flags, DWORD maxFile);
bool MustAskToReplace(const std::string& path, DWORD flags, bool save);
std::string ReplaceQuestion(const std::string& path);

// The chosen path into the caller's record, with Win32's rules for a buffer too small.
BOOL Deliver(OPENFILENAMEA* ofn, const std::string& path, DWORD filterIndex, DWORD* error);

} // namespace filechoice
