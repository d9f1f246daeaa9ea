// Process start-up on Windows: the common control classes the templates use, and the
// command line as the C runtime gives it (the system has no toolkit options to take out).
#include "platform/startup.h"
#include "platform/win32.h"

namespace {
int g_argc = 0;
char** g_argv = nullptr;
} // namespace

int CommandLineArgumentCount()
{
    return g_argc;
}

const char* CommandLineArgument(int index)
{
    return index >= 0 && index < g_argc ? g_argv[index] : nullptr;
}

void PlatformStartup(int argc, char** argv)
{
    g_argc = argc;
    g_argv = argv;
    // With common controls 6 (the manifest) InitCommonControls registers nothing; the
    // trackbar and progress classes are asked for by name.
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    if (!InitCommonControlsEx(&classes)) {
        // The dialog that needs them fails to open and says so; nothing else to do here.
        OutputDebugStringA("salvorin: InitCommonControlsEx failed\n");
    }
}
