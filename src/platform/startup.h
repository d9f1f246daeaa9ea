// Process start-up of the platform layer. The entry point first takes the command line
// apart (no display needed), answers what it can answer at once, and only then creates the
// toolkit application (once per process) before any window; tests call PlatformStartup
// from their main.
#pragma once

// Separates the toolkit's own options (-platform NAME, -reverse, ...), which stay the
// toolkit's, from the program's arguments. Needs no display, so --help answers without one.
void PlatformReadCommandLine(int argc, char** argv);
// Creates the toolkit application; reads the command line first if that was not done.
void PlatformStartup(int argc, char** argv);

// The program's command line without the toolkit's options: the program's name first, then
// its own arguments, as the C runtime's __argc and __argv give them on Windows. Valid after
// PlatformReadCommandLine; null past the last.
int CommandLineArgumentCount();
const char* CommandLineArgument(int index);

// Tells the user a text before any window is up: help or the version (information), or
// what is wrong with the command line (error). Where the program was started from a
// terminal it is printed there (standard output, or standard error for an error);
// otherwise it is shown in a box with the caption given.
enum StartupTextKind { StartupInformation, StartupError };
void ShowStartupText(StartupTextKind kind, const char* caption, const char* text);
