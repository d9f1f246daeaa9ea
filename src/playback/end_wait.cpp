// The natural end of playback. A buffer that comes back has been taken by the device, not
// yet heard: the mixer below may still hold its end, and closing the device then cuts
// that off. So the device closes only once its position has reached the bytes written,
// asked at the pace of the dialog's loop, and a short settling time after that, because a
// position counts what the device's own mixer has taken and a sound server below it may
// hold a few milliseconds more (under Wine the position reaches the end with the last
// buffer, and closing then lost up to 8 ms in half of the runs). A bound ends the wait in
// any case, so that a device that never reports cannot hold the program. Stopping stays
// immediate.
#include <algorithm>

#include "core/app_state.h"
#include "core/wave_format.h"
#include "playback/playback_engine.h"
#include "playback/playback_internal.h"
#include "playback/playback_state.h"

namespace {

constexpr UINT PollMilliseconds = 10;
constexpr UINT SettleMilliseconds = 50;
// What the device holds at the last buffer's return, and the settling time, are its
// latency; the bound gives it this much more, and never more than the ceiling in all.
constexpr uint64_t MarginMilliseconds = 100;
constexpr uint64_t CeilingMilliseconds = 500;

// The wait's two phases (PlaybackState.finishing).
constexpr uint32_t WaitingForPosition = 1;
constexpr uint32_t Settling = 2;

// How many of the bytes written the device has still to play; false when it cannot say.
bool BytesLeftToPlay(uint32_t* left)
{
    MMTIME time = {};
    time.wType = TIME_BYTES;
    const MMRESULT asked = waveOutGetPosition(PlaybackState.device, &time, sizeof time);
    if (asked != MMSYSERR_NOERROR) {
        return false; // not shown: the bound ends the wait all the same
    }
    uint32_t position = 0;
    if (time.wType == TIME_BYTES) {
        position = time.u.cb;
    } else if (time.wType == TIME_SAMPLES) {
        position = time.u.sample * CurrentFormat.nBlockAlign;
    } else {
        return false;
    }
    // Both counts wrap at 2^32; what is left is never near 2^31, so a difference past that
    // is a position beyond the bytes written.
    const uint32_t difference = static_cast<uint32_t>(PlaybackState.writtenBytes) - position;
    *left = difference > 0x80000000u ? 0 : difference;
    return true;
}

uint64_t BoundMilliseconds(bool known, uint32_t left)
{
    if (!known) {
        return CeilingMilliseconds;
    }
    const uint64_t rate = std::max<uint64_t>(CurrentFormat.nAvgBytesPerSec, 1);
    return std::min(CeilingMilliseconds,
                    left * 1000 / rate + SettleMilliseconds + MarginMilliseconds);
}

// The poll timer ticks again after the settling time, and then the device closes.
void StartSettling()
{
    PlaybackState.finishing = Settling;
    if (SetTimer(MainDialogWindow, PlaybackPollTimer, SettleMilliseconds, nullptr) == 0) {
        FinishPlayback(); // without its timer the wait could not end
    }
}

} // namespace

void FinishWhenPlayed()
{
    uint32_t left = 0;
    const bool known = BytesLeftToPlay(&left);
    const auto bound = static_cast<UINT>(BoundMilliseconds(known, left));
    PlaybackState.finishing = WaitingForPosition;
    if (SetTimer(MainDialogWindow, PlaybackBoundTimer, bound, nullptr) == 0) {
        // Without its timers the wait could not end: close now, as before the wait.
        FinishPlayback();
        return;
    }
    if (known && left == 0) {
        StartSettling();
        return;
    }
    if (SetTimer(MainDialogWindow, PlaybackPollTimer, PollMilliseconds, nullptr) == 0) {
        FinishPlayback();
    }
}

void EndFinishWait()
{
    if (PlaybackState.finishing == 0) {
        return;
    }
    PlaybackState.finishing = 0;
    // A timer that is not there (its SetTimer failed) has nothing to stop.
    if (!KillTimer(MainDialogWindow, PlaybackPollTimer)) {
        SetLastError(NO_ERROR);
    }
    if (!KillTimer(MainDialogWindow, PlaybackBoundTimer)) {
        SetLastError(NO_ERROR);
    }
}

BOOL OnPlaybackTimer(UINT_PTR id)
{
    if (id != PlaybackPollTimer && id != PlaybackBoundTimer) {
        return FALSE;
    }
    if (PlaybackState.finishing == 0) {
        return TRUE; // a tick queued before the wait ended
    }
    if (id == PlaybackBoundTimer || PlaybackState.finishing == Settling) {
        FinishPlayback();
        return TRUE;
    }
    uint32_t left = 0;
    if (BytesLeftToPlay(&left) && left == 0) {
        StartSettling();
    }
    return TRUE;
}
