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
// The timers of the end of playback: WM_TIMER with one of these identifiers goes to
// OnPlaybackTimer, which returns FALSE for any other.
constexpr UINT_PTR PlaybackPollTimer = 0x5101;
constexpr UINT_PTR PlaybackBoundTimer = 0x5102;
BOOL OnPlaybackTimer(UINT_PTR id);
