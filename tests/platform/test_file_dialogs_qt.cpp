// The real file dialog of the Linux flavour (Qt's), typed into and clicked through the seams
// that drive it, which only this flavour has: the settings reach it, and its refusals and
// questions appear over it as the system's do. And a refusal only our dialog makes: a path too
// long for the caller's buffer keeps the dialog up (the system's closes with
// FNERR_BUFFERTOOSMALL).
#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/file_dialog_fixture.h"

namespace {

// Pumps until the dialog lists `count` files: the folder is read in the background.
FileDialogView WaitForListing(size_t count)
{
    FileDialogView view = FileDialogShown();
    for (int round = 0; round < 1000 && view.listedFiles.size() != count; ++round) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        PumpMessages();
        view = FileDialogShown();
    }
    return view;
}

} // namespace

// The real dialogs, typed into: an existing file deep below the folder and a new name too
// long for the buffer are refused with a message over the dialog, which stays up; a name with
// a double quote is one name, not a list.
TEST_F(FileDialogTest, TheRealDialogsRefuseLongPathsAndTakeANameWithAQuote)
{
    std::string deep = temp.path();
    while (deep.size() < 3800) {
        deep += "/" + std::string(200, 'd');
    }
    std::filesystem::create_directories(deep);
    const std::string deepFile = deep + "/x.tmp";
    temp.makeFile(deepFile.substr(temp.path().size() + 1), 10);
    const std::string quoted = temp.makeFile("a\"b.tmp", 10);

    AsOpen(2);
    FileDialogView refused;
    FileDialogView afterOk;
    OnNextFileDialog([&] {
        FileDialogUserType(deepFile.c_str());
        FileDialogUserPressReturn();
        refused = FileDialogShown();
        FileDialogUserAnswer(true);
        afterOk = FileDialogShown();
        FileDialogUserType("a\"b.tmp");
        FileDialogUserPressReturn();
        FileDialogUserCancel(); // only if the name was not taken
    });
    ASSERT_TRUE(GetOpenFileNameA(&ofn));
    EXPECT_NE(refused.message.find("too long"), std::string::npos);
    EXPECT_TRUE(afterOk.up);
    EXPECT_EQ(afterOk.message, "");
    EXPECT_STREQ(file, quoted.c_str());

    // A new name of 267 bytes in a save dialog.
    AsSave("");
    const std::string longName = std::string(263, 'n') + ".wav";
    FileDialogView longRefused;
    OnNextFileDialog([&] {
        FileDialogUserType(longName.c_str());
        FileDialogUserPressReturn();
        longRefused = FileDialogShown();
        FileDialogUserAnswer(true);
        FileDialogUserType("short.wav");
        FileDialogUserPressReturn();
        FileDialogUserCancel();
    });
    ASSERT_TRUE(GetSaveFileNameA(&ofn));
    EXPECT_NE(longRefused.message.find("too long"), std::string::npos);
    EXPECT_STREQ(file, temp.file("short.wav").c_str());
}

// The real dialog: the pair list with the program's own texts, the selected pair, the
// starting folder, the patterns (matching without regard to case, "*.*" taking names
// without a dot), the must-exist refusal shown over it, and the pair read back.
TEST_F(FileDialogTest, TheRealOpenDialogAppliesTheSettings)
{
    for (const char* name : {"a.tmp", "B.TMP", "c.dat", "noext"}) {
        temp.makeFile(name, 10);
    }
    AsOpen(1);
    FileDialogView first;
    FileDialogView all;
    FileDialogView refused;
    FileDialogView stillUp;
    OnNextFileDialog([&] {
        first = WaitForListing(2);
        FileDialogUserPickFilter(1);
        all = WaitForListing(4);
        FileDialogUserType("missing.tmp");
        FileDialogUserAccept();
        refused = FileDialogShown();
        FileDialogUserAnswer(true);
        FileDialogUserType("noext");
        FileDialogUserAccept();
        stillUp = FileDialogShown();
    });
    ASSERT_TRUE(GetOpenFileNameA(&ofn));

    EXPECT_TRUE(first.up);
    EXPECT_FALSE(first.save);
    EXPECT_TRUE(first.modalToOwner);
    EXPECT_EQ(first.filters,
              (std::vector<std::string>{"Quorbel temporary files (*.tmp)", "All files (*.*)"}));
    EXPECT_EQ(first.selectedFilter, 0);
    EXPECT_EQ(first.directory, directory);
    EXPECT_EQ(first.fileName, "");
    EXPECT_EQ(first.listedFiles, (std::vector<std::string>{"B.TMP", "a.tmp"}));
    EXPECT_EQ(all.listedFiles, (std::vector<std::string>{"B.TMP", "a.tmp", "c.dat", "noext"}));
    EXPECT_NE(refused.message.find("File not found"), std::string::npos);
    EXPECT_TRUE(refused.up);
    EXPECT_FALSE(stillUp.up);

    EXPECT_STREQ(file, temp.file("noext").c_str());
    EXPECT_EQ(ofn.nFilterIndex, 2u);
    ASSERT_EQ(FileDialogLog().size(), 1u);
    EXPECT_EQ(FileDialogLog()[0].refusals.size(), 1u);
}

