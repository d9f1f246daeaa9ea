#include <algorithm>
#include <cstring>

#include "core/resource_ids.h"
#include "core/source_file.h"
#include "core/wav_header.h"
#include "save/save_as.h"
#include "save/save_support.h"

namespace {

// Tells the dialog the copy's position without waiting for it: the position is stored, and a
// message posted only when the dialog has handled the one before, so its queue never fills
// with progress and the copy never waits for the dialog thread's wake-up. A failed post
// stops nothing (the bar is only a display); the next chunk tries again.
void PublishProgress(HWND dialog, uint32_t position)
{
    CopyProgressPosition.store(position);
    if (CopyProgressPosted.exchange(1) == 0 && !PostMessageA(dialog, WM_COPY_PROGRESS, 0, 0)) {
        CopyProgressPosted.store(0);
    }
}

DWORD EndCopy(HWND dialog, INT_PTR result)
{
    EndDialog(dialog, result);
    return 0;
}

DWORD FailCopy(HWND dialog, const char* operation)
{
    ReportFailure(operation);
    return EndCopy(dialog, 1);
}

// The target's header at the start of `buffer`; returns its size.
uint32_t PutHeader(unsigned char* buffer)
{
    if (CopyKeepsWhole != 0) {
        Rf64Header header;
        BuildRf64Header(&header);
        memcpy(buffer, header.bytes, Rf64HeaderSize);
        return Rf64HeaderSize;
    }
    WavHeader header;
    BuildWavHeader(&header);
    memcpy(buffer, header.bytes, WavHeaderSize);
    return WavHeaderSize;
}

} // namespace

DWORD CopyWorker(LPVOID parameter)
{
    HWND dialog = static_cast<HWND>(parameter);
    const uint64_t sourceLength =
        CopyKeepsWhole != 0 ? SourceFile.wholeLength : SourceFile.effectiveLength;
    const uint32_t rangeHigh = CopyProgressRangeHigh();

    unsigned char buffer[CopyChunkSize];
    // The source is read on from the data's start, whatever the header's size.
    const uint32_t headerSize = PutHeader(buffer);
    const uint64_t length = headerSize + (sourceLength - HeaderRegionSize); // of the target
    uint32_t chunks = 0;
    uint64_t offset = 0; // of the next chunk in the target
    for (;;) {
        if (CopyCancelFlag.load() == 1) {
            return EndCopy(dialog, 1);
        }
        if (offset >= length) {
            CopyDoneFlag.store(1);
            return EndCopy(dialog, 0);
        }
        const uint64_t end = std::min<uint64_t>(offset + CopyChunkSize, length);
        uint64_t dataStart = offset;
        if (offset == 0) {
            dataStart = headerSize; // the header is in the buffer already
        }
        const DWORD toRead = static_cast<DWORD>(end - dataStart);
        DWORD read = 0;
        if (!ReadFile(SourceFile.handle, buffer + (dataStart - offset), toRead, &read, nullptr)) {
            return FailCopy(dialog, "ReadFile");
        }
        if (read != toRead) {
            // Someone else shortened the file: say so rather than "success".
            SetLastError(ERROR_HANDLE_EOF);
            return FailCopy(dialog, "ReadFile");
        }
        DWORD written = 0;
        if (!WriteFile(CopyTargetHandle, buffer, static_cast<DWORD>(end - offset), &written,
                       nullptr)) {
            return FailCopy(dialog, "WriteFile");
        }
        offset = end;
        ++chunks;
        const bool last = offset >= length;
        // The target is written sequentially, so its data goes to the disk as the copy goes
        // and the writes keep to the disk's pace (a Cancel is answered between chunks even
        // on a slow disk). Complete means on the disk: a late write error comes out here.
        if (last && !FlushFileBuffers(CopyTargetHandle)) {
            return FailCopy(dialog, "WriteFile");
        }
        // The first chunk holds the header too, so there can be one chunk more than the
        // bar has steps; the bar stops at its end. The last position is published before
        // the dialog is ended, and the dialog's queue delivers it first.
        PublishProgress(dialog, std::min(chunks, rangeHigh));
    }
}
