// The identity of the file a path leads to. An open without access rights asks only for
// its attributes, which no share mode refuses, so a file the program holds open answers too.
#include "platform/win32.h"

BOOL FileInformationOfPath(LPCSTR path, LPBY_HANDLE_FILE_INFORMATION information)
{
    if (path == nullptr || information == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // The wide call, with the path converted as the A calls convert it: this lookup is not
    // one of the program's file opens, and is not counted among them.
    WCHAR wide[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, wide, MAX_PATH) == 0) {
        return FALSE;
    }
    // Backup semantics let a folder be opened as well; the program compares files only.
    HANDLE file = CreateFileW(wide, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return FALSE;
    }
    const BOOL found = GetFileInformationByHandle(file, information);
    const DWORD error = GetLastError();
    CloseHandle(file);
    SetLastError(error);
    return found;
}
