// Opening a temporary file by path and showing it in the main window.
#pragma once

// Opens the file under the size rules and makes it the current one; every failure is
// reported before it returns, and leaves the file that was open before as it was. The file
// that is open, named again by any path, is closed and opened afresh: a failure then
// leaves no file open.
void OpenSourceFile(const char* path);
