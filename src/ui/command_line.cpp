// The command line: at most one file to open, and the two options every command-line user
// tries first. The toolkit's own options have been taken off it before it gets here.
#include "ui/command_line.h"

#include <cstdio>
#include <cstring>

#include "core/error_info.h"
#include "platform/startup.h"

char GivenPath[MAX_PATH] = "";

namespace {

// The caption of the boxes that tell the user about the command line where there is no
// console; the string table is not loaded yet.
constexpr const char* CommandLineCaption = "Salvorin";

constexpr const char* Usage = "Usage: salvorin [FILE]\n"
                              "Opens FILE, a sound recorder's temporary file, to make a WAV "
                              "file of it.\n"
                              "\n"
                              "  --help     show this help and exit\n"
                              "  --version  show the version and exit\n";

int Refuse(const char* what, const char* argument)
{
    char text[PromptBufferSize];
    FormatBounded(text, sizeof text, "salvorin: %s: %s (try 'salvorin --help')\n", what, argument);
    ShowStartupText(StartupError, CommandLineCaption, text);
    return 2;
}

} // namespace

int ReadCommandLine(int count, const char* const* arguments)
{
    GivenPath[0] = '\0';
    const char* path = nullptr;
    bool optionsEnded = false;
    for (int i = 1; i < count; ++i) {
        const char* argument = arguments[i];
        if (!optionsEnded && argument[0] == '-' && argument[1] != '\0') {
            if (std::strcmp(argument, "--") == 0) {
                optionsEnded = true;
            } else if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) {
                ShowStartupText(StartupInformation, CommandLineCaption, Usage);
                return 0;
            } else if (std::strcmp(argument, "--version") == 0) {
                ShowStartupText(StartupInformation, CommandLineCaption,
                                "salvorin " SALVORIN_VERSION "\n");
                return 0;
            } else {
                return Refuse("unknown option", argument);
            }
            continue;
        }
        if (path != nullptr) {
            return Refuse("only one file can be opened, also given", argument);
        }
        path = argument;
    }
    if (path == nullptr) {
        return -1;
    }
    // Made whole now: the start-up directory may change the current one before the open.
    const DWORD length = GetFullPathNameA(path, MAX_PATH, GivenPath, nullptr);
    if (length == 0 || length >= MAX_PATH) {
        GivenPath[0] = '\0';
        return Refuse(length == 0 ? "not a path" : "the path is too long", path);
    }
    return -1;
}
