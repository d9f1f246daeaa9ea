#include "support/save_fixture.h"

#include <cstdio>

#include "save/save_as.h"
#ifndef _WIN32
#include "support/run_command.h" // the Linux side's readers
#endif

namespace fs = std::filesystem;

namespace {

class SaveAsTest : public SaveTest {
  protected:
    void SaveAs(const std::string& target, std::vector<ScriptedAnswer> boxes = {{IDOK, nullptr}},
                DWORD fileType = 0)
    {
        FileDialogAnswer answer = Choose(target);
        answer.filterIndex = fileType;
        FileDialogScriptSet({answer});
        MessageBoxScriptSet(std::move(boxes));
        Command(IDM_SAVE_AS);
    }

    void ExpectSaved(const std::string& target)
    {
        EXPECT_EQ(ReadWholeFile(target), ExpectedWav());
        EXPECT_EQ(Contents(sourcePath), sourceBytes);
        ExpectCreatedBox(target);
        ExpectNoFileWindow();
    }

    // Cancels from inside the Saving dialog once the target has `size` bytes (whole chunks,
    // or the whole target). The worker never waits for the dialog, so it is held at its next
    // write, or at the flush after its last chunk, until the Cancel has come through: the
    // cancel lands at a known point whatever the machine's speed.
    void CancelAtSize(uint64_t size, int how)
    {
        if (size % CopyChunkSize == 0) {
            HoldCopy("WriteFile", static_cast<int>(size / CopyChunkSize) + 1);
        } else {
            HoldCopy("FlushFileBuffers", 1);
        }
        OnNextModalLoop([this, size, how](HWND saving) {
            ASSERT_TRUE(WaitForSize(CopyBeside(temp.file("out.wav")), size));
            if (how == 0) {
                UserClick(GetDlgItem(saving, IDCANCEL));
            } else if (how == 1) {
                UserPressKey(saving, PlatformKeyEscape);
            } else {
                UserCloseWindow(saving);
            }
        });
        SaveAs(temp.file("out.wav"), {});
    }

    // Hidden files in the target's folder: a copy that did not replace its target.
    static std::string LeftBeside(const std::string& target)
    {
        std::string left;
        for (const fs::directory_entry& entry :
             fs::directory_iterator(fs::path(target).parent_path())) {
            const std::string name = entry.path().filename().string();
            if (name[0] == '.') {
                left += name + " ";
            }
        }
        return left;
    }

