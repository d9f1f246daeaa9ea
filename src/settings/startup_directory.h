// The directory the open dialog starts in: where the recorder keeps its temporary files.
#pragma once

void ApplyStartupDirectory();
