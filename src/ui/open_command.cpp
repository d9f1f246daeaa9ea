// The open dialog is not built yet: the command says so and changes nothing.
#include "ui/open_command.h"

#include "core/error_info.h"
#include "core/resource_ids.h"

void OpenCommand()
{
    Prompt(MB_ICONEXCLAMATION, IDS_NOT_AVAILABLE, "Opening a file");
}
