#pragma once

#include "platform/win32.h"

// The path the open dialog returned; kept across a deferral, so the re-posted command
// opens what the user chose before.
extern char OpenPath[MAX_PATH];
// The filter pair (from 1) the open dialog selects; the pair last chosen with a file.
extern DWORD OpenFilterIndex;

// File > Open: choose a temporary file and open it. Also run when playback re-posts it.
void OpenCommand();
