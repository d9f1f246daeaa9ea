#include <algorithm>
#include <cstring>

#include "core/resource_ids.h"
#include "core/source_file.h"
#include "core/wav_header.h"
#include "save/save_as.h"
#include "save/save_support.h"

namespace {

// Progress is posted, so a chunk costs no round trip to the dialog thread. Every so many
// chunks and after the last one the worker also waits for the dialog thread, so the dialog
// is never far behind: at most 1024 positions (64 MiB of copying) are queued, well within
// the 10,000 posted messages a Windows thread's queue holds. The waits are rare because
// each one costs the copy the time the system takes to wake the dialog thread, milliseconds
// on a busy machine. Every position is posted, the last one too: on Windows a sent message
// is handled before the posted ones still queued, so a sent last position would be
// overwritten by an older one and the bar would end short of its end.
constexpr uint32_t ChunksPerProgressWait = 1024;

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
    // The bar is only a display: a progress message that fails stops nothing. Positions
    // are set rather than stepped, so a lost or extra step cannot wrap the bar.
    HWND bar = nullptr;
    const uint64_t sourceLength =
        CopyKeepsWhole != 0 ? SourceFile.wholeLength : SourceFile.effectiveLength;
    const uint32_t rangeHigh = ProgressRangeHigh(sourceLength);

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
        if (chunks == 1) {
            // Asked only now (a wait for the dialog thread): the first chunk need not wait
            // for the dialog to come up.
            bar = GetDlgItem(dialog, IDC_SAVING_PROGRESS);
            PostMessageA(bar, PBM_SETRANGE32, 0, static_cast<LPARAM>(rangeHigh));
        }
        // The first chunk holds the header too, so there can be one chunk more than the
        // bar has steps; the bar stops at its end.
        const WPARAM position = std::min(chunks, rangeHigh);
        PostMessageA(bar, PBM_SETPOS, position, 0);
        if (last || chunks % ChunksPerProgressWait == 0) {
            SendMessageA(bar, PBM_GETPOS, 0, 0);
        }
    }
}
