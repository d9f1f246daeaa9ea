// File identity and durability calls of the Win32-style API.
#pragma once

// MoveFileExA: returns only once the move is on the disk.
#define MOVEFILE_WRITE_THROUGH 0x00000008

struct BY_HANDLE_FILE_INFORMATION {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD dwVolumeSerialNumber;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD nNumberOfLinks;
    DWORD nFileIndexHigh;
    DWORD nFileIndexLow;
};
typedef BY_HANDLE_FILE_INFORMATION* LPBY_HANDLE_FILE_INFORMATION;

// The volume serial number and the file index together name one file, whatever path (link,
// relative spelling) led to it.
BOOL GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information);
// Writes the file's data and size to the disk; returns when they are there.
BOOL FlushFileBuffers(HANDLE file);
// Not a Win32 call: the same record for the file a path leads to (symbolic links followed),
// without opening it. Win32 would open the path for query access only, which no share mode
// refuses; here an open file's lock would.
BOOL FileInformationOfPath(LPCSTR path, LPBY_HANDLE_FILE_INFORMATION information);
