// The common file dialogs: scripted answers under the same rules as real choices. (The real
// dialog driven as a user would is in test_file_dialogs_qt.cpp.)
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_dialog_fixture.h"

TEST_F(FileDialogTest, ScriptedChoiceReturnsTheFullPathAndThePair)
{
    const std::string a = temp.makeFile("a.tmp", 10);
    AsOpen(0);
    FileDialogScriptSet({Choose("a.tmp")});
    ASSERT_TRUE(GetOpenFileNameA(&ofn));
    EXPECT_STREQ(file, a.c_str());
    EXPECT_EQ(ofn.nFilterIndex, 1u); // 0 on entry selects the first pair
    EXPECT_EQ(ofn.nFileOffset, a.size() - 5);
    EXPECT_EQ(ofn.nFileExtension, a.size() - 3);
    EXPECT_EQ(CommDlgExtendedError(), 0u);

    ASSERT_EQ(FileDialogLog().size(), 1u);
    const FileDialogRecord& shown = FileDialogLog()[0];
    EXPECT_EQ(shown.call, FileDialogCall::Open);
    EXPECT_EQ(shown.owner, owner);
    EXPECT_EQ(shown.filter, (std::vector<std::string>{"Quorbel temporary files (*.tmp)", "*.tmp",
                                                      "All files (*.*)", "*.*"}));
    EXPECT_EQ(shown.initialDir, directory);
    EXPECT_EQ(shown.flags, 0x81804u);
    EXPECT_EQ(shown.maxFile, static_cast<DWORD>(MAX_PATH));
    EXPECT_EQ(shown.chosen, a);

    // Cancel: 0, no extended error, and the record keeps its pair.
    AsOpen(2);
    FileDialogScriptSet({FileDialogAnswer{}});
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_EQ(ofn.nFilterIndex, 2u);

    // No answer left: cancelled and counted.
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(FileDialogUnscriptedCount(), 1);
}

// Where the name and its extension start in the path handed back: a dot in a folder's name
// is no extension, and a name ending in a dot has an empty one (0).
TEST_F(FileDialogTest, TheNameAndItsExtensionAreFoundInThePathHandedBack)
{
    ASSERT_TRUE(std::filesystem::create_directory(temp.file("d.ir")));
    const std::string folder = temp.file("d.ir") + TempDir::Separator;
    struct Case {
        const char* name;
        size_t extensionFromEnd; // 0: none, the offset is the path's length
        bool empty;              // a trailing dot: the offset is 0
    };
    for (const Case& c : {Case{"take.wav", 3, false}, Case{"take", 0, false},
                          Case{"take.", 0, true}, Case{".wav", 3, false}}) {
        SCOPED_TRACE(c.name);
        AsSave("");
        FileDialogScriptSet({Choose(folder + c.name)});
        ASSERT_TRUE(GetSaveFileNameA(&ofn));
        const std::string path = folder + c.name;
        EXPECT_EQ(file, path);
        EXPECT_EQ(ofn.nFileOffset, folder.size());
        EXPECT_EQ(ofn.nFileExtension, c.empty ? 0u : path.size() - c.extensionFromEnd);
    }
}

TEST_F(FileDialogTest, MustExistRulesRefuseInsideTheDialog)
{
    temp.makeFile("a.tmp", 10);
    AsOpen(1);
    FileDialogScriptSet({Choose("gone.tmp"), Choose("nofolder/a.tmp"), Choose("a.tmp")});
    ASSERT_TRUE(GetOpenFileNameA(&ofn));
    EXPECT_STREQ(file, temp.file("a.tmp").c_str());
    ASSERT_EQ(FileDialogLog()[0].refusals.size(), 2u);
    EXPECT_NE(FileDialogLog()[0].refusals[0].find("File not found"), std::string::npos);
    EXPECT_NE(FileDialogLog()[0].refusals[1].find("Path does not exist"), std::string::npos);

    // A save dialog takes a new name, but not in a folder that does not exist.
    AsSave("");
    FileDialogScriptSet({Choose("nofolder/new.wav"), Choose("new.wav")});
    ASSERT_TRUE(GetSaveFileNameA(&ofn));
    EXPECT_STREQ(file, temp.file("new.wav").c_str());
    EXPECT_EQ(FileDialogLog()[1].refusals.size(), 1u);

    // Without OFN_PATHMUSTEXIST the folder is the caller's business.
    AsSave("");
    ofn.Flags &= ~static_cast<DWORD>(OFN_PATHMUSTEXIST);
    FileDialogScriptSet({Choose("nofolder/new.wav")});
    ASSERT_TRUE(GetSaveFileNameA(&ofn));
    EXPECT_STREQ(file, temp.file("nofolder/new.wav").c_str());
}

TEST_F(FileDialogTest, ReplacingAnExistingFileIsAskedOnlyUnderTheOverwriteFlag)
{
    const std::string old = temp.makeFile("old.wav", 10);
    AsSave("old.wav");
    FileDialogScriptSet({Choose("old.wav", 0, false), Choose("old.wav", 2, true)});
    ASSERT_TRUE(GetSaveFileNameA(&ofn));
    EXPECT_STREQ(file, old.c_str());
    EXPECT_EQ(ofn.nFilterIndex, 2u);
    ASSERT_EQ(FileDialogLog()[0].refusals.size(), 1u);
    EXPECT_NE(FileDialogLog()[0].refusals[0].find("already exists"), std::string::npos);

    AsSave("old.wav");
    ofn.Flags &= ~static_cast<DWORD>(OFN_OVERWRITEPROMPT);
    FileDialogScriptSet({Choose("old.wav", 0, false)});
    ASSERT_TRUE(GetSaveFileNameA(&ofn));
    EXPECT_TRUE(FileDialogLog()[1].refusals.empty());
}

TEST_F(FileDialogTest, AProposedPathChoosesTheFolderAndRelativeAnswersLandThere)
{
    ASSERT_TRUE(std::filesystem::create_directory(temp.file("rec")));
    AsSave(temp.file("rec/cap001.wav"));
    ofn.lpstrInitialDir = nullptr;
    FileDialogScriptSet({Choose("other.wav")});
    ASSERT_TRUE(GetSaveFileNameA(&ofn));
    EXPECT_EQ(file, temp.file("rec") + TempDir::Separator + "other.wav");
    EXPECT_EQ(FileDialogLog()[0].file, temp.file("rec/cap001.wav"));
    EXPECT_EQ(FileDialogLog()[0].initialDir, "");
}

TEST_F(FileDialogTest, InjectedFailuresAndBadRecords)
{
    AsOpen(1);
    FileDialogScriptSet({Choose("a.tmp")});
    FaultInject("GetOpenFileNameA", 1, CDERR_DIALOGFAILURE);
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_DIALOGFAILURE));
    EXPECT_TRUE(FileDialogLog().empty());

    ofn.lStructSize = 12;
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_NE(CommDlgExtendedError(), 0u);

    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = reinterpret_cast<HWND>(static_cast<uintptr_t>(0xdead));
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_DIALOGFAILURE));
}
