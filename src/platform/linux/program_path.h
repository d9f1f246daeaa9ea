// Program paths and Linux paths. Implemented in linux/wine (program_path.cpp), because a
// program path may be a Windows drive path that the recorder stored under Wine.
#pragma once

#include <string>

#include "platform/win32.h"

// The Linux path that `path` names: a drive path ("C:\\...") through the Wine prefix's
// drive links, any other path as it is. False with the last error set (null, empty or
// longer than MAX_PATH UTF-16 units).
bool NativePath(LPCSTR path, std::string* native);
// The program path of a Linux path (the current directory's, for instance).
std::string ProgramPathFromNative(const char* native);
