// The format suggestion on generated edge cases, the windows it reads, and the envelope.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/data_windows.h"
#include "core/envelope.h"
#include "core/format_suggestion.h"
#include "core/pcm_frames.h"
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

// A recorder's noise floor: a few steps of noise under a mains hum (or, `tone` set, under a
// loud steady tone of that frequency with the same harmonics), `seconds` long at `rate`.
Bytes Hum(int rate, double mains, int bits, int channels, double seconds, double tone = 0)
{
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, bits == 8 ? 0.6 : 3);
    const double scale = bits == 8 ? 128 : 32768;
    const double level = tone > 0 ? 0.25 : 0.005;
    const double f = tone > 0 ? tone : mains;
    const double pi = 3.14159265358979;
    Bytes data;
    const int frames = static_cast<int>(seconds * rate);
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        // The harmonics of a buzzing transformer, up to the 6th.
        double hum = 0;
        const double harmonics[] = {1, 0.5, 0.6, 0.3, 0.25, 0.2};
        for (int k = 1; k <= 6; ++k) {
            hum += harmonics[k - 1] * std::sin(2 * pi * k * f * t + k);
        }
        hum *= level * scale;
        for (int c = 0; c < channels; ++c) {
            const int v = static_cast<int>(std::lround(hum * (c == 0 ? 1 : 0.8) + noise(random)));
            if (bits == 8) {
                data.push_back(static_cast<unsigned char>(std::clamp(v + 128, 0, 255)));
            } else {
                const int16_t sample = static_cast<int16_t>(std::clamp(v, -32768, 32767));
                data.push_back(static_cast<unsigned char>(sample & 0xFF));
                data.push_back(static_cast<unsigned char>((sample >> 8) & 0xFF));
            }
        }
    }
    data.resize(data.size() - data.size() % 4);
    return data;
}

// Noise of `steps` either side of silence: 8-bit bytes about 0x80, 16-bit samples about 0.
Bytes QuietNoise(int bits, int steps)
{
    std::mt19937 random(5);
    std::uniform_int_distribution<int> step(-steps, steps);
    Bytes data;
    while (data.size() < (1u << 20)) {
        const int v = step(random);
        if (bits == 8) {
            data.push_back(static_cast<unsigned char>(0x80 + v));
        } else {
            data.push_back(static_cast<unsigned char>(v & 0xFF));
            data.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
        }
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
        bool identical; // every pair of samples the same
        uint32_t rate;
    };
    const Case cases[] = {
        {"tune 8 bit mono", Tune(8, 1), 8, 1, false, 0},
        {"tune 8 bit stereo", Tune(8, 2), 8, 2, false, 0},
        {"tune 16 bit mono", Tune(16, 1), 16, 1, false, 0},
        {"tune 16 bit stereo", Tune(16, 2), 16, 2, false, 0},
        // A mono recording made as stereo: frames whose two samples are always equal. The same
        // bytes are mono at twice the rate with every sample repeated, and sound the same:
        // the width, and the pairs said to be identical, not a channel count.
        {"identical channels 16 bit", BothChannels(Tune(16, 1), 16), 16, 0, true, 0},
        {"identical channels 8 bit", BothChannels(Tune(8, 1), 8), 8, 0, true, 0},
        {"silence 16 bit", Bytes(1 << 20, 0x00), 0, 0, false, 0},
        {"silence 8 bit", Bytes(1 << 20, 0x80), 0, 0, false, 0},
        {"constant", Bytes(1 << 20, 0x37), 0, 0, false, 0},
        {"full-scale square 16 bit", Square(16), 0, 0, false, 0},
        {"full-scale square 8 bit", Square(8), 0, 0, false, 0},
        {"white noise", Noise(), 0, 0, false, 0},
        {"byte ramp", Ramp(), 0, 0, false, 0},
        {"shorter than one window",
         Bytes(shortTune.begin() + 8192, shortTune.begin() + 8192 + 4092), 0, 0, false, 0},
        {"one window", Bytes(shortTune.begin() + 8192, shortTune.begin() + 8192 + 4096), 16, 2,
         false, 0},
        // Near-silence: read as 16 bits, 8-bit bytes about 0x80 would be a constant near full
        // scale; 16-bit high bytes that are the low bytes' sign are 16-bit however noisy.
        // Noise tells no channel count.
        {"8-bit noise one step about 0x80", QuietNoise(8, 1), 8, 0, false, 0},
        {"16-bit noise of 100 steps", QuietNoise(16, 100), 16, 0, false, 0},
        {"8-bit noise of 8 steps", QuietNoise(8, 8), 0, 0, false, 0},
        // A mains hum in the noise floor tells the rate, in a file read whole and in one read
        // in windows (the runs); 50 Hz at one rate is never 60 Hz at another.
        {"50 Hz hum at 16000", Hum(16000, 50, 16, 1, 8), 16, 1, false, 16000},
        {"60 Hz hum at 11025 stereo", Hum(11025, 60, 16, 2, 8), 16, 2, false, 11025},
        {"50 Hz hum at 48000", Hum(48000, 49.9, 16, 1, 8), 16, 1, false, 48000},
        {"60 Hz hum at 44100, 20 s", Hum(44100, 60.1, 16, 1, 20), 16, 1, false, 44100},
        {"50 Hz hum at 12000, 60 s", Hum(12000, 50, 16, 2, 60), 16, 2, false, 12000},
        // No rate: a hum at a rate none offered (its 2nd harmonic would be 50 Hz at 32000), a
        // loud steady tone that is 60 Hz at 12000 read at 44100, hum too short to judge.
        {"50 Hz hum at 64000", Hum(64000, 50, 16, 2, 4), 16, 2, false, 0},
        {"220.5 Hz tone at 44100", Hum(44100, 0, 16, 1, 8, 220.5), 16, 1, false, 0},
        {"50 Hz hum, 1.5 s", Hum(8000, 50, 16, 1, 1.5), 16, 1, false, 0},
    };
    for (const Case& c : cases) {
        const std::vector<DataWindow> windows = WindowsOf(c.data);
        const FormatSuggestion s = SuggestFormat(windows.data(), static_cast<int>(windows.size()));
        EXPECT_EQ(s.bits, c.bits) << c.name;
        EXPECT_EQ(s.channels, c.channels) << c.name;
        EXPECT_EQ(s.pairsIdentical, c.identical) << c.name;
        EXPECT_EQ(s.rate, c.rate) << c.name;
        EXPECT_EQ(s.cue != RateCue::None, c.rate != 0) << c.name;
    }
}

