#include "support/main_dialog_fixture.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "core/error_info.h"
#include "core/file_controls.h"
#include "core/wave_format.h"
#include "playback/playback_state.h"
#include "ui/open_source_file.h"

namespace {

class OpenSourceFileTest : public MainDialogTest {
  protected:
    void ExpectLoaded(const std::string& path, const std::string& size, bool oversize)
    {
        EXPECT_EQ(Text(dialog), path + " - Salvorin");
        EXPECT_STREQ(SourceFile.path, path.c_str());
        EXPECT_EQ(Text(IDC_FILE_SIZE), size);
        EXPECT_EQ(Visible(IDC_OVERSIZE), oversize);
        for (int id : {IDC_SLIDER, IDC_RATE, IDC_8BIT, IDC_16BIT, IDC_MONO, IDC_STEREO, IDC_PLAY}) {
            EXPECT_TRUE(Enabled(id)) << id;
        }
        EXPECT_FALSE(Enabled(IDC_STOP));
        EXPECT_EQ(SendMessageA(Item(IDC_SLIDER), TBM_GETPOS, 0, 0), 0);
    }

    void ExpectEmpty()
    {
        EXPECT_EQ(SourceFile.handle, nullptr);
        EXPECT_EQ(Text(dialog), "Salvorin");
        EXPECT_FALSE(Enabled(IDC_PLAY));
        EXPECT_EQ(Text(IDC_DURATION), "0:00:00");
    }
};

} // namespace

TEST_F(OpenSourceFileTest, OpensAFileOfNormalSize)
{
    const std::string path = temp.makeFile("cap001.tmp", 44 + 176400 + 3);
    OpenSourceFile(path.c_str());
    EXPECT_TRUE(MessageBoxLog().empty());
    ASSERT_TRUE(IsSourceFileOpen());
    EXPECT_EQ(SourceFile.effectiveLength, 176444u);
    EXPECT_EQ(SourceFile.oversize, 0u);
    ExpectLoaded(path, "176 447", false);
    EXPECT_EQ(Text(IDC_DURATION), "0:00:01");
    EXPECT_EQ(GetFocus(), Item(IDC_PLAY));
}

