// Saving is not built yet: both commands say so and change nothing.
#include "save/save_commands.h"

#include "core/error_info.h"
#include "core/resource_ids.h"

void SaveAsCommand()
{
    Prompt(MB_ICONEXCLAMATION, IDS_NOT_AVAILABLE, "Save as");
}

void SaveInPlaceCommand()
{
    Prompt(MB_ICONEXCLAMATION, IDS_NOT_AVAILABLE, "Save in place");
}
