// Sound output is not built yet: the commands say so instead of pretending to play, and
// since the device never opens, the stop and completion paths have nothing to act on.
#include "playback/playback_engine.h"

#include "core/error_info.h"
#include "core/resource_ids.h"
#include "core/wave_format.h"
#include "playback/playback_state.h"

void StartPlayback()
{
    Prompt(MB_ICONEXCLAMATION, IDS_NOT_AVAILABLE, "Playing");
}

void StopOrFinish()
{
}

MMRESULT RequestStop()
{
    return MMSYSERR_NOTSUPPORTED;
}

void OnBufferDone(WAVEHDR* header)
{
    (void)header;
}

BOOL OnSliderScroll(int scrollCode)
{
    return scrollCode >= TB_LINEUP && scrollCode <= TB_BOTTOM ? TRUE : FALSE;
}

void OnFormatChanged()
{
    if (!IsPlaying()) {
        return;
    }
    PlaybackState.formatChangePending = 1;
    const uint32_t align = CurrentFormat.nBlockAlign;
    PlaybackState.readPos = PlaybackState.playedPos - (PlaybackState.playedPos % align);
    RequestStop();
}
