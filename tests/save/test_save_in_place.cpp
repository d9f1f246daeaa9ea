#include "support/save_fixture.h"

#include "save/save_in_place.h"

namespace fs = std::filesystem;

namespace {

class SaveInPlaceTest : public SaveTest {
  protected:
    void SaveInPlace(const std::string& target,
                     std::vector<ScriptedAnswer> boxes = {{IDYES, nullptr}, {IDOK, nullptr}})
    {
        FileDialogScriptSet({Choose(target)});
        MessageBoxScriptSet(std::move(boxes));
        Command(IDM_SAVE_IN_PLACE);
    }

    // The source's bytes with the header in the reserved region, cut to `length`.
    std::string Converted(uint64_t length) const
    {
        return (headerBytes + sourceBytes.substr(WavHeaderSize)).substr(0, length);
    }

    void ExpectEndedWithNoFile()
    {
        ExpectNoFileWindow();
        EXPECT_EQ(SourceFile.handle, nullptr);
        EXPECT_STREQ(SourceFile.path, "");
    }

    void ExpectErrorBox(DWORD code)
    {
        ASSERT_EQ(MessageBoxLog().size(), 2u); // the question, then the error
        EXPECT_EQ(LastBox().text, ErrorText(code));
        EXPECT_EQ(LastBox().type, static_cast<UINT>(MB_ICONERROR));
        EXPECT_EQ(LastBox().owner, dialog);
    }
};

TEST_F(SaveInPlaceTest, WritesTheHeaderKeepsTheLengthAndRenames)
{
    OpenSource("cap001.tmp", 1000003);
    SaveInPlace(temp.file("cap001.wav"));
    ASSERT_GE(MessageBoxLog().size(), 1u);
    EXPECT_EQ(MessageBoxLog()[0].text, "Source file will be changed and renamed. Are you sure?");
    EXPECT_EQ(MessageBoxLog()[0].type, 36u);
    ASSERT_EQ(FileDialogLog().size(), 1u);
    EXPECT_EQ(FileDialogLog()[0].flags, 0x80006u);
    EXPECT_EQ(FileDialogLog()[0].file, temp.file("cap001.wav"));
    EXPECT_EQ(FileDialogLog()[0].initialDir, temp.path());
    EXPECT_FALSE(Exists(sourcePath));
    // 999,956 data bytes and a RIFF size of 999,992; the last 3 bytes stay behind the data.
    const std::string result = ReadWholeFile(temp.file("cap001.wav"));
    EXPECT_EQ(result, Converted(1000003));
    EXPECT_EQ(result.substr(4, 4), std::string("\x38\x42\x0F\x00", 4));
    EXPECT_EQ(result.substr(40, 4), std::string("\x14\x42\x0F\x00", 4));
    ExpectCreatedBox(temp.file("cap001.wav"));
    ExpectEndedWithNoFile();
}

TEST_F(SaveInPlaceTest, AnOversizeFileIsCutCheaply)
{
    OpenSource("big.tmp", 4294967292ull + 4099);
    ASSERT_EQ(SourceFile.oversize, 1u);
    SaveInPlace(temp.file("big.wav"));
    // The question says what is lost here and where the whole recording is kept.
    ASSERT_GE(MessageBoxLog().size(), 1u);
    EXPECT_EQ(MessageBoxLog()[0].text,
              "Source file will be changed, cut to 4 294 967 292 bytes and renamed. Save as keeps "
              "the whole recording (RF64 waveform). Are you sure?");
    EXPECT_EQ(MessageBoxLog()[0].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(SizeOf(temp.file("big.wav")), 4294967292ull);
    const std::string start = Contents(temp.file("big.wav"), 100);
    EXPECT_EQ(start, Converted(100));
    ExpectCreatedBox(temp.file("big.wav"));
    ExpectEndedWithNoFile();
}

TEST_F(SaveInPlaceTest, NoOrCancelChangesNothing)
{
    OpenSource("cap.tmp", 5000);
    MessageBoxScriptSet({{IDNO, nullptr}});
    Command(IDM_SAVE_IN_PLACE);
    EXPECT_TRUE(FileDialogLog().empty());
    ExpectSourceStillOpen();

    FileDialogScriptSet({Choose("")});
    MessageBoxScriptSet({{IDYES, nullptr}});
    Command(IDM_SAVE_IN_PLACE);
    EXPECT_EQ(FileDialogLog().size(), 1u);
    ExpectSourceStillOpen();
}

TEST_F(SaveInPlaceTest, ReplacesAConfirmedExistingFile)
{
    OpenSource("cap.tmp", 5000);
    const std::string target = temp.makeFile("old.wav", 99);
    SaveInPlace(target);
    EXPECT_EQ(ReadWholeFile(target), Converted(5000));
    EXPECT_FALSE(Exists(sourcePath));
    ExpectCreatedBox(target);
}

TEST_F(SaveInPlaceTest, TheSourcesOwnPathNeedsNoRename)
{
    for (const char* spelling : {"", "/./"}) {
        SCOPED_TRACE(spelling);
        MessageBoxLogClear();
        OpenSource("cap.tmp", 5000);
        const std::string target =
            spelling[0] == '\0' ? sourcePath : temp.path() + spelling + "cap.tmp";
        SaveInPlace(target);
        EXPECT_EQ(Contents(sourcePath), Converted(5000));
        ExpectCreatedBox(target);
        ExpectEndedWithNoFile();
    }
}

TEST_F(SaveInPlaceTest, ARenameThatCannotBeMadeLeavesTheHeaderUnderTheOldName)
{
    OpenSource("cap.tmp", 5000);
    SaveInPlace(temp.file("missing/cap.wav"));
    ExpectErrorBox(ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(Contents(sourcePath), Converted(5000));
    ExpectEndedWithNoFile();
}

// A rename cannot cross file systems: a name on another disk is refused before the header is
// written, and the file stays open as it was.
TEST_F(SaveInPlaceTest, ANameOnAnotherFileSystemIsRefusedBeforeAnythingChanges)
{
#ifdef _WIN32
    const std::string other = "Z:\\dev\\shm"; // Wine's drive for the Linux root: a tmpfs
    const std::string separator = "\\";
#else
    const std::string other = "/dev/shm";
    const std::string separator = "/";
#endif
    std::error_code error;
    if (!fs::is_directory(other, error)) {
        GTEST_SKIP() << "no second file system at " << other;
    }
    OpenSource("cap.tmp", 5000);
    BY_HANDLE_FILE_INFORMATION here;
    BY_HANDLE_FILE_INFORMATION there;
    ASSERT_TRUE(FileInformationOfPath(temp.path().c_str(), &here));
    ASSERT_TRUE(FileInformationOfPath(other.c_str(), &there));
    if (here.dwVolumeSerialNumber == there.dwVolumeSerialNumber) {
        GTEST_SKIP() << other << " is on the same file system";
    }
    const std::string target =
        other + separator + "salvorin-" + fs::path(temp.path()).filename().string() + ".wav";
    SaveInPlace(target);
    ASSERT_EQ(MessageBoxLog().size(), 2u); // the question, then the refusal
    EXPECT_EQ(LastBox().text, target + " is on another disk: the file was not changed. Rename it "
                                       "on its own disk or use Save as.");
    EXPECT_EQ(LastBox().type, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_FALSE(Exists(target));
    EXPECT_EQ(Contents(sourcePath), sourceBytes);
    ExpectSourceStillOpen();
    // On its own disk the same file converts.
    MessageBoxLogClear();
    SaveInPlace(temp.file("cap.wav"));
    EXPECT_EQ(ReadWholeFile(temp.file("cap.wav")), Converted(5000));
    ExpectCreatedBox(temp.file("cap.wav"));
}

struct FailureRow {
    const char* function;
    DWORD code;
    bool headerWritten;
    uint64_t lengthAfter; // of the file under its old name
};

TEST_F(SaveInPlaceTest, EveryFailureEndsWithNoFileAndTheOldName)
{
    constexpr uint64_t oversize = 4294967292ull + 8;
    const FailureRow rows[] = {
        {"CreateFileA", ERROR_SHARING_VIOLATION, false, oversize},
        {"WriteFile", ERROR_WRITE_FAULT, false, oversize},
        {"SetFilePointer", ERROR_INVALID_PARAMETER, true, oversize},
        {"SetEndOfFile", ERROR_DISK_FULL, true, oversize},
        {"FlushFileBuffers", ERROR_WRITE_FAULT, true, 4294967292ull},
        {"MoveFileExA", ERROR_ACCESS_DENIED, true, 4294967292ull},
    };
    int index = 0;
    for (const FailureRow& row : rows) {
        SCOPED_TRACE(row.function);
        OpenSource("cap" + std::to_string(index++) + ".tmp", oversize);
        const std::string target = temp.file("out.wav");
        MessageBoxLogClear();
        FaultInject(row.function, 1, row.code);
        SaveInPlace(target);
        FaultClearAll();
        ExpectErrorBox(row.code);
        EXPECT_FALSE(Exists(target));
        EXPECT_EQ(SizeOf(sourcePath), row.lengthAfter);
        const std::string start = Contents(sourcePath, 100);
        EXPECT_EQ(start, row.headerWritten ? Converted(100) : sourceBytes.substr(0, 100));
        ExpectEndedWithNoFile();
    }
}

TEST_F(SaveInPlaceTest, WhilePlayingTheQuestionsComeFirstAndAreNotAskedAgain)
{
    OpenSource("cap.tmp", 800000);
    StartPlaying();
    SaveInPlace(temp.file("cap.wav"));
    EXPECT_EQ(MessageBoxLog().size(), 1u);
    EXPECT_EQ(FileDialogLog().size(), 1u);
    EXPECT_EQ(PendingCommand, static_cast<UINT>(IDM_SAVE_IN_PLACE));
    EXPECT_EQ(Contents(sourcePath), sourceBytes);

    FileDialogScriptSet({});
    DrainPlayback();
    EXPECT_EQ(FileDialogLog().size(), 1u);
    EXPECT_EQ(ReadWholeFile(temp.file("cap.wav")), Converted(800000));
    ExpectCreatedBox(temp.file("cap.wav"));
    EXPECT_EQ(MessageBoxLog().size(), 2u); // the question once, then the success
    ExpectEndedWithNoFile();
}

} // namespace
