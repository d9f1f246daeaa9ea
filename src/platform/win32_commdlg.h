// Common file dialogs of the Win32-style API.
#pragma once

// The record's first form (without the fields added later) is 76 bytes on the 32-bit
// platform it was defined for; callers store that size and the platform accepts it, or
// sizeof(OPENFILENAMEA).
#define OPENFILENAME_SIZE_VERSION_400A 76

#define OFN_READONLY 0x00000001
#define OFN_OVERWRITEPROMPT 0x00000002
#define OFN_HIDEREADONLY 0x00000004
#define OFN_NOCHANGEDIR 0x00000008
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000
#define OFN_EXPLORER 0x00080000

// CommDlgExtendedError codes
#define CDERR_STRUCTSIZE 0x0001
#define CDERR_INITIALIZATION 0x0002
#define CDERR_DIALOGFAILURE 0xFFFF
#define FNERR_BUFFERTOOSMALL 0x3003
#define FNERR_INVALIDFILENAME 0x3002

struct OPENFILENAMEA {
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    LPCSTR lpstrFilter; // pairs of NUL-terminated texts, ending in two NULs
    LPSTR lpstrCustomFilter;
    DWORD nMaxCustFilter;
    DWORD nFilterIndex; // 1-based pair selected; 0 selects the first
    LPSTR lpstrFile;    // in: proposed name; out: the chosen full path
    DWORD nMaxFile;
    LPSTR lpstrFileTitle;
    DWORD nMaxFileTitle;
    LPCSTR lpstrInitialDir;
    LPCSTR lpstrTitle;
    DWORD Flags;
    WORD nFileOffset;
    WORD nFileExtension;
    LPCSTR lpstrDefExt;
    LPARAM lCustData;
    void* lpfnHook;
    LPCSTR lpTemplateName;
};
typedef OPENFILENAMEA* LPOPENFILENAMEA;

// Non-zero when the user chose a file; 0 when the user cancelled (CommDlgExtendedError 0)
// or the dialog failed (CommDlgExtendedError non-zero, e.g. FNERR_BUFFERTOOSMALL when the
// chosen path does not fit nMaxFile).
BOOL GetOpenFileNameA(LPOPENFILENAMEA record);
BOOL GetSaveFileNameA(LPOPENFILENAMEA record);
// The extended error of the last file dialog on this thread (0 after a cancel).
DWORD CommDlgExtendedError();