TEST_F(OpenSourceFileTest, SmallestSizes)
{
    MessageBoxScriptSet({{IDOK, nullptr}});
    OpenSourceFile(temp.makeFile("47.tmp", 47).c_str());
    ASSERT_EQ(MessageBoxLog().size(), 1u);
    EXPECT_EQ(LastBox().text, "File is small.");
    EXPECT_EQ(LastBox().type, 48u);
    EXPECT_EQ(LastBox().owner, dialog);
    ExpectEmpty();
    // The refused file's handle was closed: it can be opened again at once.
    HANDLE again = CreateFileA(temp.file("47.tmp").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(again, INVALID_HANDLE_VALUE);
    CloseHandle(again);

    for (uint64_t size : {48, 49, 50, 51}) {
        const std::string path = temp.makeFile("s" + std::to_string(size) + ".tmp", size);
        OpenSourceFile(path.c_str());
        EXPECT_EQ(SourceFile.effectiveLength, 48u) << size;
        ExpectLoaded(path, std::to_string(size), false);
    }
}

TEST_F(OpenSourceFileTest, OversizeFilesAreCutAndFlagged)
{
    const std::string exact = temp.makeFile("exact.tmp", 4294967292ull);
    OpenSourceFile(exact.c_str());
    EXPECT_EQ(SourceFile.oversize, 0u);
    ExpectLoaded(exact, "4 294 967 292", false);

    const std::string over = temp.makeFile("over.tmp", 4294967293ull);
    OpenSourceFile(over.c_str());
    EXPECT_EQ(SourceFile.effectiveLength, 4294967292u);
    EXPECT_EQ(SourceFile.oversize, 1u);
    ExpectLoaded(over, "4 294 967 293", true);

    const std::string allOnes = temp.makeFile("ones.tmp", 4294967295ull);
    OpenSourceFile(allOnes.c_str());
    EXPECT_TRUE(MessageBoxLog().empty());
    EXPECT_EQ(SourceFile.oversize, 1u);

    const std::string huge = temp.makeFile("huge.tmp", 6442450944ull);
    OpenSourceFile(huge.c_str());
    ExpectLoaded(huge, "6 442 450 944", true);
    // The duration is the whole recording's, which plays whole; only a cut copy ends at
    // 6:45:47.
    EXPECT_EQ(SourceFile.wholeLength, 6442450944ull);
    EXPECT_EQ(Text(IDC_DURATION), "10:08:41");
    UserClick(Item(IDC_8BIT));
    UserClick(Item(IDC_MONO));
    UserPickComboRow(Item(IDC_RATE), 8);
    EXPECT_EQ(Text(IDC_DURATION), "223:41:46");

    // A normal file after an oversize one hides the warning again.
    const std::string normal = temp.makeFile("normal.tmp", 1000);
    OpenSourceFile(normal.c_str());
    ExpectLoaded(normal, "1 000", false);
}

TEST_F(OpenSourceFileTest, ARefusedSecondFileLeavesTheFirstOpen)
{
    const std::string first = temp.makeFile("first.tmp", 44 + 176400);
    OpenSourceFile(first.c_str());
    const HANDLE handle = SourceFile.handle;
    UserClick(Item(IDC_8BIT));
    UserClick(Item(IDC_MONO));
    const std::string duration = Text(IDC_DURATION);

    MessageBoxScriptSet({{IDOK, nullptr}, {IDOK, nullptr}, {IDOK, nullptr}, {IDOK, nullptr}});
    OpenSourceFile(temp.makeFile("small.tmp", 20).c_str());
    OpenSourceFile(temp.file("missing.tmp").c_str());
    OpenSourceFile(temp.path().c_str()); // a directory
    FaultInject("GetFileSize", 1, ERROR_IO_DEVICE);
    OpenSourceFile(temp.makeFile("bad.tmp", 1000).c_str());

    ASSERT_EQ(MessageBoxLog().size(), 4u);
    EXPECT_EQ(MessageBoxLog()[0].text, "File is small.");
    for (size_t i = 1; i < 4; ++i) {
        EXPECT_EQ(MessageBoxLog()[i].type, static_cast<UINT>(MB_ICONERROR)) << i;
        EXPECT_EQ(MessageBoxLog()[i].caption, "Salvorin");
        EXPECT_EQ(MessageBoxLog()[i].owner, dialog);
        EXPECT_FALSE(MessageBoxLog()[i].text.empty());
    }
    char expected[256];
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | 0xFF, nullptr,
                   ERROR_FILE_NOT_FOUND, 0, expected, sizeof expected, nullptr);
    EXPECT_EQ(MessageBoxLog()[1].text, expected);

    EXPECT_EQ(SourceFile.handle, handle);
    ExpectLoaded(first, "176 444", false);
    EXPECT_EQ(Text(IDC_DURATION), duration);
    EXPECT_EQ(CurrentFormat.nChannels, 1);
    EXPECT_EQ(CurrentFormat.wBitsPerSample, 8);

    // The file whose size could not be read was closed again.
    HANDLE bad = CreateFileA(temp.file("bad.tmp").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(bad, INVALID_HANDLE_VALUE);
    CloseHandle(bad);
}

TEST_F(OpenSourceFileTest, AFileInUseIsRefusedWithTheSharingText)
{
    // Held unshared by another opener (the recorder, another copy of this program).
    const std::string path = temp.makeFile("busy.tmp", 1000);
    HANDLE holder = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    MessageBoxScriptSet({{IDOK, nullptr}});
    OpenSourceFile(path.c_str());
    CloseHandle(holder);
    ASSERT_EQ(MessageBoxLog().size(), 1u);
    ErrorInfo sharing;
    Fill(&sharing, ErrorKindSystem, ERROR_SHARING_VIOLATION, "CreateFile", nullptr);
    EXPECT_EQ(LastBox().text, sharing.messageText);
    EXPECT_FALSE(IsSourceFileOpen());
}

TEST_F(OpenSourceFileTest, OpeningResetsThePlayedPositionButKeepsTheFormat)
{
    UserPickComboRow(Item(IDC_RATE), 8); // disabled: the user cannot pick yet
    EXPECT_EQ(CurrentFormat.nSamplesPerSec, 44100u);
    OpenSourceFile(temp.makeFile("a.tmp", 1000).c_str());
    UserClick(Item(IDC_8BIT));
    UserClick(Item(IDC_MONO));
    PlaybackState.playedPos = 500;
    PlaybackState.seekPending = 1;
    PlaybackState.formatChangePending = 1;
    PlaybackState.readPos = 321;
    SendMessageA(Item(IDC_SLIDER), TBM_SETPOS, TRUE, 40);
    OpenSourceFile(temp.makeFile("b.tmp", 2000).c_str());
    EXPECT_EQ(PlaybackState.playedPos, 0u);
    EXPECT_EQ(PlaybackState.seekPending, 0u);
    EXPECT_EQ(PlaybackState.formatChangePending, 0u);
    EXPECT_EQ(PlaybackState.readPos, 321u);
    EXPECT_EQ(CurrentFormat.nChannels, 1);
    EXPECT_EQ(CurrentFormat.wBitsPerSample, 8);
    EXPECT_TRUE(Checked(IDC_MONO));
    EXPECT_EQ(SendMessageA(Item(IDC_SLIDER), TBM_GETPOS, 0, 0), 0);
}

TEST_F(OpenSourceFileTest, DeepPathsShowWholeAndTheWindowEmptiesAgain)
{
    const std::string dir = temp.file(std::string(120, 'd'));
    ASSERT_TRUE(std::filesystem::create_directories(dir));
    // As deep as the system lets a path be: under MAX_PATH on Windows.
    const size_t nameLength = std::min<size_t>(100, MAX_PATH - 6 - dir.size());
    const std::string name =
        temp.file(std::string(120, 'd') + "/" + std::string(nameLength, 'f') + ".tmp");
    {
        std::FILE* file = std::fopen(name.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fputs(std::string(100, 'x').c_str(), file);
        std::fclose(file);
    }
    OpenSourceFile(name.c_str());
    ASSERT_TRUE(IsSourceFileOpen());
    const std::string title = Text(dialog);
    EXPECT_EQ(title, name + " - Salvorin");

    // The file shows again after it was saved away.
    ShowNoFileWindow();
    EXPECT_EQ(Text(dialog), "Salvorin");
    EXPECT_EQ(Text(IDC_FILE_SIZE), "0");
    EXPECT_EQ(Text(IDC_DURATION), "0:00:00");
    for (int id :
         {IDC_SLIDER, IDC_RATE, IDC_8BIT, IDC_16BIT, IDC_MONO, IDC_STEREO, IDC_PLAY, IDC_STOP}) {
        EXPECT_FALSE(Enabled(id)) << id;
    }
}
