// Internal: where the Wine prefix is, and how a Windows path inside it maps to Linux.
#pragma once

#include <string>

// $WINEPREFIX, or $HOME/.wine when it is unset or empty. False when neither is known.
bool WinePrefixDirectory(std::string* prefix);

// Maps a drive path ("C:\users\me\Temp", "c:/x", "D:") to the Linux path Wine would use:
// through $WINEPREFIX/dosdevices/<drive>: and then each component matched without regard
// to case against the directory's real entries. A component that matches nothing is kept
// as written, so that using the result fails the natural way. Returns false for anything
// that is not a drive path (the caller then uses the path as it is).
bool MapWindowsPathToHost(const char* path, std::string* hostPath);
