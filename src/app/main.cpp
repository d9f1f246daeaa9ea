// Entry point: reads the command line, then runs the main dialog; when it ends, the program
// ends with exit code 0.
#include <vector>

#include "core/app_state.h"
#include "core/resource_ids.h"
#include "platform/startup.h"
#include "platform/win32.h"
#include "ui/command_line.h"
#include "ui/main_dialog.h"
#include "ui/resources/resources.h"

int main(int argc, char** argv)
{
    // Help, the version and a bad command line are answered before the toolkit starts, so
    // they need no display (over SSH, in a script).
    PlatformReadCommandLine(argc, argv);
    std::vector<const char*> arguments;
    for (int i = 0; i < CommandLineArgumentCount(); ++i) {
        arguments.push_back(CommandLineArgument(i));
    }
    const int status = ReadCommandLine(static_cast<int>(arguments.size()), arguments.data());
    if (status >= 0) {
        return status;
    }
    PlatformStartup(argc, argv);
    InitCommonControls();
    ModuleInstance = &ResourceModule;
    DialogBoxParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc, 0);
    return 0;
}
