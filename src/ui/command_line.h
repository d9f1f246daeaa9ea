#pragma once

#include "platform/win32.h"

// The message the main dialog posts itself at start when a file was named on the command
// line: the window is up before the file is opened, and before any error box about it.
constexpr UINT WM_OPEN_GIVEN_PATH = WM_APP + 1;

// The file named on the command line, made whole against the directory the program was
// started in; empty when none was named or once it has been opened.
extern char GivenPath[MAX_PATH];

// -1: run the program (GivenPath says whether a file was named). Otherwise the exit status:
// 0 after --help or --version, 2 after a bad command line (one line), each told through
// ShowStartupText. `arguments[0]` is the program's name.
int ReadCommandLine(int count, const char* const* arguments);
