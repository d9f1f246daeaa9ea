// Reading the data region into the two buffers and handing them to the device.
#include "core/error_info.h"
#include "core/source_file.h"
#include "playback/playback_internal.h"
#include "playback/playback_state.h"

int FillBuffer(WAVEHDR* header)
{
    const uint32_t end = DataEnd();
    if (PlaybackState.readPos >= end) {
        return 0; // nothing is left to play
    }
    // A high part of 0 makes the low part unsigned: offsets past 2 GiB stay positive.
    LONG high = 0;
    const DWORD offset = HeaderRegionSize + PlaybackState.readPos;
    if (SetFilePointer(SourceFile.handle, static_cast<LONG>(offset), &high, FILE_BEGIN) ==
        INVALID_SET_FILE_POINTER) {
        ReportFailure(ErrorKindSystem, GetLastError(), "SetFilePointer");
        return 0;
    }
    const uint32_t left = end - PlaybackState.readPos;
    const uint32_t count = left < PlaybackState.bufferSize ? left : PlaybackState.bufferSize;
    header->dwBufferLength = count;
    header->dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
    DWORD read = 0;
    if (!ReadFile(SourceFile.handle, header->lpData, count, &read, nullptr)) {
        ReportFailure(ErrorKindSystem, GetLastError(), "ReadFile");
        return 0;
    }
    if (read != count) {
        // Another process has cut the file while it plays: what is missing would be the
        // buffer's stale bytes, which must never be played as data.
        ReportFailure(ErrorKindSystem, ERROR_HANDLE_EOF, "ReadFile");
        return 0;
    }
    const MMRESULT written = waveOutWrite(PlaybackState.device, header, sizeof(WAVEHDR));
    if (written != MMSYSERR_NOERROR) {
        ReportFailure(ErrorKindMultimedia, written, "waveOutWrite");
        return 0;
    }
    PlaybackState.readPos += count;
    PlaybackState.outstanding += 1;
    return 1;
}

int QueueBuffers()
{
    if (FillBuffer(&PlaybackState.headers[0]) == 0) {
        return 0;
    }
    FillBuffer(&PlaybackState.headers[1]);
    return 1;
}
