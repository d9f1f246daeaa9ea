// The program's own start-up (as its entry point does it), ending as soon as the main
// dialog is shown: prints the monotonic time of that moment.
#include <cstdio>
#include <ctime>

#include "core/app_state.h"
#include "core/resource_ids.h"
#include "platform/testing/seams.h"
#include "platform/startup.h"
#include "platform/win32.h"
#include "ui/main_dialog.h"
#include "ui/resources/resources.h"

int main(int argc, char** argv)
{
    PlatformStartup(argc, argv);
    InitCommonControls();
    ModuleInstance = &ResourceModule;
    // Runs in the dialog's loop, once WM_INITDIALOG has returned and the dialog is shown.
    OnNextModalLoop([](HWND dialog) {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::printf("%lld.%09ld\n", static_cast<long long>(now.tv_sec), now.tv_nsec);
        std::fflush(stdout);
        EndDialog(dialog, 0);
    });
    DialogBoxParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc, 0);
    return 0;
}