    void ExpectCancelled()
    {
        EXPECT_TRUE(MessageBoxLog().empty());
        EXPECT_FALSE(Exists(temp.file("out.wav")));
        ExpectSourceStillOpen();
        // A second Save as starts again from the first data byte.
        MessageBoxLogClear();
        SaveAs(temp.file("again.wav"));
        ExpectSaved(temp.file("again.wav"));
    }
};

TEST_F(SaveAsTest, SmallestFileProposesTheWavNameAndEmptiesTheWindow)
{
    OpenSource("cap001.tmp", 51);
    SaveAs(temp.file("cap001.wav"));
    ASSERT_EQ(FileDialogLog().size(), 1u);
    const FileDialogRecord& shown = FileDialogLog()[0];
    EXPECT_EQ(shown.call, FileDialogCall::Save);
    EXPECT_EQ(shown.owner, dialog);
    EXPECT_EQ(shown.file, temp.file("cap001.wav"));
    EXPECT_EQ(shown.initialDir, temp.path());
    EXPECT_EQ(shown.flags, 0x80806u);
    EXPECT_EQ(shown.filterIndex, 0u);
    EXPECT_EQ(shown.filter, (std::vector<std::string>{"Windows waveform (*.wav)", "*.wav",
                                                      "All files (*.*)", "*.*"}));
    EXPECT_EQ(SizeOf(temp.file("cap001.wav")), 48u); // the last 3 bytes are not copied
    ExpectSaved(temp.file("cap001.wav"));
    EXPECT_EQ(MessageBoxLog().size(), 1u);
}

TEST_F(SaveAsTest, CopiesAcrossChunkBoundariesByteForByte)
{
    for (uint64_t size :
         {uint64_t{131116}, uint64_t{65540}, uint64_t{1000003}, uint64_t{6u << 20}}) {
        SCOPED_TRACE(size);
        MessageBoxLogClear();
        OpenSource("src" + std::to_string(size) + ".tmp", size);
        const std::string target = temp.file("out" + std::to_string(size) + ".wav");
        SaveAs(target);
        ExpectSaved(target);
    }
}

// The system's save dialog fails with FNERR_BUFFERTOOSMALL for a path too long for its
// buffer (and leaves the size it needed in it): the user is told, and the dialog comes back
// with the proposed name.
TEST_F(SaveAsTest, APathTooLongForTheDialogIsRefusedAndTheDialogComesBack)
{
    const std::string tooLong =
        "The path is too long: at most 259 bytes.\nChoose a shorter name or folder.";
    OpenSource("cap.tmp", 70000);
    FaultInject("GetSaveFileNameA", 1, FNERR_BUFFERTOOSMALL);
    SaveAs(temp.file("out.wav"), {{IDOK, nullptr}, {IDOK, nullptr}});
    ASSERT_EQ(MessageBoxLog().size(), 2u);
    EXPECT_EQ(MessageBoxLog()[0].text, tooLong);
    EXPECT_EQ(MessageBoxLog()[0].owner, dialog);
    EXPECT_EQ(FaultCallCount("GetSaveFileNameA"), 2);
    ExpectSaved(temp.file("out.wav"));

#ifdef _WIN32 // (the Qt dialog refuses such a name itself and stays up)
    // A name typed past the buffer's end: the system's dialog wrote the size it needed
    // over the proposal, which the dialog that comes back shows whole again.
    MessageBoxLogClear();
    FileDialogLogClear();
    OpenSource("cap2.tmp", 70000);
    FileDialogScriptSet({Choose(std::string(300, 'n') + ".wav"), Choose(temp.file("out2.wav"))});
    MessageBoxScriptSet({{IDOK, nullptr}, {IDOK, nullptr}});
    Command(IDM_SAVE_AS);
    ASSERT_EQ(FileDialogLog().size(), 2u);
    EXPECT_EQ(MessageBoxLog()[0].text, tooLong);
    EXPECT_EQ(FileDialogLog()[1].file, temp.file("cap2.wav"));
    ExpectSaved(temp.file("out2.wav"));
#endif
}

TEST_F(SaveAsTest, ReplacesAnExistingTarget)
{
    OpenSource("cap.tmp", 200000);
    const std::string target = temp.makeFile("old.wav", 5000000);
    SaveAs(target);
    ExpectSaved(target);
}

TEST_F(SaveAsTest, RefusesTheSourceUnderEverySpelling)
{
    OpenSource("cap.tmp", 70000);
    fs::create_directory(temp.file("sub"));
    fs::create_hard_link(sourcePath, temp.file("hard.wav"));
    std::string upper = sourcePath;
    upper.replace(upper.size() - 7, 7, "CAP.TMP");
    std::vector<std::string> spellings = {sourcePath, upper, temp.path() + "/./cap.tmp",
                                          temp.path() + "/sub/../cap.tmp", temp.file("hard.wav")};
#ifndef _WIN32
    // (Windows makes symbolic links only with a privilege a user does not have by default.)
    fs::create_symlink(sourcePath, temp.file("link.wav"));
    fs::create_symlink("cap.tmp", temp.file("relative-link.wav"));
    spellings.push_back(temp.file("link.wav"));
    spellings.push_back(temp.file("relative-link.wav"));
#endif
    for (const std::string& spelling : spellings) {
        SCOPED_TRACE(spelling);
        MessageBoxLogClear();
        SaveAs(spelling);
        ASSERT_EQ(MessageBoxLog().size(), 1u);
        EXPECT_EQ(LastBox().text, "You cannot save this file with the same name.");
        EXPECT_EQ(LastBox().type, 48u);
        EXPECT_EQ(LastBox().owner, dialog);
        ExpectSourceStillOpen();
#ifndef _WIN32
        EXPECT_TRUE(fs::is_symlink(temp.file("link.wav")));
        EXPECT_EQ(ReadWholeFile(temp.file("hard.wav")), sourceBytes);
#endif
    }
#ifndef _WIN32
    EXPECT_EQ(fs::hard_link_count(sourcePath), 2u); // Wine counts one link whatever there are
#endif
}

#ifndef _WIN32
// In the real save dialog, a link to the source typed at once and taken with Return is
// refused as the source itself, after the replace question. (The Linux flavour's own dialog;
// on Windows the dialog is the system's.)
TEST_F(SaveAsTest, ALinkToTheSourceTypedIntoTheRealDialogIsRefused)
{
    OpenSource("cap.tmp", 70000);
    fs::create_symlink(sourcePath, temp.file("link.wav"));
    FileDialogScriptClear();
    const std::string typed = temp.file("link.wav");
    OnNextFileDialog([typed] {
        FileDialogUserType(typed.c_str());
        FileDialogUserPressReturn();
        FileDialogUserAnswer(true);
        FileDialogUserCancel(); // only if Return was ignored
    });
    MessageBoxScriptSet({{IDOK, nullptr}});
    Command(IDM_SAVE_AS);
    ASSERT_EQ(MessageBoxLog().size(), 1u);
    EXPECT_EQ(LastBox().text, "You cannot save this file with the same name.");
    EXPECT_TRUE(fs::is_symlink(typed));
    ExpectSourceStillOpen();
}

#endif

TEST_F(SaveAsTest, CancellingTheSaveDialogChangesNothing)
{
    OpenSource("cap.tmp", 70000);
    FileDialogScriptSet({Choose("")});
    MessageBoxScriptSet({});
    Command(IDM_SAVE_AS);
    EXPECT_EQ(FileDialogLog().size(), 1u);
    EXPECT_TRUE(MessageBoxLog().empty());
    EXPECT_FALSE(Exists(temp.file("cap.wav")));
    ExpectSourceStillOpen();
}

TEST_F(SaveAsTest, CancelWhileTheFirstChunkIsWritten)
{
    OpenSource("cap.tmp", 131116);
    CancelAtSize(65536, 0);
    ExpectCancelled();
}

TEST_F(SaveAsTest, CancelMidwayByButtonEscapeOrCloseBox)
{
    for (int how : {0, 1, 2}) {
        SCOPED_TRACE(how);
        MessageBoxLogClear();
        OpenSource("cap" + std::to_string(how) + ".tmp", 8u << 20);
        // After the first of 128 chunks, far from the end.
        CancelAtSize(65536, how);
        ExpectCancelled();
    }
}

// A copy is written beside its target under a hidden name and renamed only when complete:
// a cancel keeps an old target, a hidden copy another writer holds is not touched, and one
// nobody holds (left by a run that was ended) is removed by the next Save as to that name.
TEST_F(SaveAsTest, ACancelledReplacementKeepsTheOldTargetAndLeftoversGo)
{
    OpenSource("cap.tmp", 300000);
    const std::string target = temp.makeFile("out.wav", 5000);
    const std::string oldTarget = ReadWholeFile(target);
    const std::string held = temp.makeFile(".out.wav.1.part", 10);
    HANDLE writer = CreateFileA(held.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    const std::string leftover = temp.makeFile(".out.wav.2.part", 20);
    HoldCopy("WriteFile", 2);
    OnNextModalLoop([this](HWND saving) {
        ASSERT_TRUE(WaitForSize(CopyBeside(temp.file("out.wav"), 2), 65536));
        UserClick(GetDlgItem(saving, IDCANCEL));
    });
    SaveAs(target, {});
    EXPECT_TRUE(MessageBoxLog().empty());
    EXPECT_EQ(ReadWholeFile(target), oldTarget);
    EXPECT_EQ(LeftBeside(target), ".out.wav.1.part ");
    ExpectSourceStillOpen();

    ASSERT_TRUE(CloseHandle(writer));
    MessageBoxLogClear();
    SaveAs(target);
    ExpectSaved(target);
    EXPECT_EQ(LeftBeside(target), "");
}

TEST_F(SaveAsTest, CancelAfterTheLastChunkCountsAsCancelled)
{
    OpenSource("cap.tmp", 50000);
    CancelAtSize(50000, 0);
    ExpectCancelled();
}

// One row of the failure table: the fault, and the boxes it must give.
struct FailureRow {
    const char* function;
    int nth;
    DWORD code;
    bool oldTargetStays; // a target that existed before is still there, unchanged
    bool boxOverSaving;  // the error box is owned by the Saving dialog
};

TEST_F(SaveAsTest, EveryFailureIsOneBoxAndLeavesTheSourceReady)
{
    const FailureRow rows[] = {
        // An existing target is replaced only by a complete copy: every failure keeps it.
        {"SetFilePointer", 1, ERROR_INVALID_HANDLE, true, false},
        {"CreateFileA", 1, ERROR_ACCESS_DENIED, true, false},
        {"CreateThread", 1, ERROR_NOT_ENOUGH_MEMORY, true, true},
        {"WriteFile", 1, ERROR_WRITE_FAULT, true, true}, // the header's chunk
        {"ReadFile", 1, ERROR_READ_FAULT, true, true},
        {"ReadFile", 3, ERROR_READ_FAULT, true, true},
        {"WriteFile", 3, ERROR_DISK_FULL, true, true},
        {"FlushFileBuffers", 1, ERROR_DISK_FULL, true, true},
        {"MoveFileExA", 1, ERROR_ACCESS_DENIED, true, false}, // the final replace
    };
    int index = 0;
    for (const FailureRow& row : rows) {
        SCOPED_TRACE(std::string(row.function) + " " + std::to_string(row.nth));
        OpenSource("cap" + std::to_string(index) + ".tmp", 300000);
        const std::string target = temp.makeFile("out" + std::to_string(index) + ".wav", 1234);
        const std::string oldTarget = ReadWholeFile(target);
        ++index;
        MessageBoxLogClear();
        FaultClearAll();
        FaultInject(row.function, row.nth, row.code);
        SaveAs(target);
        FaultClearAll();
        ASSERT_EQ(MessageBoxLog().size(), 1u);
        EXPECT_EQ(LastBox().text, ErrorText(row.code));
        EXPECT_EQ(LastBox().type, static_cast<UINT>(MB_ICONERROR));
        EXPECT_EQ(LastBox().caption, "Salvorin");
        if (row.boxOverSaving) {
            EXPECT_NE(LastBox().owner, dialog);
            EXPECT_NE(LastBox().owner, nullptr);
        } else {
            EXPECT_EQ(LastBox().owner, dialog);
        }
        EXPECT_EQ(CurrentOwnerWindow, dialog);
        if (row.oldTargetStays) {
            EXPECT_EQ(ReadWholeFile(target), oldTarget);
        } else {
            EXPECT_FALSE(Exists(target));
        }
        EXPECT_EQ(LeftBeside(target), "");
        ExpectSourceStillOpen();
        MessageBoxLogClear();
        SaveAs(target);
        ExpectSaved(target);
    }
}

TEST_F(SaveAsTest, AShortReadIsAReadFailure)
{
#ifdef _WIN32
    GTEST_SKIP() << "no other opener can cut the file: Windows refuses it while the program "
                    "holds the file unshared";
#endif
    OpenSource("cap.tmp", 300000);
    fs::resize_file(sourcePath, 100000); // someone else cut the file
    SaveAs(temp.file("out.wav"));
    ASSERT_EQ(MessageBoxLog().size(), 1u);
    EXPECT_NE(LastBox().owner, dialog);
    EXPECT_EQ(LastBox().type, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(LastBox().text, ErrorText(ERROR_HANDLE_EOF));
    EXPECT_FALSE(Exists(temp.file("out.wav")));
    EXPECT_TRUE(IsSourceFileOpen());
}

TEST_F(SaveAsTest, APartialCopyThatCannotBeDeletedStaysHiddenWithASecondBox)
{
    OpenSource("cap.tmp", 300000);
    FaultInject("WriteFile", 2, ERROR_DISK_FULL);
    FaultInject("DeleteFileA", 1, ERROR_ACCESS_DENIED);
    SaveAs(temp.file("out.wav"), {{IDOK, nullptr}, {IDOK, nullptr}});
    ASSERT_EQ(MessageBoxLog().size(), 2u);
    EXPECT_EQ(MessageBoxLog()[0].text, ErrorText(ERROR_DISK_FULL));
    EXPECT_NE(MessageBoxLog()[0].owner, dialog);
    EXPECT_EQ(MessageBoxLog()[1].text, ErrorText(ERROR_ACCESS_DENIED));
    EXPECT_EQ(MessageBoxLog()[1].owner, dialog);
    EXPECT_EQ(SizeOf(CopyBeside(temp.file("out.wav"))), 65536u);
    EXPECT_FALSE(Exists(temp.file("out.wav")));
    EXPECT_TRUE(IsSourceFileOpen());
}

TEST_F(SaveAsTest, WhilePlayingTheDialogComesFirstAndTheRerunDoesNotAskAgain)
{
    OpenSource("cap.tmp", 800000);
    StartPlaying();
    SaveAs(temp.file("out.wav"));
    EXPECT_EQ(FileDialogLog().size(), 1u);
    EXPECT_EQ(PendingCommand, static_cast<UINT>(IDM_SAVE_AS));
    EXPECT_FALSE(Exists(temp.file("out.wav")));
    EXPECT_TRUE(MessageBoxLog().empty());
    // Once the device is closed the engine posts the command again; it asks nothing.
    FileDialogScriptSet({});
    DrainPlayback();
    EXPECT_EQ(FileDialogLog().size(), 1u);
    ExpectSaved(temp.file("out.wav"));
}

TEST_F(SaveAsTest, ARefusedSourceIsCaughtBeforeTheDeferral)
{
    OpenSource("cap.tmp", 800000);
    StartPlaying();
    fs::create_hard_link(sourcePath, temp.file("hard.wav"));
    SaveAs(temp.file("hard.wav"));
    EXPECT_EQ(PendingCommand, 0u);
    EXPECT_TRUE(IsPlaying());
    ASSERT_EQ(MessageBoxLog().size(), 1u);
    EXPECT_EQ(LastBox().text, "You cannot save this file with the same name.");
}

TEST_F(SaveAsTest, OversizeSourceIsCutToTheLargestLength)
{
    if (getenv("SALVORIN_LONG_TESTS") == nullptr) {
        GTEST_SKIP() << "writes 4 GiB; set SALVORIN_LONG_TESTS to run";
    }
    OpenSource("big.tmp", 4294967292ull + 4096);
    ASSERT_EQ(SourceFile.effectiveLength, 4294967292u);
    SaveAs(temp.file("big.wav"));
    EXPECT_EQ(SizeOf(temp.file("big.wav")), 4294967292ull);
    ExpectCreatedBox(temp.file("big.wav"));
}

// A source of 4 GiB + 1 MiB of data (sparse), whose last MiB holds bytes of its own.
constexpr uint64_t WholeDataSize = 0x100000000ull + 0x100000;
constexpr uint64_t TailSize = 0x100000;

unsigned char TailByte(uint64_t i)
{
    return static_cast<unsigned char>((i * 13 + 5) & 0xFF);
}

TEST_F(SaveAsTest, OnlyAnOversizeSourceIsOfferedTheWholeRecording)
{
    const std::vector<std::string> plain = {"Windows waveform (*.wav)", "*.wav", "All files (*.*)",
                                            "*.*"};
    const std::vector<std::string> both = {
        "Windows waveform (*.wav)", "*.wav", "RF64 waveform, whole recording (*.wav)", "*.wav",
        "All files (*.*)",          "*.*"};
    OpenSource("big.tmp", 44 + WholeDataSize);
    SaveAs("", {});
    OpenSource("edge.tmp", 4294967292ull);
    SaveAs("", {});
    ASSERT_EQ(FileDialogLog().size(), 2u);
    EXPECT_EQ(FileDialogLog()[0].filter, both);
    EXPECT_EQ(FileDialogLog()[1].filter, plain);

    // Within 4 GiB the second type is "All files": a plain WAV, not RF64.
    OpenSource("cap.tmp", 70000);
    SaveAs(temp.file("out.wav"), {{IDOK, nullptr}}, 2);
    ExpectSaved(temp.file("out.wav"));
}

// The worker writes RF64's header and then the data 36 bytes further on than in the source;
// a Cancel after the first chunk still leaves no target.
TEST_F(SaveAsTest, AWholeCopyStartsWithTheRf64HeaderAndCancelsCleanly)
{
    OpenSource("big.tmp", 44 + WholeDataSize);
    Rf64Header header;
    BuildRf64Header(&header);
    std::string firstChunk;
    HoldCopy("WriteFile", 2);
    OnNextModalLoop([this, &firstChunk](HWND saving) {
        ASSERT_TRUE(WaitForSize(CopyBeside(temp.file("out.wav")), CopyChunkSize));
        firstChunk = Contents(CopyBeside(temp.file("out.wav")), CopyChunkSize);
        UserClick(GetDlgItem(saving, IDCANCEL));
    });
    SaveAs(temp.file("out.wav"), {}, WholeRecordingFilterIndex);
#ifndef _WIN32
    // (On Windows the copy is held unshared while it is written: nobody else can read it.)
    EXPECT_EQ(firstChunk, std::string(reinterpret_cast<const char*>(header.bytes), Rf64HeaderSize) +
                              sourceBytes.substr(44, CopyChunkSize - Rf64HeaderSize));
#endif
    EXPECT_TRUE(MessageBoxLog().empty());
    EXPECT_FALSE(Exists(temp.file("out.wav")));
    EXPECT_TRUE(IsSourceFileOpen());
}

// The box names the sound kept: the figure a reader finds in the data chunk (ds64's data
// size), not the file's size with the reserved bytes and the rounding's 0 to 3 bytes.
TEST_F(SaveAsTest, TheWholeCopysBoxNamesTheBytesOfSoundKept)
{
    OpenSource("big.tmp", 0x100000001ull); // 4 GiB and 1 byte
    Rf64Header header;
    BuildRf64Header(&header);
    uint64_t dataChunkSize = 0;
    for (int i = 7; i >= 0; --i) { // ds64's data size, little-endian, at offset 28
        dataChunkSize = dataChunkSize << 8 | header.bytes[28 + i];
    }
    EXPECT_EQ(dataChunkSize, 4294967252u);

    lstrcpynA(CopyTargetPath, temp.file("big.wav").c_str(), MAX_PATH);
    CopyKeepsWhole = 1;
    MessageBoxScriptSet({{IDOK, nullptr}});
    ReportCopyCreated();
    CopyKeepsWhole = 0;
    EXPECT_EQ(LastBox().text, "File " + temp.file("big.wav") +
                                  " is successfully created. Nothing was cut: all 4 294 967 252 "
                                  "bytes of the recording are kept (RF64).");
    EXPECT_EQ(LastBox().type, static_cast<UINT>(MB_ICONINFORMATION));
}

TEST_F(SaveAsTest, AnOversizeSourceIsSavedWholeAsRf64)
{
    if (getenv("SALVORIN_LONG_TESTS") == nullptr) {
        GTEST_SKIP() << "writes 4 GiB; set SALVORIN_LONG_TESTS to run";
    }
    const uint64_t targetSize = Rf64HeaderSize + WholeDataSize;
    std::error_code error;
    const fs::space_info space = fs::space(temp.path(), error);
    if (error || space.available < targetSize + (1ull << 30)) {
        GTEST_SKIP() << "writes 4 GiB; " << temp.path() << " has " << (space.available >> 20)
                     << " MiB free";
    }
    const std::string source = temp.makeFile("big.tmp", 44 + WholeDataSize);
    std::string tail(TailSize, '\0');
    for (uint64_t i = 0; i < TailSize; ++i) {
        tail[i] = static_cast<char>(TailByte(i));
    }
    {
        std::fstream out(source, std::ios::binary | std::ios::in | std::ios::out);
        out.seekp(static_cast<std::streamoff>(44 + WholeDataSize - TailSize));
        out.write(tail.data(), static_cast<std::streamsize>(TailSize));
        ASSERT_TRUE(out.good());
    }
    sourceBytes = Contents(source, 1u << 20);
    OpenSourceFile(source.c_str());
    ASSERT_EQ(SourceFile.oversize, 1u);
    Rf64Header header;
    BuildRf64Header(&header);

    const std::string target = temp.file("big.wav");
    SaveAs(target, {{IDOK, nullptr}}, WholeRecordingFilterIndex);
    ASSERT_EQ(SizeOf(target), targetSize);
    EXPECT_EQ(LastBox().text, "File " + target +
                                  " is successfully created. Nothing was cut: all 4 296 015 872 "
                                  "bytes of the recording are kept (RF64).");
    ExpectNoFileWindow();
    const std::string start = Contents(target, 1u << 20);
    EXPECT_EQ(start.substr(0, Rf64HeaderSize),
              std::string(reinterpret_cast<const char*>(header.bytes), Rf64HeaderSize));
    EXPECT_TRUE(start.substr(Rf64HeaderSize) ==
                sourceBytes.substr(44, (1u << 20) - Rf64HeaderSize));
    {
        std::ifstream in(target, std::ios::binary);
        in.seekg(static_cast<std::streamoff>(targetSize - TailSize));
        std::string end(TailSize, '\0');
        in.read(end.data(), static_cast<std::streamsize>(TailSize));
        EXPECT_TRUE(in.gcount() == static_cast<std::streamsize>(TailSize) && end == tail)
            << "the last MiB differs";
    }

#ifndef _WIN32 // the readers are Linux programs
    // Readers that are not ours: the whole length, in frames, and the format.
    const uint64_t frames = WholeDataSize / 4;
    std::string sox;
    EXPECT_EQ(RunCommand("sox --i '" + target + "'", &sox), 0) << sox;
    EXPECT_NE(sox.find("Channels       : 2"), std::string::npos) << sox;
    EXPECT_NE(sox.find("Sample Rate    : 44100"), std::string::npos) << sox;
    EXPECT_NE(sox.find("= " + std::to_string(frames) + " samples"), std::string::npos) << sox;
    std::string probe;
    EXPECT_EQ(RunCommand("ffprobe -v error -show_entries stream=codec_name,sample_rate,channels,"
                         "duration_ts -of default=noprint_wrappers=1 '" +
                             target + "'",
                         &probe),
              0)
        << probe;
    EXPECT_NE(probe.find("codec_name=pcm_s16le"), std::string::npos) << probe;
    EXPECT_NE(probe.find("sample_rate=44100"), std::string::npos) << probe;
    EXPECT_NE(probe.find("channels=2"), std::string::npos) << probe;
    EXPECT_NE(probe.find("duration_ts=" + std::to_string(frames)), std::string::npos) << probe;
#endif
    fs::remove(target);
}

} // namespace
