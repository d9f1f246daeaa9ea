// The records of a module's resources: dialog templates, menus, strings and icons as plain
// data. ui/resources holds the program's; on Linux the platform builds windows from them,
// on Windows the build turns them into the executable's resource script.
#pragma once

// Included from win32.h (either flavour's), which defines the basic types.

struct DLGITEM_DATA {
    const char*
        className;      // "button", "static", "combobox", "msctls_trackbar32", "msctls_progress32"
    const char* text;   // for SS_ICON statics: the icon id as "#112"
    int id;             // -1 for none
    short x, y, cx, cy; // dialog units
    DWORD style;
    DWORD exStyle;
};

struct DLGTEMPLATE_DATA {
    WORD resourceId;
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    const char* title;
    const char* fontName;
    WORD pointSize;
    WORD menuId; // 0 for none
    const DLGITEM_DATA* items;
    int itemCount;
};

// A menu is a flat list: an MF_POPUP entry opens a pop-up whose items follow it, up to and
// including the entry flagged MF_END.
struct MENUITEM_DATA {
    UINT flags; // MF_POPUP, MF_SEPARATOR, MF_END (combinable with the last item)
    UINT id;
    const char* text;
};

struct MENU_DATA {
    WORD resourceId;
    const MENUITEM_DATA* items;
    int itemCount;
};

struct STRING_DATA {
    UINT id;
    const char* text;
};

// An icon image in 16 colours: `pixels` holds width*height characters, row by row from the
// top, each a hexadecimal digit indexing the standard 16-colour palette or '.' for clear.
struct ICON_DATA {
    WORD resourceId;
    int width, height;
    const char* pixels;
};
