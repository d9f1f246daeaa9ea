#include "core/data_windows.h"

#include "core/source_file.h"

DataWindowsRecord DataWindows = {};

namespace {

// Kept for as long as the file is open; a static block, so opening allocates nothing.
unsigned char WindowBytes[DataWindowCount][DataWindowSize];

constexpr uint32_t PageSize = 4096;

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
    // The spaced windows as they always were: from the data's start to its end, more than a
    // window apart, so each part of the waveform overview has its own. A window that starts
    // on a page of the file costs one page when the cache is cold; the header region puts
    // that 44 bytes before the page in data offsets, still a multiple of 4. The first starts
    // at the data's start, so the second may overlap it by those 44 bytes.
    uint64_t spacedOffsets[DataWindowSpaced];
    const uint64_t span = dataLength - DataWindowSize;
    for (int i = 0; i < DataWindowSpaced; ++i) {
        const uint64_t raw = span * static_cast<uint64_t>(i) / (DataWindowSpaced - 1);
        const uint64_t page = (raw + HeaderRegionSize) / PageSize * PageSize;
        spacedOffsets[i] = page >= HeaderRegionSize ? page - HeaderRegionSize : raw - raw % 4;
    }
    // Besides them, at the start of each quarter, a run of windows that follow each other: a
    // stretch of sound long enough to tell a tone's frequency. Half a page off the spaced
    // ones' places, so no two windows start at one offset; merged in order of offset.
    int spaced = 0;
    int count = 0;
    for (int run = 0; run <= DataWindowRuns; ++run) {
        const uint64_t runStart =
            run < DataWindowRuns
                ? dataLength * run / DataWindowRuns / PageSize * PageSize + PageSize / 2
                : dataLength;
        while (spaced < DataWindowSpaced && spacedOffsets[spaced] < runStart) {
            offsets[count++] = spacedOffsets[spaced++];
        }
        for (int k = 0; run < DataWindowRuns && k < DataWindowRunLength; ++k) {
            const uint64_t offset = runStart + static_cast<uint64_t>(k) * DataWindowSize;
            while (spaced < DataWindowSpaced && spacedOffsets[spaced] < offset) {
                offsets[count++] = spacedOffsets[spaced++];
            }
            offsets[count++] = offset;
        }
    }
    for (int i = 0; i < count; ++i) {
        sizes[i] = DataWindowSize;
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
