// Process start-up of the platform layer: creates the toolkit application (once per
// process) before any window. The entry point calls it first; tests call it from their main.
#pragma once

void PlatformStartup(int argc, char** argv);

// The command line once the toolkit has taken its own options (-platform, -reverse, ...):
// the program's name first, then its own arguments, as the C runtime's __argc and __argv
// give them on Windows. Valid after PlatformStartup; null past the last.
int CommandLineArgumentCount();
const char* CommandLineArgument(int index);
