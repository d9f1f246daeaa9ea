// Process start-up on Windows: the common control classes the templates use.
#include "platform/startup.h"
#include "platform/win32.h"

void PlatformStartup(int argc, char** argv)
{
    (void)argc;
    (void)argv;
    // With common controls 6 (the manifest) InitCommonControls registers nothing; the
    // trackbar and progress classes are asked for by name.
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    if (!InitCommonControlsEx(&classes)) {
        // The dialog that needs them fails to open and says so; nothing else to do here.
        OutputDebugStringA("salvorin: InitCommonControlsEx failed\n");
    }
}
