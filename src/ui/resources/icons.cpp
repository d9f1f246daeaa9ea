// The program's icons, 16 colours each (palette digits as ICON_DATA describes), drawn by
// tools/icons/draw_icons.py: a page with a sound wave on it.
#include "ui/resources/resources.h"

#include "core/resource_ids.h"

namespace {

const char BigIcon[] = "................................"
                       ".....00000000000000008.........."
                       ".....0fffffffffffffff78........."
                       ".....0fffffffffffffff778........"
                       ".....0fffffffffffffff7778......."
                       ".....0fffffffffffffff77778......"
                       ".....0fffffffffffffff777778....."
                       ".....0fffffffff44fffffffff0....."
                       ".....0fffffffff44fffffffff0....."
                       ".....0fffffffffccfffffffff0....."
                       ".....0fffffffffccfffffffff0....."
                       ".....0fffffffffccfffffffff0....."
                       ".....0fffffffffccfffffffff0....."
                       ".....0fff4fffffccfffff4fff0....."
                       ".....0fff44fff4cc4fff44fff0....."
                       ".....0fffc4f4f4cc4f4f4cfff0....."
                       ".....0ff4cc444cccc444cc4ff0....."
                       ".....0f44cc4c4cccc4c4cc44f0....."
                       ".....0ff4cc4c4cccc4c4cc4ff0....."
                       ".....0fffccf4fccccf4fccfff0....."
                       ".....0fffc4fff4cc4fff4cfff0....."
                       ".....0fff4fffffccfffff4fff0....."
                       ".....0fffffffffccfffffffff0....."
                       ".....0fffffffffccfffffffff0....."
                       ".....0fffffffffccfffffffff0....."
                       ".....0fffffffffccfffffffff0....."
                       ".....0fffffffffccfffffffff0....."
                       ".....0fffffffff44fffffffff0....."
                       ".....0ffffffffffffffffffff0....."
                       ".....0ffffffffffffffffffff0....."
                       ".....0000000000000000000000....."
                       "................................";

const char SmallIcon[] = "..0000000008...."
                         "..0ffffffff78..."
                         "..0ffffffff778.."
                         "..0ffffffffff0.."
                         "..0ffffffffff0.."
                         "..0ffff44ffff0.."
                         "..0ff4f44f4ff0.."
                         "..0ff44cc44ff0.."
                         "..0f4c4cc4c4f0.."
                         "..0ffc4cc4cff0.."
                         "..0ff4fccf4ff0.."
                         "..0ffff44ffff0.."
                         "..0ffffffffff0.."
                         "..0ffffffffff0.."
                         "..0ffffffffff0.."
                         "..000000000000..";

} // namespace

const ICON_DATA IconResources[] = {
    {IDI_MAIN_BIG, 32, 32, BigIcon},
    {IDI_MAIN_SMALL, 16, 16, SmallIcon},
};
const int IconResourceCount = sizeof IconResources / sizeof IconResources[0];
