// The format suggestion on generated edge cases, the windows it reads, and the envelope.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/data_windows.h"
#include "core/envelope.h"
#include "core/format_suggestion.h"
#include "core/source_file.h"
#include "platform/testing/seams.h"
#include "samplegen/samplegen.h"
#include "support/temp_dir.h"

namespace {

using Bytes = std::vector<unsigned char>;

// The windows the reader would take of `data`, as views into it.
std::vector<DataWindow> WindowsOf(const Bytes& data)
{
    uint64_t offsets[DataWindowCount];
    uint32_t sizes[DataWindowCount];
    const int count = PlanDataWindows(data.size(), offsets, sizes);
    std::vector<DataWindow> windows;
    for (int i = 0; i < count; ++i) {
        windows.push_back({offsets[i], sizes[i], data.data() + offsets[i]});
    }
    return windows;
}

Bytes Tune(int bits, int channels, double seconds = 4.0)
{
    SampleSpec spec;
    spec.bits = bits;
    spec.channels = channels;
    spec.seconds = seconds;
    Bytes pcm = MakeTunePcm(spec);
    pcm.resize(pcm.size() - pcm.size() % 4);
    return pcm;
}

// A mono recording written to both channels of every frame.
Bytes BothChannels(const Bytes& mono, int bits)
{
    const size_t width = static_cast<size_t>(bits / 8);
    Bytes stereo;
    for (size_t i = 0; i + width <= mono.size(); i += width) {
        for (int copy = 0; copy < 2; ++copy) {
            stereo.insert(stereo.end(), mono.begin() + i, mono.begin() + i + width);
        }
    }
    return stereo;
}

Bytes Repeat(const Bytes& pattern, size_t size)
{
    Bytes data(size);
    for (size_t i = 0; i < size; ++i) {
        data[i] = pattern[i % pattern.size()];
    }
    return data;
}

// Full-scale square waves: 441 frames high, 441 low.
Bytes Square(int bits)
{
    Bytes period;
    for (int f = 0; f < 882; ++f) {
        const bool high = f < 441;
        for (int ch = 0; ch < 2; ++ch) {
            if (bits == 8) {
                period.push_back(high ? 0xFF : 0x00);
            } else {
                period.push_back(high ? 0xFF : 0x01); // 32767 and -32767
                period.push_back(high ? 0x7F : 0x80);
            }
        }
    }
    return Repeat(period, 1 << 20);
}

Bytes Noise()
{
    std::mt19937 random(12);
    Bytes data(1 << 20);
    for (unsigned char& b : data) {
        b = static_cast<unsigned char>(random());
    }
    return data;
}

Bytes Ramp() // what TempDir::makeFile writes, which many tests open
{
    Bytes data(1 << 20);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<unsigned char>((i * 7 + 3) & 0xFF);
    }
    return data;
}

} // namespace

TEST(FormatSuggestion, GeneratedCases)
{
    const Bytes shortTune = Tune(16, 2, 0.2);
    struct Case {
        const char* name;
        Bytes data;
        uint16_t bits;
        uint16_t channels;
    };
    const Case cases[] = {
        {"tune 8 bit mono", Tune(8, 1), 8, 1},
        {"tune 8 bit stereo", Tune(8, 2), 8, 2},
        {"tune 16 bit mono", Tune(16, 1), 16, 1},
        {"tune 16 bit stereo", Tune(16, 2), 16, 2},
        // A mono recording made as stereo: frames whose two samples are always equal. Read as
        // mono it would play at half speed; the same bytes would only be mono if every sample
        // came twice, which no recorder writes. Stereo, with the width found.
        {"identical channels 16 bit", BothChannels(Tune(16, 1), 16), 16, 2},
        {"identical channels 8 bit", BothChannels(Tune(8, 1), 8), 8, 2},
        {"silence 16 bit", Bytes(1 << 20, 0x00), 0, 0},
        {"silence 8 bit", Bytes(1 << 20, 0x80), 0, 0},
        {"constant", Bytes(1 << 20, 0x37), 0, 0},
        {"full-scale square 16 bit", Square(16), 0, 0},
        {"full-scale square 8 bit", Square(8), 0, 0},
        {"white noise", Noise(), 0, 0},
        {"byte ramp", Ramp(), 0, 0},
        {"shorter than one window",
         Bytes(shortTune.begin() + 8192, shortTune.begin() + 8192 + 4092), 0, 0},
        {"one window", Bytes(shortTune.begin() + 8192, shortTune.begin() + 8192 + 4096), 16, 2},
    };
    for (const Case& c : cases) {
        const std::vector<DataWindow> windows = WindowsOf(c.data);
        const FormatSuggestion s = SuggestFormat(windows.data(), static_cast<int>(windows.size()));
        EXPECT_EQ(s.bits, c.bits) << c.name;
        EXPECT_EQ(s.channels, c.channels) << c.name;
    }
}

