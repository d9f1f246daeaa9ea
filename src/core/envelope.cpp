#include "core/envelope.h"

#include "core/pcm_frames.h"

void BuildEnvelope(const DataWindow* windows, int count, uint64_t dataLength, int bits,
                   int channels, EnvelopeColumn* columns, int columnCount)
{
    for (int c = 0; c < columnCount; ++c) {
        columns[c] = {{0, 0}, {0, 0}, true};
    }
    if (dataLength == 0 || columnCount <= 0) {
        return;
    }
    const uint32_t frameBytes = static_cast<uint32_t>(bits / 8 * channels);
    for (int w = 0; w < count; ++w) {
        const PcmFrames frames = FramesOf(windows[w], bits, channels);
        for (uint32_t f = 0; f < frames.frames; ++f) {
            const uint64_t offset = windows[w].offset + uint64_t{f} * frameBytes;
            EnvelopeColumn& column = columns[offset * columnCount / dataLength];
            for (int ch = 0; ch < channels; ++ch) {
                const int16_t sample = frames.Wide(f, ch);
                if (column.empty || sample < column.low[ch]) {
                    column.low[ch] = sample;
                }
                if (column.empty || sample > column.high[ch]) {
                    column.high[ch] = sample;
                }
            }
            column.empty = false;
        }
    }
    // Fill each column no window reached from the nearest one that a window reached,
    // the earlier one on a tie.
    int previous = -1;
    for (int c = 0; c < columnCount; ++c) {
        if (!columns[c].empty) {
            previous = c;
            continue;
        }
        int next = c + 1;
        while (next < columnCount && columns[next].empty) {
            ++next;
        }
        if (previous < 0 && next >= columnCount) {
            return; // no window at all
        }
        int nearest = next;
        if (previous >= 0 && (next >= columnCount || c - previous <= next - c)) {
            nearest = previous;
        }
        columns[c] = columns[nearest];
    }
}
