#include "core/data_windows.h"

#include "core/source_file.h"

DataWindowsRecord DataWindows = {};

namespace {

// Kept for as long as the file is open; a static block, so opening allocates nothing.
unsigned char WindowBytes[DataWindowCount][DataWindowSize];

constexpr uint32_t PageSize = 4096;

// The data offset at or before `raw` (at least 4052) that starts a page of the file.
uint64_t OnPage(uint64_t raw)
{
    return (raw + HeaderRegionSize) / PageSize * PageSize - HeaderRegionSize;
}

} // namespace

int PlanDataWindows(uint64_t dataLength, uint64_t* offsets, uint32_t* sizes)
{
    const uint64_t whole = static_cast<uint64_t>(DataWindowCount) * DataWindowSize;
    if (dataLength <= whole) {
        int count = 0;
        for (uint32_t offset = 0; offset < dataLength; offset += DataWindowSize) {
            offsets[count] = offset;
            sizes[count] = dataLength - offset < DataWindowSize
                               ? static_cast<uint32_t>(dataLength - offset)
                               : DataWindowSize;
            ++count;
        }
        return count;
    }
    // In each quarter of the region, first a run of windows that follow each other, a
    // stretch of sound long enough to tell a tone's frequency, then the rest of its windows
    // spaced more than a window apart up to the quarter's end. A window that starts on a page
    // of the file costs one page when the cache is cold; the header region puts that 44 bytes
    // before the page in data offsets, still a multiple of 4, so a window may overlap the one
    // before it by those 44 bytes.
    const int perPart = DataWindowCount / DataWindowRuns;
    const int spaced = perPart - DataWindowRunLength;
    int i = 0;
    for (int part = 0; part < DataWindowRuns; ++part) {
        const uint64_t partStart = dataLength * part / DataWindowRuns;
        const uint64_t partEnd = dataLength * (part + 1) / DataWindowRuns;
        const uint64_t runStart = part == 0 ? 0 : OnPage(partStart);
        for (int k = 0; k < DataWindowRunLength; ++k) {
            offsets[i] = runStart + static_cast<uint64_t>(k) * DataWindowSize;
            sizes[i++] = DataWindowSize;
        }
        const uint64_t from =
            runStart + static_cast<uint64_t>(DataWindowRunLength) * DataWindowSize;
        const uint64_t span = partEnd - DataWindowSize - from;
        for (int k = 0; k < spaced; ++k) {
            offsets[i] = OnPage(from + span * static_cast<uint64_t>(k) / (spaced - 1));
            sizes[i++] = DataWindowSize;
        }
    }
    return DataWindowCount;
}

bool ReadDataWindows(HANDLE file, uint64_t length)
{
    ForgetDataWindows();
    if (length < HeaderRegionSize) {
        return false;
    }
    uint64_t offsets[DataWindowCount];
    uint32_t sizes[DataWindowCount];
    const uint64_t dataLength = length - HeaderRegionSize;
    const int count = PlanDataWindows(dataLength, offsets, sizes);
    for (int i = 0; i < count; ++i) {
        // With a high half a low half of 0xFFFFFFFF is a position; the last error tells.
        const uint64_t at = HeaderRegionSize + offsets[i];
        LONG high = static_cast<LONG>(static_cast<uint32_t>(at >> 32));
        SetLastError(NO_ERROR);
        if (SetFilePointer(file, static_cast<LONG>(static_cast<uint32_t>(at)), &high, FILE_BEGIN) ==
                INVALID_SET_FILE_POINTER &&
            GetLastError() != NO_ERROR) {
            return false;
        }
        DWORD read = 0;
        if (!ReadFile(file, WindowBytes[i], sizes[i], &read, nullptr) || read != sizes[i]) {
            // A file cut by another process reads short: a part-filled window would be
            // judged on stale bytes, so nothing is kept.
            return false;
        }
    }
    for (int i = 0; i < count; ++i) {
        DataWindows.windows[i] = {offsets[i], sizes[i], WindowBytes[i]};
    }
    DataWindows.dataLength = dataLength;
    DataWindows.count = count;
    return true;
}

void ForgetDataWindows()
{
    DataWindows.dataLength = 0;
    DataWindows.count = 0;
}
