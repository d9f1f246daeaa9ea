// The playback engine's operations, as the main dialog dispatches to them.
#pragma once

#include "platform/win32.h"

void StartPlayback();
void StopOrFinish();
MMRESULT RequestStop();
void OnBufferDone(WAVEHDR* header);
// Returns TRUE when the scroll code is one the slider handles (0 to 7).
BOOL OnSliderScroll(int scrollCode);
// The format has been recomputed: restart in the new format if playing.
void OnFormatChanged();
