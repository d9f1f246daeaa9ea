// The text rules the three file dialogs are built with.
#pragma once

#include "platform/win32.h"

constexpr int FilterBufferSize = 160;

// Loads a filter list from the string table and turns every '|' into a NUL, so the list
// ends in two NULs. `buffer` holds FilterBufferSize characters.
void LoadFilterString(UINT stringId, char* buffer);
// Replaces the extension of the file name at the end of `path` (a MAX_PATH buffer) with
// `extension`, or appends it; leaves the path unchanged when the result would not fit.
void ReplaceExtension(char* path, const char* extension);
// The file name at the end of `path`: what follows its last folder separator.
const char* FileNameOf(const char* path);
// Writes the directory part of `path` into `destination` (a MAX_PATH buffer).
void DirectoryOf(char* destination, const char* path);
// After a file dialog returned 0: true when it failed because the chosen path does not fit
// its buffer (the user has then been told so, and the dialog is to be shown again); false
// when the user cancelled or the dialog failed otherwise.
bool RefusedPathTooLong();
