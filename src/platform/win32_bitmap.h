// Bitmaps the program paints itself and a static control shows (SS_BITMAP, STM_SETIMAGE):
// a 32-bit device-independent bitmap whose pixels the program writes, then asks to be
// repainted. Only the 32 bits per pixel, BI_RGB form is taken.
#pragma once

struct HBITMAP__;
typedef HBITMAP__* HBITMAP;
typedef void* HGDIOBJ;

#define SS_BITMAP 0x0000000EL
#define SS_REALSIZECONTROL 0x00000040L // the picture is fitted to the control, not the other way
#define STM_SETIMAGE 0x0172 // wParam IMAGE_BITMAP, lParam the HBITMAP; returns the previous one
#define STM_GETIMAGE 0x0173
#define IMAGE_BITMAP 0

#define BI_RGB 0L
#define DIB_RGB_COLORS 0

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight; // negative: the first row in memory is the top one
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

// A bitmap whose pixels the caller writes through *bits (each a DWORD 0x00RRGGBB, rows of
// biWidth pixels). `dc` and `section` may be null; `offset` 0. Null on failure (bits null).
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD offset);
BOOL DeleteObject(HGDIOBJ object);
// Waits for drawing queued on this thread's bitmaps, before the program writes their pixels.
BOOL GdiFlush();
