// Process start-up on Windows: the common control classes the templates use, the command
// line as the C runtime gives it (the system has no toolkit options to take out), and where
// a text for the user goes before any window is up.
#include "platform/startup.h"

#include <cstring>

#include "platform/win32.h"

namespace {
int g_argc = 0;
char** g_argv = nullptr;

bool WriteAll(HANDLE handle, const char* text)
{
    const DWORD length = static_cast<DWORD>(std::strlen(text));
    DWORD written = 0;
    return WriteFile(handle, text, length, &written, nullptr) && written == length;
}

// A standard handle the program was given: a console, or a file or pipe it was redirected to.
bool WriteToStandardHandle(DWORD which, const char* text)
{
    HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE ||
        GetFileType(handle) == FILE_TYPE_UNKNOWN) {
        return false;
    }
    return WriteAll(handle, text);
}

// A GUI program started from a console gets no handles of it; it can join that console.
bool WriteToParentConsole(const char* text)
{
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) {
        return false;
    }
    HANDLE console =
        CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (console == INVALID_HANDLE_VALUE) {
        FreeConsole();
        return false;
    }
    // The console's prompt came back when the program started: begin on a line of its own.
    const bool written = WriteAll(console, "\r\n") && WriteAll(console, text);
    CloseHandle(console);
    FreeConsole();
    return written;
}
} // namespace

void PlatformReadCommandLine(int argc, char** argv)
{
    g_argc = argc;
    g_argv = argv;
}

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
    PlatformReadCommandLine(argc, argv);
    // With common controls 6 (the manifest) InitCommonControls registers nothing; the
    // trackbar and progress classes are asked for by name.
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    if (!InitCommonControlsEx(&classes)) {
        // The dialog that needs them fails to open and says so; nothing else to do here.
        OutputDebugStringA("salvorin: InitCommonControlsEx failed\n");
    }
}

void ShowStartupText(StartupTextKind kind, const char* caption, const char* text)
{
    const bool error = kind == StartupError;
    if (WriteToStandardHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE, text) ||
        WriteToParentConsole(text)) {
        return;
    }
    // Started from Explorer, a shortcut or a drop onto the program: no console to write to.
    // The box's result changes nothing: the program ends after it either way.
    MessageBoxA(nullptr, text, caption, MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION));
}
