// The waveform strip as the control shows it: its bitmap read back pixel by pixel and
// compared with an envelope this test works out from the file's own bytes.
#include "support/main_dialog_fixture.h"
#include "support/strip_picture.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <vector>

#include "core/file_controls.h"
#include "core/wave_format.h"
#include "ui/open_source_file.h"
#include "ui/waveform_strip.h"

namespace {

// 16-bit stereo data: the left channel a tone swelling from silence to near full scale,
// the right one a slower tone at a fixed level, so every column and each channel differs.
std::vector<unsigned char> SwellingTones(int frames)
{
    std::vector<unsigned char> data;
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / frames;
        const auto left = static_cast<int16_t>(std::lround(30000.0 * t * std::sin(i * 0.05)));
        const auto right = static_cast<int16_t>(std::lround(9000.0 * std::sin(i * 0.003)));
        for (int16_t sample : {left, right}) {
            data.push_back(static_cast<unsigned char>(sample & 0xFF));
            data.push_back(static_cast<unsigned char>((sample >> 8) & 0xFF));
        }
    }
    return data;
}

struct Extent {
    int low = 32767;
    int high = -32768;
};

// Least and greatest sample of each channel per column, the data read as bits/channels: a
// frame belongs to the column its first byte falls in.
std::vector<std::vector<Extent>> EnvelopeOf(const std::vector<unsigned char>& data, int bits,
                                            int channels, int columns)
{
    std::vector<std::vector<Extent>> result(static_cast<size_t>(columns),
                                            std::vector<Extent>(static_cast<size_t>(channels)));
    const size_t frame = static_cast<size_t>(bits / 8 * channels);
    for (size_t at = 0; at + frame <= data.size(); at += frame) {
        auto& column = result[at * static_cast<size_t>(columns) / data.size()];
        for (int ch = 0; ch < channels; ++ch) {
            const unsigned char* p = &data[at + static_cast<size_t>(ch * bits / 8)];
            const int sample =
                bits == 8 ? (p[0] - 128) * 256 : static_cast<int16_t>(p[0] | p[1] << 8);
            column[static_cast<size_t>(ch)].low =
                std::min(column[static_cast<size_t>(ch)].low, sample);
            column[static_cast<size_t>(ch)].high =
                std::max(column[static_cast<size_t>(ch)].high, sample);
        }
    }
    return result;
}

class WaveformStripTest : public MainDialogTest {
  protected:
    Picture Shown() const { return StripPicture(Item(IDC_WAVEFORM)); }

    static ::testing::AssertionResult AllGrey(const Picture& picture)
    {
        if (picture.pixels.empty()) {
            return ::testing::AssertionFailure() << "no picture";
        }
        for (int y = 0; y < picture.height; ++y) {
            for (int x = 0; x < picture.width; ++x) {
                const uint32_t pixel = picture.at(x, y);
                if (pixel != StripEmptyColour && pixel != StripFrameColour) {
                    return ::testing::AssertionFailure()
                           << std::hex << pixel << " at " << std::dec << x << ", " << y;
                }
            }
        }
        return ::testing::AssertionSuccess();
    }

    void Pick(int bits, int channels)
    {
        UserClick(Item(bits == 8 ? IDC_8BIT : IDC_16BIT));
        UserClick(Item(channels == 1 ? IDC_MONO : IDC_STEREO));
        ASSERT_EQ(CurrentFormat.wBitsPerSample, bits);
        ASSERT_EQ(CurrentFormat.nChannels, channels);
    }

    std::string WriteData(const std::string& name, const std::vector<unsigned char>& data) const
    {
        const std::string path = temp.file(name);
        std::ofstream out(path, std::ios::binary);
        out << std::string(44, '\0');
        out.write(reinterpret_cast<const char*>(data.data()),
                  static_cast<std::streamsize>(data.size()));
        return path;
    }
};

} // namespace

