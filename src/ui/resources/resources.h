// The program's resources: dialog and menu templates, string table and icons, gathered
// into the module instance the entry point hands to the platform.
#pragma once

#include "platform/win32.h"

extern const DLGTEMPLATE_DATA DialogResources[];
extern const int DialogResourceCount;
extern const MENU_DATA MenuResources[];
extern const int MenuResourceCount;
extern const STRING_DATA StringResources[];
extern const int StringResourceCount;
extern const ICON_DATA IconResources[];
extern const int IconResourceCount;

extern const RESOURCE_MODULE ResourceModule;
