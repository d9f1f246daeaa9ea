// Entry point: runs the main dialog; when it ends, the program ends with exit code 0.
#include "core/app_state.h"
#include "core/resource_ids.h"
#include "platform/startup.h"
#include "platform/win32.h"
#include "ui/main_dialog.h"
#include "ui/resources/resources.h"

int main(int argc, char** argv)
{
    PlatformStartup(argc, argv);
    InitCommonControls();
    ModuleInstance = &ResourceModule;
    DialogBoxParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc, 0);
    return 0;
}
