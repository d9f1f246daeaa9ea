// The format controls of the main dialog: the rate list and the four radio buttons.
#pragma once

#include "platform/win32.h"

void InitFormatControls();
// The starting format and its first recompute.
void SetDefaultFormat();
// The one entry point for format changes; id 0 recomputes only.
void FormatCommand(WORD id, WORD code);
