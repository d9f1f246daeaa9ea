// What the two save commands share: the save dialog, failure reports, and telling whether
// a path leads to a given open file.
#pragma once

#include "platform/win32.h"

// Runs the save dialog over the main window with `target` (MAX_PATH characters) preset to
// the source's path with the extension "wav", starting in the source's folder.
// The file types are the filter list `filterId`; the one the user chose (1-based) goes to
// `*filterIndex` unless that is null.
// Returns non-zero when the user accepted a path, which is then in `target`.
BOOL ChooseSaveTarget(char* target, DWORD flags, UINT filterId, DWORD* filterIndex);
// An error box for the call that just failed, under its operation name, owned by the
// current owner window. Takes the last error first, so call it right after the failure.
void ReportFailure(const char* operation);
// True when `path` leads to the same file as the open `file`, by any spelling: a symbolic
// or hard link, "..", a relative path. False when that cannot be told (nothing at `path`).
bool PathLeadsToFile(const char* path, HANDLE file);
