#include "core/envelope.h"

namespace {

int16_t SampleAt(const unsigned char* bytes, int bits)
{
    if (bits == 8) {
        return static_cast<int16_t>((bytes[0] - 128) * 256);
    }
    return static_cast<int16_t>(static_cast<uint16_t>(bytes[0] | bytes[1] << 8));
}

} // namespace

void BuildEnvelope(const DataWindow* windows, int count, uint64_t dataLength, int bits,
                   int channels, EnvelopeColumn* columns, int columnCount)
{
    for (int c = 0; c < columnCount; ++c) {
        columns[c] = {{0, 0}, {0, 0}, true};
    }
    if (dataLength == 0 || columnCount <= 0) {
        return;
    }
    const uint32_t sampleBytes = static_cast<uint32_t>(bits / 8);
    const uint32_t frameBytes = sampleBytes * static_cast<uint32_t>(channels);
    for (int w = 0; w < count; ++w) {
        const DataWindow& window = windows[w];
        for (uint32_t at = 0; at + frameBytes <= window.size; at += frameBytes) {
            const uint64_t offset = window.offset + at;
            EnvelopeColumn& column = columns[offset * columnCount / dataLength];
            for (int ch = 0; ch < channels; ++ch) {
                const int16_t sample = SampleAt(window.bytes + at + ch * sampleBytes, bits);
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