TEST(FormatSuggestion, WindowsStayBoundedAndFrameAligned)
{
    // Past 4 GiB too: the windows span the whole recording, as playback does.
    for (uint64_t length : {4ull, 4096ull, 4100ull, 1ull << 20, (1ull << 20) + 4, 1ull << 30,
                            0xFFFFFFFCull - 44, 34359738188ull}) {
        uint64_t offsets[DataWindowCount];
        uint32_t sizes[DataWindowCount];
        const int count = PlanDataWindows(length, offsets, sizes);
        ASSERT_GE(count, 1) << length;
        ASSERT_LE(count, DataWindowCount) << length;
        uint64_t total = 0;
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(offsets[i] % 4, 0u) << length;
            EXPECT_EQ(sizes[i] % 4, 0u) << length;
            EXPECT_LE(static_cast<uint64_t>(offsets[i]) + sizes[i], length) << length;
            if (i > 0) {
                EXPECT_GT(offsets[i], offsets[i - 1]) << length;
            }
            total += sizes[i];
        }
        // A small region is read whole; a large one never beyond the windows' budget, spread
        // from its start to its end.
        if (length <= DataWindowCount * DataWindowSize) {
            EXPECT_EQ(total, length);
        } else {
            EXPECT_EQ(offsets[0], 0u);
            EXPECT_GE(offsets[count - 1] + sizes[count - 1] + 2 * 4096ull, length);
        }
    }
}

TEST(FormatSuggestion, ReaderKeepsTheFileBytesOrNothing)
{
    TempDir temp;
    const Bytes data = Repeat(Tune(16, 2, 1.0), 3u << 20);
    const std::string path = temp.file("rec.tmp");
    std::ofstream(path, std::ios::binary)
        .write(std::string(HeaderRegionSize, '\0').append(data.begin(), data.end()).data(),
               static_cast<std::streamsize>(HeaderRegionSize + data.size()));
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const uint32_t length = HeaderRegionSize + static_cast<uint32_t>(data.size());
    ASSERT_TRUE(ReadDataWindows(file, length));
    ASSERT_EQ(DataWindows.count, DataWindowCount);
    for (int i = 0; i < DataWindows.count; ++i) {
        const DataWindow& w = DataWindows.windows[i];
        ASSERT_TRUE(std::equal(w.bytes, w.bytes + w.size, data.begin() + w.offset)) << i;
    }
    // A read that fails half-way leaves no windows, so no suggestion is made of them.
    FaultInject("ReadFile", 100, ERROR_READ_FAULT);
    EXPECT_FALSE(ReadDataWindows(file, length));
    EXPECT_EQ(DataWindows.count, 0);
    FaultClearAll();
    CloseHandle(file);
}

TEST(FormatSuggestion, EnvelopeMatchesAnIndependentReading)
{
    // 1.5 s fits the windows whole, so every column sees all of its samples; 12 s does not,
    // so each column sees a part of its samples, inside their true bounds.
    for (double seconds : {1.5, 12.0}) {
        const Bytes data = Tune(16, 2, seconds);
        const std::vector<DataWindow> windows = WindowsOf(data);
        const bool whole = data.size() <= DataWindowCount * DataWindowSize;
        const int columns = 300;
        std::vector<EnvelopeColumn> first;
        for (int bits : {16, 8}) {
            for (int channels : {2, 1}) {
                std::vector<EnvelopeColumn> drawn(columns);
                BuildEnvelope(windows.data(), static_cast<int>(windows.size()),
                              static_cast<uint32_t>(data.size()), bits, channels, drawn.data(),
                              columns);
                const size_t width = static_cast<size_t>(bits / 8);
                const size_t frame = width * channels;
                for (int c = 0; c < columns; ++c) {
                    const size_t from = data.size() * c / columns;
                    const size_t to = data.size() * (c + 1) / columns;
                    for (int ch = 0; ch < channels; ++ch) {
                        int low = 32767;
                        int high = -32768;
                        for (size_t at = (from + frame - 1) / frame * frame; at < to; at += frame) {
                            const unsigned char* p = data.data() + at + ch * width;
                            const int v = bits == 8 ? (p[0] - 128) * 256
                                                    : static_cast<int16_t>(p[0] | p[1] << 8);
                            low = std::min(low, v);
                            high = std::max(high, v);
                        }
                        ASSERT_FALSE(drawn[c].empty);
                        if (whole) {
                            EXPECT_EQ(drawn[c].low[ch], low) << bits << " " << channels << " " << c;
                            EXPECT_EQ(drawn[c].high[ch], high)
                                << bits << " " << channels << " " << c;
                        } else {
                            EXPECT_LE(drawn[c].high[ch], high) << c;
                            EXPECT_GE(drawn[c].low[ch], low) << c;
                            EXPECT_LE(drawn[c].low[ch], drawn[c].high[ch]) << c;
                        }
                    }
                }
                if (first.empty()) {
                    first = drawn;
                } else {
                    // Another format reads other samples: the picture changes.
                    EXPECT_FALSE(std::equal(first.begin(), first.end(), drawn.begin(),
                                            [](const EnvelopeColumn& a, const EnvelopeColumn& b) {
                                                return a.low[0] == b.low[0] &&
                                                       a.high[0] == b.high[0];
                                            }))
                        << bits << " " << channels;
                }
            }
        }
    }
    EnvelopeColumn none[4];
    BuildEnvelope(nullptr, 0, 0, 16, 2, none, 4);
    EXPECT_TRUE(none[0].empty && none[3].empty);
}
