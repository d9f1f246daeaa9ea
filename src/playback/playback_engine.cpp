// The double-buffered playback engine: two one-second buffers go round between the file
// and the wave-out device. Every stop has two phases: the reset, then, when the last
// buffer is back, whatever the stop was for.
#include "playback/playback_engine.h"

#include <cstdlib>
#include <cstring>

#include "core/app_state.h"
#include "core/error_info.h"
#include "core/resource_ids.h"
#include "core/wave_format.h"
#include "playback/playback_internal.h"
#include "playback/playback_state.h"

namespace {

// The play/stop pair: the enabled one of the two takes the focus if the other had it.
void SwapButtons(int toDisable, int toEnable)
{
    HWND off = GetDlgItem(MainDialogWindow, toDisable);
    HWND on = GetDlgItem(MainDialogWindow, toEnable);
    const bool hadFocus = GetFocus() == off;
    EnableWindow(off, FALSE);
    EnableWindow(on, TRUE);
    if (hadFocus) {
        SetFocus(on);
    }
}

// Allocates and prepares one header: false (the failure shown) if either fails.
bool PrepareBuffer(WAVEHDR* header)
{
    header->lpData = static_cast<LPSTR>(malloc(PlaybackState.bufferSize));
    if (header->lpData == nullptr) {
        SetLastError(ERROR_OUTOFMEMORY);
        ReportFailure(ErrorKindSystem, GetLastError(), "malloc");
        return false;
    }
    header->dwBufferLength = PlaybackState.bufferSize;
    const MMRESULT prepared = waveOutPrepareHeader(PlaybackState.device, header, sizeof(WAVEHDR));
    if (prepared != MMSYSERR_NOERROR) {
        ReportFailure(ErrorKindMultimedia, prepared, "waveOutPrepareHeader");
        return false;
    }
    return true;
}

// Nothing is outstanding any more: act on the reason for the stop, in this order. After a
// buffer that played to its end (`played`) the device still holds the end of the sound.
void AfterLastBuffer(bool played)
{
    if (PlaybackState.formatChangePending != 0) {
        PlaybackState.formatChangePending = 0;
        CloseDevice();
        StartPlayback();
        return;
    }
    if (PlaybackState.seekPending != 0) {
        PlaybackState.seekPending = 0;
        if (QueueBuffers() == 0) {
            StopOrFinish();
        }
        return;
    }
    if (played) {
        FinishWhenPlayed();
        return;
    }
    FinishPlayback();
}

} // namespace

void FinishPlayback()
{
    EndFinishWait();
    StopOrFinish();
    if (PendingCommand != 0) {
        PostMessageA(MainDialogWindow, WM_COMMAND, PendingCommand, 0);
    }
}

void ReportFailure(int32_t kind, uint32_t code, const char* operation)
{
    ErrorInfo error;
    Fill(&error, kind, code, operation, nullptr);
    ShowError(&error);
}

void StartPlayback()
{
    const MMRESULT opened =
        waveOutOpen(&PlaybackState.device, WAVE_MAPPER, &CurrentFormat,
                    reinterpret_cast<DWORD_PTR>(MainDialogWindow), 0, CALLBACK_WINDOW);
    if (opened != MMSYSERR_NOERROR) {
        ReportFailure(ErrorKindMultimedia, opened, "waveOutOpen");
        PlaybackState.device = nullptr;
        StopOrFinish();
        return;
    }
    PlaybackState.writtenBytes = 0;
    memset(PlaybackState.headers, 0, sizeof PlaybackState.headers);
    PlaybackState.bufferSize = CurrentFormat.nAvgBytesPerSec;
    for (WAVEHDR& header : PlaybackState.headers) {
        if (!PrepareBuffer(&header)) {
            StopOrFinish();
            return;
        }
    }
    PlaybackState.readPos = AlignDown(PlaybackState.playedPos);
    if (PlaybackState.readPos >= DataEnd()) {
        PlaybackState.readPos = 0;
        PlaybackState.playedPos = 0;
        ShowPlayedOnSlider();
    }
    if (QueueBuffers() == 0) {
        StopOrFinish();
        return;
    }
    // A failure box about the second buffer lets completions run meanwhile; if they have
    // already finished playback, the buttons are idle and must stay so.
    if (PlaybackState.device != nullptr) {
        SwapButtons(IDC_PLAY, IDC_STOP);
    }
}

