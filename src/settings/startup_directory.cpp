#include "settings/startup_directory.h"

// The recorder's setting is not read yet, so the program keeps the directory it was
// started in. Failures here are never shown, so nothing is lost by doing nothing.
void ApplyStartupDirectory()
{
}