TEST_F(WaveformStripTest, DrawsEachColumnsLeastAndGreatestSampleAsTheFormatReadsThem)
{
    // 300,000 bytes: under the 1 MiB the windows hold, so they cover all of it.
    const std::vector<unsigned char> data = SwellingTones(75000);
    OpenSourceFile(WriteData("tones.tmp", data).c_str());
    ASSERT_TRUE(IsSourceFileOpen());
    const Picture blank = Shown();
    ASSERT_GT(blank.width, 50);
    ASSERT_GT(blank.height, 20);

    struct Case {
        int bits;
        int channels;
    };
    std::vector<Picture> pictures;
    for (const Case c : {Case{16, 2}, Case{16, 1}, Case{8, 2}, Case{8, 1}}) {
        SCOPED_TRACE(std::to_string(c.bits) + " bit, " + std::to_string(c.channels) + " channels");
        Pick(c.bits, c.channels);
        const Picture picture = Shown();
        ASSERT_EQ(picture.width, blank.width);
        const int columns = picture.width - 2;
        const auto expected = EnvelopeOf(data, c.bits, c.channels, columns);
        const int marker = MarkerColumnOf(picture);
        EXPECT_EQ(marker, 1); // the slider is at its start
        int fullHeight = 0;
        for (int x = 1; x < picture.width - 1; ++x) {
            if (x == marker) {
                continue;
            }
            // The lanes are the runs of rows inside the frame that are not frame-coloured,
            // one per channel, left above right.
            std::vector<std::pair<int, int>> lanes;
            for (int y = 1; y < picture.height - 1; ++y) {
                if (picture.at(x, y) == StripFrameColour) {
                    continue;
                }
                if (lanes.empty() || lanes.back().second != y - 1) {
                    lanes.push_back({y, y});
                } else {
                    lanes.back().second = y;
                }
            }
            ASSERT_EQ(static_cast<int>(lanes.size()), c.channels) << "column " << x;
            for (int ch = 0; ch < c.channels; ++ch) {
                const auto [top, bottom] = lanes[static_cast<size_t>(ch)];
                std::vector<int> wave;
                for (int y = top; y <= bottom; ++y) {
                    if (picture.at(x, y) == StripWaveColour) {
                        wave.push_back(y);
                    }
                }
                ASSERT_FALSE(wave.empty()) << "column " << x << " channel " << ch;
                // One unbroken stroke from the greatest sample down to the least.
                EXPECT_EQ(wave.back() - wave.front() + 1, static_cast<int>(wave.size()))
                    << "column " << x;
                const Extent e = expected[static_cast<size_t>(x - 1)][static_cast<size_t>(ch)];
                const double rows = bottom - top;
                const double highRow = top + (32767.0 - e.high) * rows / 65535.0;
                const double lowRow = top + (32767.0 - e.low) * rows / 65535.0;
                EXPECT_NEAR(wave.front(), highRow, 1.0) << "column " << x << " channel " << ch;
                EXPECT_NEAR(wave.back(), lowRow, 1.0) << "column " << x << " channel " << ch;
                fullHeight += wave.back() - wave.front() >= bottom - top - 1;
            }
        }
        // Read in the right format the swell starts quiet; read as 8 bit the low bytes are
        // noise from end to end.
        if (c.bits == 16) {
            EXPECT_LT(fullHeight, columns / 10);
        } else {
            EXPECT_GT(fullHeight, columns / 2);
        }
        pictures.push_back(picture);
    }
    for (size_t i = 0; i < pictures.size(); ++i) {
        for (size_t j = i + 1; j < pictures.size(); ++j) {
            EXPECT_FALSE(pictures[i] == pictures[j]) << i << " and " << j;
        }
    }

    // The rate does not change the picture of the bytes.
    UserPickComboRow(Item(IDC_RATE), 0);
    EXPECT_EQ(Shown(), pictures.back());
}

TEST_F(WaveformStripTest, GreyWithoutAFileOrItsWindows)
{
    EXPECT_TRUE(AllGrey(Shown()));
    OpenSourceFile(WriteData("a.tmp", SwellingTones(20000)).c_str());
    EXPECT_FALSE(AllGrey(Shown()));

    // A file whose windows cannot be read leaves nothing to draw.
    FaultInject("ReadFile", 1, ERROR_READ_FAULT);
    OpenSourceFile(WriteData("b.tmp", SwellingTones(20000)).c_str());
    FaultClearAll();
    ASSERT_TRUE(IsSourceFileOpen());
    EXPECT_TRUE(AllGrey(Shown()));
    UserClick(Item(IDC_8BIT));
    EXPECT_TRUE(AllGrey(Shown()));

    // Save in place closes the file: the strip goes grey as the command ends.
    OpenSourceFile(WriteData("c.tmp", SwellingTones(20000)).c_str());
    EXPECT_FALSE(AllGrey(Shown()));
    FileDialogAnswer answer;
    answer.choose = true;
    answer.path = temp.file("c.wav");
    FileDialogScriptSet({answer});
    MessageBoxScriptSet({{IDYES, nullptr}, {IDOK, nullptr}});
    SendMessageA(dialog, WM_COMMAND, IDM_SAVE_IN_PLACE, 0);
    FileDialogScriptClear();
    ASSERT_FALSE(IsSourceFileOpen());
    EXPECT_TRUE(AllGrey(Shown()));
}

TEST_F(WaveformStripTest, MarkerFollowsTheSlider)
{
    OpenSourceFile(WriteData("a.tmp", SwellingTones(50000)).c_str());
    const Picture start = Shown();
    const int last = start.width - 2;
    EXPECT_EQ(MarkerColumnOf(start), 1);
    HWND slider = Item(IDC_SLIDER);
    int previous = 1;
    for (const int position : {50, 51, 100, 30, 0}) {
        SCOPED_TRACE(position);
        UserSlider(slider, TB_THUMBTRACK, position);
        const Picture picture = Shown();
        const int marker = MarkerColumnOf(picture);
        EXPECT_NEAR(marker, 1 + (last - 1) * position / 100.0, 1.0);
        // Where the marker was, the waveform is back.
        if (previous != marker) {
            int wave = 0;
            for (int y = 1; y < picture.height - 1; ++y) {
                EXPECT_NE(picture.at(previous, y), StripMarkerColour) << "row " << y;
                wave += picture.at(previous, y) == StripWaveColour;
            }
            EXPECT_GT(wave, 0);
        }
        previous = marker;
    }
    // Back at the start the picture is the one the open drew.
    EXPECT_EQ(Shown(), start);
}

TEST_F(WaveformStripTest, WithoutABitmapTheStripStaysBlankAndTheFileStillOpens)
{
    DestroyWindow(dialog);
    const int before = FaultCallCount("CreateDIBSection");
    FaultInject("CreateDIBSection", 1, ERROR_NOT_ENOUGH_MEMORY);
    dialog =
        CreateDialogParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(SendMessageA(Item(IDC_WAVEFORM), STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
    OpenSourceFile(WriteData("a.tmp", SwellingTones(20000)).c_str());
    EXPECT_TRUE(IsSourceFileOpen());
    UserSlider(Item(IDC_SLIDER), TB_THUMBTRACK, 40);
    UserClick(Item(IDC_8BIT));
    EXPECT_TRUE(MessageBoxLog().empty());
    EXPECT_EQ(FaultCallCount("CreateDIBSection"), before + 1);
}