TEST(FormatSuggestion, WindowsStayBoundedAndFrameAligned)
{
    // Past 4 GiB too: the windows span the whole recording, as playback does.
    // Just past what is read whole, the runs crowd the spaced windows most.
    const unsigned long long whole = 1ull * DataWindowCount * DataWindowSize;
    for (uint64_t length : {4ull, 4096ull, 4100ull, 1ull << 20, (1ull << 20) + 4, whole, whole + 4,
                            1ull << 30, 0xFFFFFFFCull - 44, 34359738188ull}) {
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
            // Among them the runs of contiguous windows the rate is told from, one in each
            // quarter (a window that follows another may come after spaced ones between).
            int following = 0;
            for (int i = 0; i < count; ++i) {
                for (int j = i + 1; j < count && offsets[j] <= offsets[i] + sizes[i]; ++j) {
                    following += offsets[j] == offsets[i] + sizes[i] ? 1 : 0;
                }
            }
            EXPECT_GE(following, DataWindowRuns * (DataWindowRunLength - 1)) << length;
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

// The extremes of each width, in both channels of a frame, and a cut last frame left unread.
TEST(FormatSuggestion, FramesReadEachWidthAndChannel)
{
    const Bytes bytes = {0x00, 0x80, 0xFF, 0x7F, 0x01, 0x80, 0xFF};
    const DataWindow window{0, static_cast<uint32_t>(bytes.size()), bytes.data()};
    struct Case {
        int bits, channels;
        uint32_t frames;
        uint32_t frame;
        int channel, sample, wide;
    };
    for (const Case& c : {Case{8, 1, 7, 0, 0, -128, -32768}, Case{8, 1, 7, 2, 0, 127, 32512},
                          Case{8, 2, 3, 1, 1, -1, -256}, Case{16, 1, 3, 0, 0, -32768, -32768},
                          Case{16, 1, 3, 1, 0, 32767, 32767}, Case{16, 2, 1, 0, 1, 32767, 32767},
                          Case{16, 1, 3, 2, 0, -32767, -32767}}) {
        SCOPED_TRACE(::testing::Message() << c.bits << " bit, " << c.channels << " ch, frame "
                                          << c.frame << " channel " << c.channel);
        const PcmFrames frames = FramesOf(window, c.bits, c.channels);
        EXPECT_EQ(frames.frames, c.frames);
        EXPECT_EQ(frames.Sample(c.frame, c.channel), c.sample);
        EXPECT_EQ(frames.Wide(c.frame, c.channel), c.wide);
    }
}
