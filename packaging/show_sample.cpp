// The main dialog with a temporary file open, as a user sees it after File > Open; for the
// screenshot script and the accessibility check, which must not depend on driving a file
// dialog by keystrokes. Not installed: the program itself takes no arguments.
//   salvorin-show-sample FILE        shows the window until the user exits
//   salvorin-show-sample FILE PNG    saves a picture of the window as PNG and ends
//   salvorin-show-sample FILE PNG 8  the same after the user picks 8 bit (16 for 16 bit),
//                                    whatever the data suggested
#include <cstdio>
#include <cstring>

#include "core/app_state.h"
#include "core/resource_ids.h"
#include "platform/testing/seams.h"
#include "platform/testing/seams_capture.h"
#include "ui/main_dialog.h"
#include "ui/open_source_file.h"
#include "ui/resources/resources.h"

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 4 ||
        (argc == 4 && std::strcmp(argv[3], "8") != 0 && std::strcmp(argv[3], "16") != 0)) {
        std::fprintf(stderr, "usage: %s TEMPORARY_FILE [PICTURE.png [8|16]]\n", argv[0]);
        return 2;
    }
    const char* sample = argv[1];
    const char* picture = argc >= 3 ? argv[2] : nullptr;
    const int width = argc == 4 ? (std::strcmp(argv[3], "8") == 0 ? IDC_8BIT : IDC_16BIT) : 0;
    PlatformStartup(argc, argv);
    InitCommonControls();
    ModuleInstance = &ResourceModule;
    bool saved = true;
    OnNextModalLoop([&](HWND dialog) {
        OpenSourceFile(sample);
        if (width != 0) {
            UserClick(GetDlgItem(dialog, width));
        }
        if (picture == nullptr) {
            return;
        }
        PumpMessages();
        saved = SaveWindowImage(dialog, picture) != FALSE;
        if (!saved) {
            std::fprintf(stderr, "salvorin-show-sample: cannot write %s\n", picture);
        }
        EndDialog(dialog, 0);
    });
    if (DialogBoxParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc, 0) ==
        -1) {
        std::fprintf(stderr, "salvorin-show-sample: the main dialog cannot be shown\n");
        return 1;
    }
    return saved ? 0 : 1;
}