TEST_F(FileDialogTest, TheRealOpenDialogSelectsTheRememberedPairAndDeliversPostedMessages)
{
    AsOpen(2);
    FileDialogView shown;
    g_postsDelivered = 0;
    g_cancelTheFileDialog = FileDialogUserCancel;
    OnNextFileDialog([&] {
        shown = FileDialogShown();
        // The dialog's own loop must deliver this, or the dialog never ends.
        PostMessageA(owner, CancelTheFileDialog, 0, 0);
    });
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_EQ(g_postsDelivered, 1);
    EXPECT_EQ(shown.selectedFilter, 1);
    EXPECT_EQ(ofn.nFilterIndex, 2u);
}

TEST_F(FileDialogTest, TheRealSaveDialogProposesTheNameAndAsksBeforeReplacing)
{
    ASSERT_TRUE(std::filesystem::create_directory(temp.file("rec")));
    const std::string old = temp.makeFile("rec/cap001.wav", 10);
    AsSave(old);
    ofn.lpstrInitialDir = nullptr;
    FileDialogView shown;
    FileDialogView question;
    FileDialogView afterNo;
    FileDialogView folderRefused;
    OnNextFileDialog([&] {
        shown = FileDialogShown();
        FileDialogUserAccept();
        question = FileDialogShown();
        FileDialogUserAnswer(false);
        afterNo = FileDialogShown();
        FileDialogUserType("nofolder/x.wav");
        FileDialogUserAccept();
        folderRefused = FileDialogShown();
        FileDialogUserAnswer(true);
        FileDialogUserType("cap001.wav");
        FileDialogUserAccept();
        FileDialogUserAnswer(true);
    });
    ASSERT_TRUE(GetSaveFileNameA(&ofn));
    EXPECT_TRUE(shown.save);
    EXPECT_EQ(shown.directory, temp.file("rec"));
    EXPECT_EQ(shown.fileName, "cap001.wav");
    EXPECT_EQ(shown.filters,
              (std::vector<std::string>{"Windows waveform (*.wav)", "All files (*.*)"}));
    EXPECT_EQ(shown.selectedFilter, 0);
    EXPECT_NE(question.message.find("already exists"), std::string::npos);
    EXPECT_TRUE(afterNo.up);
    EXPECT_EQ(afterNo.message, "");
    EXPECT_NE(folderRefused.message.find("Path does not exist"), std::string::npos);
    EXPECT_STREQ(file, old.c_str());
    EXPECT_EQ(ofn.nFilterIndex, 1u);
}

// Return on a complete typed path acts even before the dialog has read its folder (which
// it does in the background): the replace question for an existing file, the same-name
// check for a link to it afterwards.
TEST_F(FileDialogTest, ReturnOnAPathTypedBeforeTheFolderIsReadActs)
{
    ASSERT_TRUE(std::filesystem::create_directory(temp.file("rec")));
    for (int i = 0; i < 300; ++i) {
        temp.makeFile("rec/f" + std::to_string(i) + ".wav", 1);
    }
    const std::string old = temp.makeFile("rec/old.wav", 10);
    std::filesystem::create_symlink(old, temp.file("rec/link.wav"));
    for (const std::string& typed : {old, temp.file("rec/link.wav")}) {
        SCOPED_TRACE(typed);
        AsSave(temp.file("rec/cap.wav"));
        FileDialogView question;
        OnNextFileDialog([&] {
            FileDialogUserType(typed.c_str());
            FileDialogUserPressReturn();
            question = FileDialogShown();
            FileDialogUserAnswer(true);
            FileDialogUserCancel(); // only if the question did not end the dialog
        });
        ASSERT_TRUE(GetSaveFileNameA(&ofn));
        EXPECT_NE(question.message.find("already exists"), std::string::npos);
        EXPECT_STREQ(file, typed.c_str());
    }
}

// A path that does not fit the caller's buffer is refused inside the dialog, which stays up
// for another choice, rather than failing the call once the dialog has closed.
TEST_F(FileDialogTest, APathThatDoesNotFitTheBufferIsRefusedInsideTheDialog)
{
    // 259 characters fit with the NUL; 260 do not.
    const std::string base = temp.path() + "/";
    const std::string fits = base + std::string(MAX_PATH - 1 - base.size(), 'f');
    const std::string overlong = base + std::string(MAX_PATH - base.size(), 'g');
    AsSave("");
    FileDialogScriptSet({Choose(overlong), Choose(fits)});
    ASSERT_TRUE(GetSaveFileNameA(&ofn));
    EXPECT_STREQ(file, fits.c_str());
    ASSERT_EQ(FileDialogLog()[0].refusals.size(), 1u);
    EXPECT_NE(FileDialogLog()[0].refusals[0].find("too long"), std::string::npos);
}
