#pragma once

#include "platform/win32.h"

// The path the open dialog returned; kept across a deferral, so the re-posted command
// opens what the user chose before.
extern char OpenPath[MAX_PATH];
// The filter pair (from 1) the open dialog selects; the pair last chosen with a file.
extern DWORD OpenFilterIndex;

// File > Open: choose a temporary file and open it. Also run when playback re-posts it.
void OpenCommand();

// "Do you want to close the current file?" when one is open; true when it may be closed.
bool MayCloseCurrentFile();
// Opens a full path named outside the dialog (the command line, a drop) as the dialog's
// choice would be opened: the same question, the same deferral while sound plays.
void OpenGivenPath(const char* path);
// WM_DROPFILES: one dropped file is opened as a given path; anything else is ignored.
void OpenDroppedFiles(HDROP drop);
