// The two ways of writing a WAV file from the open temporary file.
#pragma once

void SaveAsCommand();
void SaveInPlaceCommand();
