#include "support/main_dialog_fixture.h"

#include <cstring>
#include <filesystem>
#include <fstream>

#include "core/error_info.h"
#include "playback/playback_state.h"
#include "ui/open_command.h"
#include "ui/open_source_file.h"

namespace {

constexpr DWORD OpenFlags = 0x81804;

class OpenCommandTest : public MainDialogTest {
  protected:
    void SetUp() override
    {
        MainDialogTest::SetUp();
        ASSERT_TRUE(SetCurrentDirectoryA(temp.path().c_str()));
    }
    void TearDown() override
    {
        FileDialogScriptClear();
        MessageBoxScriptClear();
        // Give the buffers back, so that leak checkers see every one freed.
        for (int round = 0; round < 4 && IsPlaying(); ++round) {
            UserClick(Item(IDC_STOP));
            PumpMessages();
        }
        PendingCommand = 0;
        MainDialogTest::TearDown();
    }

    static FileDialogAnswer Choose(const std::string& path, DWORD filterIndex = 0)
    {
        FileDialogAnswer answer;
        answer.choose = true;
        answer.path = path;
        answer.filterIndex = filterIndex;
        return answer;
    }
    static FileDialogAnswer Cancel() { return FileDialogAnswer{}; }

    void Open() { UserChooseMenuItem(dialog, IDM_OPEN); }

    // Opens `path` through the command with no question pending.
    void OpenFirst(const std::string& path)
    {
        FileDialogScriptSet({Choose(path)});
        Open();
        ASSERT_STREQ(SourceFile.path, path.c_str());
        FileDialogLogClear();
        MessageBoxLogClear();
    }
};

} // namespace

TEST_F(OpenCommandTest, TheDialogStartsInTheCurrentDirectoryWithTheOpenSettings)
{
    const std::string path = temp.makeFile("cap001.tmp", 1000);
    FileDialogScriptSet({Choose("cap001.tmp")});
    Open();

    ASSERT_EQ(FileDialogLog().size(), 1u);
    const FileDialogRecord& shown = FileDialogLog()[0];
    EXPECT_EQ(shown.call, FileDialogCall::Open);
    EXPECT_EQ(shown.owner, dialog);
    EXPECT_EQ(shown.filter, (std::vector<std::string>{"Quorbel temporary files (*.tmp)", "*.tmp",
                                                      "All files (*.*)", "*.*"}));
    EXPECT_EQ(shown.filterIndex, 1u);
    EXPECT_EQ(shown.initialDir, temp.path());
    EXPECT_EQ(shown.file, "");
    EXPECT_EQ(shown.flags, OpenFlags);
    EXPECT_EQ(shown.maxFile, static_cast<DWORD>(MAX_PATH));

    // No file was open: no question, and the chosen file is open and shown.
    EXPECT_TRUE(MessageBoxLog().empty());
    EXPECT_STREQ(OpenPath, path.c_str());
    EXPECT_STREQ(SourceFile.path, path.c_str());
    EXPECT_EQ(Text(dialog), path + " - Salvorin");
    EXPECT_EQ(PendingCommand, 0u);
}

TEST_F(OpenCommandTest, TheChosenFilterPairIsRememberedAndCancelChangesNothing)
{
    const std::string a = temp.makeFile("a.tmp", 1000);
    temp.makeFile("b.dat", 1000);
    FileDialogScriptSet({Choose("b.dat", 2), Cancel(), Cancel()});
    Open();
    ASSERT_TRUE(IsSourceFileOpen());
    EXPECT_EQ(OpenFilterIndex, 2u);
    const std::string opened = SourceFile.path;

    // The next dialog selects "All files" again; cancelling it, even after picking another
    // pair, keeps the file, the remembered pair and asks nothing.
    Open();
    Open();
    ASSERT_EQ(FileDialogLog().size(), 3u);
    EXPECT_EQ(FileDialogLog()[1].filterIndex, 2u);
    EXPECT_EQ(FileDialogLog()[2].filterIndex, 2u);
    EXPECT_EQ(OpenFilterIndex, 2u);
    EXPECT_EQ(SourceFile.path, opened);
    EXPECT_TRUE(MessageBoxLog().empty());
}

