// Opening a file selects the width and channels the data suggests and says so; where the data
// tells nothing, or cannot be read, the format and the line stay as they were.
#include "support/main_dialog_fixture.h"

#include <cmath>
#include <fstream>
#include <vector>

#include "core/file_controls.h"
#include "core/wave_format.h"
#include "samplegen/samplegen.h"
#include "ui/open_source_file.h"

namespace {

std::string WriteTune(const TempDir& temp, const std::string& name, int bits, int channels)
{
    SampleSpec spec;
    spec.rate = 22050;
    spec.bits = bits;
    spec.channels = channels;
    spec.seconds = 3.0;
    const std::string path = temp.file(name);
    std::string error;
    EXPECT_TRUE(WriteTemporaryFile(path, spec, &error)) << error;
    return path;
}

// 16-bit mono: a recorder's noise floor with a 50 Hz mains hum in it, at `rate`.
std::string WriteHum(const TempDir& temp, const std::string& name, uint32_t rate, double seconds)
{
    std::string bytes(44, '\0');
    uint32_t noise = 1;
    for (uint32_t i = 0; i < static_cast<uint32_t>(seconds * rate); ++i) {
        const double t = 2 * 3.14159265358979 * 50 * i / rate;
        noise = noise * 1664525 + 1013904223;
        const int v = static_cast<int>(std::lround(
            150 * (std::sin(t) + 0.5 * std::sin(2 * t) + 0.6 * std::sin(3 * t)) + noise % 7 - 3.0));
        bytes += static_cast<char>(v & 0xFF);
        bytes += static_cast<char>((v >> 8) & 0xFF);
    }
    const std::string path = temp.file(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

} // namespace

TEST_F(MainDialogTest, OpenSelectsWhatTheDataSuggests)
{
    struct Case {
        const char* name;
        int bits; // 0: a file of silence
        int channels;
        const char* fault; // a platform call made to fail during the open
        const char* line;
        int checkedBits; // what stays selected
        int checkedChannels;
        const char* duration; // at 44100 per second
    };
    const Case cases[] = {
        {"8 bit mono", 8, 1, nullptr, "Suggested from the data: 8 bit, mono", 8, 1, "0:00:01"},
        {"silence keeps 8 bit mono", 0, 0, nullptr, "", 8, 1, "0:00:02"},
        {"16 bit stereo", 16, 2, nullptr, "Suggested from the data: 16 bit, stereo", 16, 2,
         "0:00:01"},
        {"8 bit stereo, unread", 8, 2, "ReadFile", "", 16, 2, "0:00:00"},
        {"8 bit stereo, unseekable", 8, 2, "SetFilePointer", "", 16, 2, "0:00:00"},
        {"16 bit mono", 16, 1, nullptr, "Suggested from the data: 16 bit, mono", 16, 1, "0:00:01"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string name = std::to_string(n++) + ".tmp";
        const std::string path =
            c.bits == 0 ? temp.file(name) : WriteTune(temp, name, c.bits, c.channels);
        if (c.bits == 0) {
            std::ofstream(path, std::ios::binary) << std::string(44 + 100000, '\0');
        }
        if (c.fault != nullptr) {
            FaultInject(c.fault, 1, ERROR_READ_FAULT);
        }
        OpenSourceFile(path.c_str());
        FaultClearAll();
        ASSERT_TRUE(IsSourceFileOpen()) << c.name;
        EXPECT_TRUE(MessageBoxLog().empty()) << c.name; // an optional hint never shows a box
        EXPECT_EQ(Text(IDC_SUGGESTION), c.line) << c.name;
        EXPECT_EQ(Checked(IDC_8BIT), c.checkedBits == 8) << c.name;
        EXPECT_EQ(Checked(IDC_16BIT), c.checkedBits == 16) << c.name;
        EXPECT_EQ(Checked(IDC_MONO), c.checkedChannels == 1) << c.name;
        EXPECT_EQ(Checked(IDC_STEREO), c.checkedChannels == 2) << c.name;
        EXPECT_EQ(CurrentFormat.wBitsPerSample, c.checkedBits) << c.name;
        EXPECT_EQ(CurrentFormat.nBlockAlign, c.checkedBits / 8 * c.checkedChannels) << c.name;
        EXPECT_EQ(Text(IDC_DURATION), c.duration) << c.name;
    }

    // The line speaks of the data, not of the selection: it stays when the user picks another
    // format, and goes with the file.
    UserClick(Item(IDC_8BIT));
    EXPECT_EQ(Text(IDC_SUGGESTION), "Suggested from the data: 16 bit, mono");
    ShowNoFileWindow();
    EXPECT_EQ(Text(IDC_SUGGESTION), "");
}

TEST_F(MainDialogTest, OpenSelectsTheRateAHumTellsAndNoChannelsForIdenticalPairs)
{
    // A hum names the rate: its row is picked as a user would pick it, and the duration
    // follows. A file that tells no rate leaves the rate as it is.
    struct Case {
        std::string path;
        const char* line;
        uint32_t rate;       // what stays selected
        int checkedChannels; // what stays selected
        const char* duration;
    };
    SampleSpec spec;
    spec.rate = 22050;
    spec.bits = 16;
    spec.channels = 1;
    spec.seconds = 3.0;
    std::vector<unsigned char> mono = MakeTunePcm(spec);
    std::string pairs(44, '\0');
    for (size_t i = 0; i + 1 < mono.size(); i += 2) {
        for (int copy = 0; copy < 2; ++copy) { // every sample twice
            pairs += static_cast<char>(mono[i]);
            pairs += static_cast<char>(mono[i + 1]);
        }
    }
    std::ofstream(temp.file("pairs.tmp"), std::ios::binary) << pairs;
    const Case cases[] = {
        {WriteHum(temp, "hum.tmp", 16000, 8),
         "Suggested from the data: 16 bit, mono, 16000 samples per second", 16000, 1, "0:00:08"},
        {WriteTune(temp, "tune.tmp", 16, 2), "Suggested from the data: 16 bit, stereo", 16000, 2,
         "0:00:04"},
        {temp.file("pairs.tmp"),
         "Suggested from the data: 16 bit; channels identical (stereo, or mono at twice the "
         "rate)",
         16000, 2, "0:00:04"},
    };
    for (const Case& c : cases) {
        OpenSourceFile(c.path.c_str());
        ASSERT_TRUE(IsSourceFileOpen()) << c.path;
        EXPECT_EQ(Text(IDC_SUGGESTION), c.line) << c.path;
        EXPECT_EQ(CurrentFormat.nSamplesPerSec, c.rate) << c.path;
        EXPECT_EQ(Text(IDC_RATE), std::to_string(c.rate)) << c.path;
        EXPECT_EQ(Checked(IDC_MONO), c.checkedChannels == 1) << c.path;
        EXPECT_EQ(Checked(IDC_STEREO), c.checkedChannels == 2) << c.path;
        EXPECT_EQ(CurrentFormat.nAvgBytesPerSec, c.rate * 2 * c.checkedChannels) << c.path;
        EXPECT_EQ(Text(IDC_DURATION), c.duration) << c.path;
    }
}
