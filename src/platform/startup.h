// Process start-up of the platform layer: creates the toolkit application (once per
// process) before any window. The entry point calls it first; tests call it from their main.
#pragma once

void PlatformStartup(int argc, char** argv);
