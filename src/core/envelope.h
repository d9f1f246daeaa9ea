// The waveform overview's picture: for each column across the strip, the least and the
// greatest sample of each channel, as the selected format reads the windows already read.
#pragma once

#include <cstdint>

#include "core/data_windows.h"

struct EnvelopeColumn {
    int16_t low[2]; // per channel (only the first for mono), on the 16-bit scale
    int16_t high[2];
    bool empty; // no data at all: drawn grey
};

// Column c covers the data offsets [c * dataLength / columns, (c + 1) * dataLength / columns).
// A column no window reaches takes the nearest column that one reaches. Pure: a format
// change draws again from the same windows without reading the file.
void BuildEnvelope(const DataWindow* windows, int count, uint64_t dataLength, int bits,
                   int channels, EnvelopeColumn* columns, int columnCount);
