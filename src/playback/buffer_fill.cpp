// Reading the data region into the two buffers and handing them to the device.
#include <algorithm>

#include "core/error_info.h"
#include "core/source_file.h"
#include "playback/playback_internal.h"
#include "playback/playback_state.h"

int FillBuffer(WAVEHDR* header)
{
    const uint64_t end = DataEnd();
    if (PlaybackState.readPos >= end) {
        return 0; // nothing is left to play
    }
    // Past 4 GiB the offset has a high half; a low half of 0xFFFFFFFF is then a real
    // position, told from a failure by the last error.
    const uint64_t offset = HeaderRegionSize + PlaybackState.readPos;
    LONG high = static_cast<LONG>(static_cast<uint32_t>(offset >> 32));
    SetLastError(NO_ERROR);
    if (SetFilePointer(SourceFile.handle, static_cast<LONG>(static_cast<uint32_t>(offset)), &high,
                       FILE_BEGIN) == INVALID_SET_FILE_POINTER &&
        GetLastError() != NO_ERROR) {
        ReportFailure(ErrorKindSystem, GetLastError(), "SetFilePointer");
        return 0;
    }
    const uint64_t left = end - PlaybackState.readPos;
    const auto count = static_cast<uint32_t>(std::min<uint64_t>(left, PlaybackState.bufferSize));
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
    PlaybackState.writtenBytes += count;
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
