// A file named on the command line or dropped on the window opens as File > Open's choice
// would: the same checks and boxes, the same question, the same deferral while sound plays.
#include "support/error_sentence.h"
#include "support/main_dialog_fixture.h"

#include <string>
#include <vector>

#include "playback/playback_state.h"
#include "ui/command_line.h"
#include "ui/open_command.h"

namespace {

class GivenPathTest : public MainDialogTest {
  protected:
    void TearDown() override
    {
        for (int round = 0; round < 8 && IsPlaying(); ++round) {
            TestDeviceCompleteNext(TestDeviceQueuedCount());
            PumpWhile([] { return PlaybackState.finishing != 0; });
        }
        PendingCommand = 0;
        GivenPath[0] = '\0';
        MainDialogTest::TearDown();
    }

    // The main dialog as the program starts it with `arguments` after its name.
    void Start(std::vector<const char*> arguments)
    {
        DestroyWindow(dialog);
        arguments.insert(arguments.begin(), "salvorin");
        ASSERT_EQ(ReadCommandLine(static_cast<int>(arguments.size()), arguments.data()), -1);
        dialog = CreateDialogParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                    MainDialogProc, 0);
        ASSERT_NE(dialog, nullptr);
        PumpMessages();
    }

    bool Drop(const std::string& path) { return UserDropUrls(dialog, {"file://" + path}); }

    void ExpectOpen(const std::string& path)
    {
        EXPECT_STREQ(SourceFile.path, path.c_str());
        EXPECT_EQ(Text(dialog), path + " - Salvorin");
        EXPECT_TRUE(Enabled(IDC_PLAY));
        EXPECT_TRUE(Enabled(IDC_RATE));
    }
    void ExpectEmpty()
    {
        EXPECT_FALSE(IsSourceFileOpen());
        EXPECT_EQ(Text(dialog), "Salvorin");
        EXPECT_FALSE(Enabled(IDC_PLAY));
        EXPECT_FALSE(Enabled(IDC_RATE));
    }
};

} // namespace

TEST_F(GivenPathTest, ARelativePathOnTheCommandLineOpensWhole)
{
    const std::string path = temp.makeFile("cap001.tmp", 500);
    ASSERT_TRUE(SetCurrentDirectoryA(temp.path().c_str()));
    Start({"./sub/../cap001.tmp"});

    EXPECT_TRUE(MessageBoxLog().empty());
    ExpectOpen(path);
    EXPECT_EQ(Text(IDC_FILE_SIZE), "500");
}

TEST_F(GivenPathTest, AFileThatCannotBeOpenedShowsItsBoxAndAnEmptyWindow)
{
    const std::string small = temp.makeFile("small.tmp", 10);
    const std::string held = temp.makeFile("held.tmp", 1000);
    // Held the way the recorder holds a file it is still writing: opened unshared.
    HANDLE holder = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const struct {
        std::string path;
        std::string box;
    } cases[] = {
        {temp.file("missing.tmp"),
         ErrorSentence(ErrorKindSystem, ERROR_FILE_NOT_FOUND, "The file could not be found.")},
        {small, "File is small."},
        {held, ErrorSentence(ErrorKindSystem, ERROR_SHARING_VIOLATION, "is using the file")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        MessageBoxLogClear();
        MessageBoxScriptSet({{IDOK, nullptr}});
        Start({c.path.c_str()});
        ASSERT_EQ(MessageBoxLog().size(), 1u);
        EXPECT_EQ(MessageBoxLog()[0].owner, dialog);
        EXPECT_EQ(MessageBoxLog()[0].caption, "Salvorin");
        EXPECT_NE(MessageBoxLog()[0].text.find(c.box), std::string::npos)
            << MessageBoxLog()[0].text;
        ExpectEmpty();
    }
    CloseHandle(holder);
}

TEST_F(GivenPathTest, ADroppedFileOpensAndAsksFirstWhenOneIsOpen)
{
    const std::string first = temp.makeFile("first.tmp", 1000);
    const std::string second = temp.makeFile("second.tmp", 2000);
    ASSERT_TRUE(Drop(first));
    PumpMessages();
    EXPECT_TRUE(MessageBoxLog().empty());
    ExpectOpen(first);

    MessageBoxScriptSet({{IDNO, nullptr}});
    ASSERT_TRUE(Drop(second));
    PumpMessages();
    ASSERT_EQ(MessageBoxLog().size(), 1u);
    EXPECT_EQ(MessageBoxLog()[0].text, "Do you want to close the current file?");
    ExpectOpen(first);

    MessageBoxScriptSet({{IDYES, nullptr}});
    ASSERT_TRUE(Drop(second));
    PumpMessages();
    ExpectOpen(second);
}

TEST_F(GivenPathTest, ADropWhilePlayingWaitsForTheDeviceToClose)
{
    const std::string first = temp.makeFile("first.tmp", 400000);
    const std::string second = temp.makeFile("second.tmp", 2000);
    WaveOutUseTestDevice(true);
    ASSERT_TRUE(Drop(first));
    PumpMessages();
    UserClick(Item(IDC_PLAY));
    ASSERT_TRUE(IsPlaying());

    // The question comes while the sound still plays; the stop and the open follow it.
    bool playingAtQuestion = false;
    MessageBoxScriptSet({{IDYES, [&] { playingAtQuestion = IsPlaying(); }}});
    ASSERT_TRUE(Drop(second));
    PumpMessages();
    EXPECT_TRUE(playingAtQuestion);
    EXPECT_FALSE(TestDeviceIsOpen());
    EXPECT_FALSE(IsPlaying());
    EXPECT_EQ(PendingCommand, 0u);
    EXPECT_EQ(MessageBoxLog().size(), 1u);
    ExpectOpen(second);
}

TEST_F(GivenPathTest, DropsOfAnythingButOneLocalFileDoNothing)
{
    const std::string a = temp.makeFile("a.tmp", 1000);
    const std::string b = temp.makeFile("b.tmp", 1000);
    const std::vector<std::vector<std::string>> drops = {
        {"https://example.org/a.tmp"},
        {"file://" + a, "file://" + b},
        {"file://" + temp.path()},
    };
    for (const auto& urls : drops) {
        SCOPED_TRACE(urls[0]);
        UserDropUrls(dialog, urls);
        PumpMessages();
        EXPECT_TRUE(MessageBoxLog().empty());
        ExpectEmpty();
    }
}
