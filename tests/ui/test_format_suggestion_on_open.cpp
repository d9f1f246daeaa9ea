// Opening a file selects the width and channels the data suggests and says so; where the data
// tells nothing, or cannot be read, the format and the line stay as they were.
#include "support/main_dialog_fixture.h"

#include <fstream>

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
