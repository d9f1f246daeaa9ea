// Small windows of the data region, spread over it, read once when a file opens and kept
// while it stays open: the format suggestion and the waveform overview work from them, so
// neither reads the file again (nor while sound plays), whatever the file's size.
#pragma once

#include <cstdint>

#include "platform/win32.h"

constexpr uint32_t DataWindowSize = 4096;
constexpr int DataWindowCount = 256;

// One window: `size` bytes (a multiple of 4) from data offset `offset` (a multiple of 4, so
// every window starts on a frame of every format).
struct DataWindow {
    uint32_t offset;
    uint32_t size;
    const unsigned char* bytes;
};

struct DataWindowsRecord {
    uint32_t dataLength; // bytes of the data region the windows were spread over
    int count;           // 0 when none were read
    DataWindow windows[DataWindowCount];
};

extern DataWindowsRecord DataWindows;

// Where the windows go in a data region of `dataLength` bytes (a multiple of 4): the whole
// region when it fits, otherwise DataWindowCount windows from its start to its end, each
// starting on a page of the file. Fills offsets and sizes; returns the count.
int PlanDataWindows(uint32_t dataLength, uint32_t* offsets, uint32_t* sizes);

// Reads the windows of the open file through `file`. The suggestion they serve is optional,
// so a failing read is not reported: it leaves no windows and returns false.
bool ReadDataWindows(HANDLE file, uint32_t effectiveLength);
void ForgetDataWindows();