TEST_F(OpenCommandTest, WithAFileOpenTheQuestionComesAfterTheDialogAndNoKeepsTheFile)
{
    const std::string a = temp.makeFile("a.tmp", 1000);
    const std::string b = temp.makeFile("b.tmp", 2000);
    OpenFirst(a);

    size_t dialogsBeforeQuestion = 0;
    FileDialogScriptSet({Choose(b, 2)});
    MessageBoxScriptSet({{IDNO, [&] { dialogsBeforeQuestion = FileDialogLog().size(); }}});
    Open();

    ASSERT_EQ(MessageBoxLog().size(), 1u);
    EXPECT_EQ(dialogsBeforeQuestion, 1u);
    EXPECT_EQ(LastBox().text, "Do you want to close the current file?");
    EXPECT_EQ(LastBox().type, 36u);
    EXPECT_EQ(LastBox().owner, dialog);
    // The file stays open and shown; the dialog's choices are kept all the same.
    EXPECT_STREQ(SourceFile.path, a.c_str());
    EXPECT_EQ(Text(dialog), a + " - Salvorin");
    EXPECT_EQ(Text(IDC_FILE_SIZE), "1 000");
    EXPECT_EQ(OpenFilterIndex, 2u);
    EXPECT_STREQ(OpenPath, b.c_str());

    FileDialogScriptSet({Choose(b)});
    MessageBoxScriptSet({{IDYES, nullptr}});
    Open();
    EXPECT_STREQ(SourceFile.path, b.c_str());
    EXPECT_EQ(Text(IDC_FILE_SIZE), "2 000");
    // The file before was released: it can be opened exclusively again.
    HANDLE again = CreateFileA(a.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(again, INVALID_HANDLE_VALUE);
    CloseHandle(again);
}

TEST_F(OpenCommandTest, AnOpenThatFailsAfterYesKeepsTheCurrentFile)
{
    const std::string a = temp.makeFile("a.tmp", 1000);
    const std::string small = temp.makeFile("small.tmp", 47);
    OpenFirst(a);

    FileDialogScriptSet({Choose(small)});
    MessageBoxScriptSet({{IDYES, nullptr}, {IDOK, nullptr}});
    Open();
    ASSERT_EQ(MessageBoxLog().size(), 2u);
    EXPECT_EQ(MessageBoxLog()[1].text, "File is small.");
    EXPECT_STREQ(SourceFile.path, a.c_str());
    EXPECT_EQ(Text(dialog), a + " - Salvorin");
    EXPECT_TRUE(Enabled(IDC_PLAY));

    // A file the system refuses to open: its error box, and the same file stays.
    const std::string b = temp.makeFile("b.tmp", 1000);
    FileDialogScriptSet({Choose(b)});
    MessageBoxScriptSet({{IDYES, nullptr}, {IDOK, nullptr}});
    FaultInject("CreateFileA", 1, ERROR_ACCESS_DENIED);
    Open();
    ASSERT_EQ(MessageBoxLog().size(), 4u);
    ErrorInfo denied;
    Fill(&denied, ErrorKindSystem, ERROR_ACCESS_DENIED, "CreateFile", nullptr);
    EXPECT_EQ(MessageBoxLog()[3].text, denied.messageText);
    EXPECT_STREQ(SourceFile.path, a.c_str());
    EXPECT_EQ(PendingCommand, 0u);
}

// The open file chosen again (the recorder may have written more since) is let go and read
// afresh, under whatever name it was chosen by; it is not refused as a file in use.
TEST_F(OpenCommandTest, ChoosingTheOpenFileAgainReadsItAfresh)
{
    const std::string a = temp.makeFile("a.tmp", 1000);
    OpenFirst(a);
#ifndef _WIN32
    {
        std::ofstream grow(a, std::ios::binary | std::ios::app);
        grow << std::string(4000, 'x');
    }
    const std::string again = temp.file("link.tmp");
    std::filesystem::create_symlink(a, again);
#else
    // (On Windows the program's hold keeps any writer out; another spelling is enough.)
    const std::string again = temp.path() + "\\.\\a.tmp";
#endif
    FileDialogScriptSet({Choose(again)});
    MessageBoxScriptSet({{IDYES, nullptr}});
    Open();
    ASSERT_EQ(MessageBoxLog().size(), 1u) << MessageBoxLog().back().text;
    EXPECT_TRUE(IsSourceFileOpen());
    EXPECT_STREQ(SourceFile.path, again.c_str());
    EXPECT_EQ(Text(dialog), again + " - Salvorin");
    EXPECT_TRUE(Enabled(IDC_PLAY));
#ifndef _WIN32
    EXPECT_EQ(Text(IDC_FILE_SIZE), "5 000");
    EXPECT_EQ(SourceFile.effectiveLength, 5000u);
#endif

    // The fresh open failing leaves no file open: there is no older state to go back to.
    FileDialogScriptSet({Choose(a)});
    MessageBoxScriptSet({{IDYES, nullptr}, {IDOK, nullptr}});
    FaultInject("CreateFileA", 1, ERROR_ACCESS_DENIED);
    Open();
    ASSERT_EQ(MessageBoxLog().size(), 3u);
    ErrorInfo denied;
    Fill(&denied, ErrorKindSystem, ERROR_ACCESS_DENIED, "CreateFile", nullptr);
    EXPECT_EQ(MessageBoxLog()[2].text, denied.messageText);
    EXPECT_FALSE(IsSourceFileOpen());
    EXPECT_EQ(Text(dialog), "Salvorin");
    EXPECT_EQ(Text(IDC_FILE_SIZE), "0");
    EXPECT_FALSE(Enabled(IDC_PLAY));
}

// Where the system's dialog fails with FNERR_BUFFERTOOSMALL for a typed path that does not
// fit its buffer, the user is told and the dialog comes back; any other failure ends the
// command as a Cancel does.
TEST_F(OpenCommandTest, APathTooLongForTheDialogIsRefusedAndTheDialogComesBack)
{
    const std::string a = temp.makeFile("a.tmp", 1000);
    FaultInject("GetOpenFileNameA", 1, FNERR_BUFFERTOOSMALL);
    FileDialogScriptSet({Choose("a.tmp", 2)});
    MessageBoxScriptSet({{IDOK, nullptr}});
    Open();
    ASSERT_EQ(MessageBoxLog().size(), 1u);
    EXPECT_EQ(LastBox().text,
              "The path is too long: at most 259 bytes.\nChoose a shorter name or folder.");
    EXPECT_EQ(LastBox().type, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(LastBox().owner, dialog);
    EXPECT_EQ(FaultCallCount("GetOpenFileNameA"), 2);
    ASSERT_EQ(FileDialogLog().size(), 1u);
    EXPECT_EQ(FileDialogLog()[0].file, "");
    EXPECT_STREQ(SourceFile.path, a.c_str());
    EXPECT_EQ(OpenFilterIndex, 2u);

    MessageBoxLogClear();
    FaultInject("GetOpenFileNameA", 1, CDERR_DIALOGFAILURE);
    FileDialogScriptSet({Choose("a.tmp")});
    Open();
    EXPECT_TRUE(MessageBoxLog().empty());
    EXPECT_EQ(FaultCallCount("GetOpenFileNameA"), 3);
    EXPECT_STREQ(SourceFile.path, a.c_str());
}

TEST_F(OpenCommandTest, MissingFilesAndOverlongPathsNeverReachTheOpen)
{
    const std::string a = temp.makeFile("a.tmp", 1000);
    // A missing file and a missing folder are refused inside the dialog, which stays up.
    FileDialogScriptSet({Choose("missing.tmp"), Choose("nowhere/a.tmp"), Choose("a.tmp")});
    Open();
    ASSERT_EQ(FileDialogLog().size(), 1u);
    EXPECT_EQ(FileDialogLog()[0].refusals.size(), 2u);
    EXPECT_STREQ(SourceFile.path, a.c_str());

#ifndef _WIN32
    // A full path of 260 characters or more is refused inside the dialog too: the user is
    // told and chooses again (here: cancels), and nothing changes. (Windows, without long
    // paths, makes no such file for its dialog to offer.)
    const std::string folder(200, 'd');
    ASSERT_TRUE(std::filesystem::create_directory(temp.file(folder)));
    const std::string longPath = temp.makeFile(folder + "/" + std::string(100, 'f') + ".tmp", 1000);
    ASSERT_GE(longPath.size(), static_cast<size_t>(MAX_PATH));
    MessageBoxLogClear();
    FileDialogScriptSet({Choose(longPath, 2)});
    Open();
    EXPECT_EQ(FileDialogLog().back().result, FALSE);
    ASSERT_EQ(FileDialogLog().back().refusals.size(), 1u);
    EXPECT_NE(FileDialogLog().back().refusals[0].find("too long"), std::string::npos);
    EXPECT_TRUE(MessageBoxLog().empty());
    EXPECT_EQ(OpenFilterIndex, 1u);
    EXPECT_STREQ(SourceFile.path, a.c_str());
#endif
}

// While sound plays, the dialog and the question come first; playback then stops, and the
// engine's re-posted command opens the chosen file without asking again.
TEST_F(OpenCommandTest, WhilePlayingTheOpenWaitsForTheDeviceToClose)
{
    WaveOutUseTestDevice(true);
    const std::string a = temp.makeFile("a.tmp", 44 + 3 * 176400);
    const std::string b = temp.makeFile("b.tmp", 2000);
    OpenFirst(a);
    UserClick(Item(IDC_PLAY));
    ASSERT_TRUE(IsPlaying());
    ASSERT_GT(TestDeviceQueuedCount(), 0);

    FileDialogScriptSet({Choose(b, 2)});
    MessageBoxScriptSet({{IDYES, nullptr}});
    Open();
    EXPECT_EQ(FileDialogLog().size(), 1u);
    EXPECT_EQ(MessageBoxLog().size(), 1u);
    EXPECT_EQ(PendingCommand, static_cast<UINT>(IDM_OPEN));
    EXPECT_STREQ(SourceFile.path, a.c_str());
    EXPECT_EQ(OpenFilterIndex, 2u);
    // The reset has handed every buffer back; nothing is left playing.
    EXPECT_EQ(TestDeviceQueuedCount(), 0);

    // Any further dialog or question would now go unanswered and be counted.
    FileDialogScriptSet({});
    MessageBoxScriptSet({});
    PumpMessages();
    EXPECT_FALSE(IsPlaying());
    EXPECT_FALSE(TestDeviceIsOpen());
    EXPECT_EQ(FileDialogLog().size(), 1u);
    EXPECT_EQ(MessageBoxLog().size(), 1u);
    EXPECT_EQ(FileDialogUnscriptedCount(), 0);
    EXPECT_EQ(PendingCommand, 0u);
    EXPECT_STREQ(SourceFile.path, b.c_str());
    EXPECT_EQ(Text(dialog), b + " - Salvorin");
}

TEST_F(OpenCommandTest, PlaybackEndingWhileTheQuestionIsUpOpensAtOnce)
{
    WaveOutUseTestDevice(true);
    const std::string a = temp.makeFile("a.tmp", 44 + 176400);
    const std::string b = temp.makeFile("b.tmp", 2000);
    OpenFirst(a);
    UserClick(Item(IDC_PLAY));
    ASSERT_TRUE(IsPlaying());

    // The sound plays to its end while the question is up: the nested loop delivers the
    // completions and the engine closes the device.
    FileDialogScriptSet({Choose(b)});
    MessageBoxScriptSet({{IDYES, [] {
                              for (int round = 0; round < 8 && IsPlaying(); ++round) {
                                  TestDeviceCompleteNext(TestDeviceQueuedCount());
                                  PumpWhile([] { return PlaybackState.finishing != 0; });
                              }
                          }}});
    Open();
    EXPECT_FALSE(IsPlaying());
    EXPECT_EQ(PendingCommand, 0u);
    EXPECT_STREQ(SourceFile.path, b.c_str());
    EXPECT_EQ(MessageBoxLog().size(), 1u);
}