MMRESULT RequestStop()
{
    PlaybackState.resetting = 1;
    // At the end of the sound no buffer is out to come back: the wait's timers stop first,
    // so that a failure box below cannot let them finish playback under this stop.
    const bool atTheEnd = PlaybackState.finishing != 0;
    EndFinishWait();
    const MMRESULT reset = waveOutReset(PlaybackState.device);
    if (reset == MMSYSERR_NOERROR) {
        PlaybackState.writtenBytes = 0; // the device's position starts again at 0
    } else {
        // The queued buffers play out and drain the same way, up to two seconds later.
        ReportFailure(ErrorKindMultimedia, reset, "waveOutReset");
    }
    // There the stop is acted on now; the reset has cut off what the device still held.
    if (atTheEnd) {
        PlaybackState.resetting = 0;
        if (PlaybackState.device != nullptr) {
            AfterLastBuffer(false);
        }
    }
    return reset;
}

void StopOrFinish()
{
    if (PlaybackState.outstanding > 0 || PlaybackState.finishing != 0) {
        RequestStop();
        return;
    }
    CloseDevice();
    SwapButtons(IDC_STOP, IDC_PLAY);
}

void CloseDevice()
{
    EndFinishWait();
    if (PlaybackState.device == nullptr) {
        return;
    }
    ErrorInfo error;
    ResetErrorInfo(&error);
    for (WAVEHDR& header : PlaybackState.headers) {
        const MMRESULT unprepared =
            waveOutUnprepareHeader(PlaybackState.device, &header, sizeof(WAVEHDR));
        if (unprepared != MMSYSERR_NOERROR) {
            // Not shown: the buffer is freed all the same and the close goes on.
            Fill(&error, ErrorKindMultimedia, unprepared, "waveOutUnprepareHeader", nullptr);
        }
        free(header.lpData);
    }
    const MMRESULT closed = waveOutClose(PlaybackState.device);
    PlaybackState.device = nullptr;
    if (closed != MMSYSERR_NOERROR) {
        ReportFailure(ErrorKindMultimedia, closed, "waveOutClose");
    }
}

void OnBufferDone(WAVEHDR* header)
{
    PlaybackState.outstanding -= 1;
    if (PlaybackState.resetting != 0) {
        if (PlaybackState.outstanding != 0) {
            return; // more buffers are to come back
        }
        PlaybackState.resetting = 0;
        AfterLastBuffer(false);
        return;
    }
    PlaybackState.playedPos += header->dwBufferLength;
    if (PlaybackState.dragging == 0) {
        ShowPlayedOnSlider();
    }
    FillBuffer(header);
    // Read afresh: a failure box in the refill lets the other buffer's completion run.
    if (PlaybackState.outstanding > 0) {
        return;
    }
    AfterLastBuffer(true);
}

void OnFormatChanged()
{
    if (!IsPlaying()) {
        return;
    }
    if (PlaybackState.finishing != 0) {
        // The whole recording has been played: only the device's last moment is cut off,
        // rather than the recording starting over in the new format.
        RequestStop();
        return;
    }
    PlaybackState.formatChangePending = 1;
    PlaybackState.readPos = AlignDown(PlaybackState.playedPos);
    RequestStop();
}

// A seek is the engine's: the slider mapping only turns the thumb into positions.
namespace {
void SeekFromSlider()
{
    PositionsFromSlider();
    if (PlaybackState.device != nullptr) {
        PlaybackState.seekPending = 1;
        RequestStop();
    }
}
} // namespace

BOOL OnSliderScroll(int scrollCode)
{
    switch (scrollCode) {
    case TB_LINEUP:
    case TB_LINEDOWN:
    case TB_PAGEUP:
    case TB_PAGEDOWN:
    case TB_TOP:
    case TB_BOTTOM:
        SeekFromSlider();
        return TRUE;
    case TB_THUMBPOSITION:
        PlaybackState.dragging = 0;
        SeekFromSlider();
        return TRUE;
    case TB_THUMBTRACK:
        // No seek while the thumb moves: only its release says where to go.
        PlaybackState.dragging = 1;
        return TRUE;
    default:
        return FALSE;
    }
}
