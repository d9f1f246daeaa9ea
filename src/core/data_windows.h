// Small windows of the data region, spread over it, read once when a file opens and kept
// while it stays open: the format suggestion and the waveform overview work from them, so
// neither reads the file again (nor while sound plays), whatever the file's size.
#pragma once

#include <cstdint>

#include "platform/win32.h"

constexpr uint32_t DataWindowSize = 4096;
// Spread over the data from its start to its end.
constexpr int DataWindowSpaced = 256;
// Besides those, in a region larger than all of them cover, runs of so many windows that
// follow each other: one at the start of each quarter of the region.
constexpr int DataWindowRuns = 4;
constexpr int DataWindowRunLength = 8;
constexpr int DataWindowCount = DataWindowSpaced + DataWindowRuns * DataWindowRunLength;

// One window: `size` bytes (a multiple of 4) from data offset `offset` (a multiple of 4, so
// every window starts on a frame of every format).
struct DataWindow {
    uint64_t offset; // past 4 GiB too: the windows span the whole recording
    uint32_t size;
    const unsigned char* bytes;
};

struct DataWindowsRecord {
    uint64_t dataLength; // bytes of the data region the windows were spread over
    int count;           // 0 when none were read
    DataWindow windows[DataWindowCount];
};

extern DataWindowsRecord DataWindows;

// Where the windows go in a data region of `dataLength` bytes (a multiple of 4): the whole
// region when it fits, otherwise DataWindowCount windows in order of offset: the spaced ones
// from its start to its end, each starting on a page of the file, and the runs. Fills
// offsets and sizes; returns the count.
int PlanDataWindows(uint64_t dataLength, uint64_t* offsets, uint32_t* sizes);

// Reads the windows of the open file through `file`. The suggestion they serve is optional,
// so a failing read is not reported: it leaves no windows and returns false.
// `length`: the bytes in use, header region included (the whole length, as playback has it).
bool ReadDataWindows(HANDLE file, uint64_t length);
void ForgetDataWindows();
