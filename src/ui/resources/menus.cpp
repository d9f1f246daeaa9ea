#include "core/resource_ids.h"
#include "ui/resources/resources.h"

namespace {

const MENUITEM_DATA MainMenuItems[] = {
    {MF_POPUP, 0, "&File"},
    {0, IDM_OPEN, "&Open Quorbel temporary file ..."},
    {0, IDM_SAVE_IN_PLACE, "Sa&ve in place and rename"},
    {0, IDM_SAVE_AS, "&Save as ..."},
    {MF_SEPARATOR, 0, ""},
    {MF_END, IDM_EXIT, "&Exit"},
    {MF_POPUP, 0, "&Play"},
    {0, IDM_PLAY, "Try to &play"},
    {MF_END, IDM_STOP, "S&top playing"},
    {MF_POPUP, 0, "&Help"},
    {MF_END, IDM_ABOUT, "&About"},
};

} // namespace

const MENU_DATA MenuResources[] = {
    {IDR_MAIN_MENU, MainMenuItems, sizeof MainMenuItems / sizeof MainMenuItems[0]},
};
const int MenuResourceCount = sizeof MenuResources / sizeof MenuResources[0];
