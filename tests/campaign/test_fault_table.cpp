// Every way a command can fail, in one table: each row makes one platform call fail through
// the seams (or sets up the situation the row names), runs the command as the user would,
// and checks the one box the user sees, what is left of their files and window, and that
// the next command works.
#include <cctype>
#include <iterator>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "campaign/campaign_fixture.h"
#include "save/save_as.h"

namespace fs = std::filesystem;

namespace {

enum class Action {
    OpenAnother,  // File > Open of a second file while one is open
    OpenDirectly, // the open of a path no file dialog would return (folder, FIFO)
    SaveAs,
    SaveInPlace,
    PlayStart,  // the fault hits while Play starts the device
    PlayRefill, // the fault hits a refill, after the first second has played
    PlayStop,   // the fault hits Stop and the close that follows
};

enum class Box {
    Error,           // one error box on the main dialog
    ErrorOverSaving, // one error box owned by the Saving dialog
    TwoErrors,       // over the Saving dialog, then on the main dialog
    SameName,        // the same-name prompt
    Small,           // "File is small."
    AnyError,        // one error box whose text the platform chooses
    None,
};

enum class Source {
    Kept,       // the temporary file is open and byte for byte as it was
    HeaderOnly, // closed; the header is in its reserved region, the length unchanged
    Untouched,  // closed, not a byte changed (the failure came before the header)
    Cut,        // closed, header written and cut to the largest length
};

// PartialBeside: the old target kept, the partial copy left beside it.
enum class Target { Absent, OldKept, PartialBeside, NotApplicable };

struct Row {
    const char* name;
    Action action;
    const char* function; // the platform call made to fail, or null
    int nth;
    DWORD code;
    int32_t kind;
    Box box;
    Source source;
    Target target;
    const char* alsoFails = nullptr; // a second call made to fail in the same run
    DWORD alsoCode = 0;
    int alsoNth = 1;
    uint64_t sourceSize = 0; // 0: the action's usual size
};

constexpr int32_t Sys = ErrorKindSystem;
constexpr int32_t Mm = ErrorKindMultimedia;
constexpr uint64_t Oversize = 4294967292ull + 10;
// Enough data for the target's first two 16 MiB windows to be written behind; the window
// shows it as "33 619 968".
constexpr uint64_t TwoWindows = (32ull << 20) + 65536;

const Row Rows[] = {
    // The temporary file.
    {"open: CreateFile fails", Action::OpenAnother, "CreateFileA", 1, ERROR_ACCESS_DENIED, Sys,
     Box::Error, Source::Kept, Target::NotApplicable},
    {"open: GetFileSize fails", Action::OpenAnother, "GetFileSize", 1, ERROR_INVALID_HANDLE, Sys,
     Box::Error, Source::Kept, Target::NotApplicable},
    {"open: shorter than 48 bytes", Action::OpenAnother, nullptr, 0, 0, Sys, Box::Small,
     Source::Kept, Target::NotApplicable},
    {"open: longer than 4,294,967,292 bytes opens cut", Action::OpenAnother, nullptr, 0, 0, Sys,
     Box::None, Source::Kept, Target::NotApplicable},
    {"open (mend): another opener holds the file", Action::OpenAnother, "CreateFileA", 1,
     ERROR_SHARING_VIOLATION, Sys, Box::Error, Source::Kept, Target::NotApplicable},
    {"open (mend): a folder is refused", Action::OpenDirectly, nullptr, 0, 0, Sys, Box::AnyError,
     Source::Kept, Target::NotApplicable},
    {"open (mend): a FIFO is refused without blocking", Action::OpenDirectly, nullptr, 1, 0, Sys,
     Box::AnyError, Source::Kept, Target::NotApplicable},

    // Save as copy.
    {"save as: target is the source", Action::SaveAs, nullptr, 0, 0, Sys, Box::SameName,
     Source::Kept, Target::NotApplicable},
    {"save as: seek the source", Action::SaveAs, "SetFilePointer", 1, ERROR_INVALID_HANDLE, Sys,
     Box::Error, Source::Kept, Target::OldKept},
    // A confirmed existing target is replaced only by a complete copy, made beside it.
    {"save as (mend): create the copy beside the old target", Action::SaveAs, "CreateFileA", 1,
     ERROR_ACCESS_DENIED, Sys, Box::Error, Source::Kept, Target::OldKept},
    {"save as: start the worker", Action::SaveAs, "CreateThread", 1, ERROR_NOT_ENOUGH_MEMORY, Sys,
     Box::ErrorOverSaving, Source::Kept, Target::OldKept},
    {"save as: write the header", Action::SaveAs, "WriteFile", 1, ERROR_WRITE_FAULT, Sys,
     Box::ErrorOverSaving, Source::Kept, Target::OldKept},
    {"save as: read the first chunk", Action::SaveAs, "ReadFile", 1, ERROR_READ_FAULT, Sys,
     Box::ErrorOverSaving, Source::Kept, Target::OldKept},
    {"save as: read a later chunk", Action::SaveAs, "ReadFile", 3, ERROR_READ_FAULT, Sys,
     Box::ErrorOverSaving, Source::Kept, Target::OldKept},
    {"save as: write a later chunk", Action::SaveAs, "WriteFile", 3, ERROR_DISK_FULL, Sys,
     Box::ErrorOverSaving, Source::Kept, Target::OldKept},
    {"save as: delete the partial copy", Action::SaveAs, "WriteFile", 2, ERROR_DISK_FULL, Sys,
     Box::TwoErrors, Source::Kept, Target::PartialBeside, "DeleteFileA", ERROR_ACCESS_DENIED},
    {"save as (mend): the flush reports a late write error", Action::SaveAs, "FlushFileBuffers", 1,
     ERROR_DISK_FULL, Sys, Box::ErrorOverSaving, Source::Kept, Target::OldKept},
    // The target goes to the disk as it is written: a write-back that fails is the write's.
    {"save as: the write-back of a finished window", Action::SaveAs, "sync_file_range", 1,
     ERROR_WRITE_FAULT, Sys, Box::ErrorOverSaving, Source::Kept, Target::OldKept, nullptr, 0, 1,
     TwoWindows},
    {"save as: the wait for the window before", Action::SaveAs, "sync_file_range", 3,
     ERROR_DISK_FULL, Sys, Box::ErrorOverSaving, Source::Kept, Target::OldKept, nullptr, 0, 1,
     TwoWindows},
    {"save as (mend): the complete copy replaces the old target", Action::SaveAs, "MoveFileExA", 1,
     ERROR_ACCESS_DENIED, Sys, Box::Error, Source::Kept, Target::OldKept},

    // Save in place and rename (on an oversize file, so that every step runs).
    {"in place (mend): reopen for writing, no file left open", Action::SaveInPlace, "CreateFileA",
     1, ERROR_SHARING_VIOLATION, Sys, Box::Error, Source::Untouched, Target::Absent},
    {"in place: write the header", Action::SaveInPlace, "WriteFile", 1, ERROR_WRITE_FAULT, Sys,
     Box::Error, Source::Untouched, Target::Absent},
    {"in place: move to the cut", Action::SaveInPlace, "SetFilePointer", 1, ERROR_INVALID_PARAMETER,
     Sys, Box::Error, Source::HeaderOnly, Target::Absent},
    {"in place: cut", Action::SaveInPlace, "SetEndOfFile", 1, ERROR_DISK_FULL, Sys, Box::Error,
     Source::HeaderOnly, Target::Absent},
    {"in place (mend): flush before the rename", Action::SaveInPlace, "FlushFileBuffers", 1,
     ERROR_WRITE_FAULT, Sys, Box::Error, Source::Cut, Target::Absent},
    {"in place: rename", Action::SaveInPlace, "MoveFileExA", 1, ERROR_ACCESS_DENIED, Sys,
     Box::Error, Source::Cut, Target::Absent},

    // Playback.
    {"play: waveOutOpen", Action::PlayStart, "waveOutOpen", 1, MMSYSERR_NODRIVER, Mm, Box::Error,
     Source::Kept, Target::NotApplicable},
    {"play: waveOutPrepareHeader", Action::PlayStart, "waveOutPrepareHeader", 1, MMSYSERR_NOMEM, Mm,
     Box::Error, Source::Kept, Target::NotApplicable},
    {"play: SetFilePointer of the first fill", Action::PlayStart, "SetFilePointer", 1,
     ERROR_INVALID_HANDLE, Sys, Box::Error, Source::Kept, Target::NotApplicable},
    {"play: ReadFile of the first fill", Action::PlayStart, "ReadFile", 1, ERROR_READ_FAULT, Sys,
     Box::Error, Source::Kept, Target::NotApplicable},
    {"play: waveOutWrite of the first fill", Action::PlayStart, "waveOutWrite", 1,
     MMSYSERR_INVALHANDLE, Mm, Box::Error, Source::Kept, Target::NotApplicable},
    {"play: ReadFile of a refill", Action::PlayRefill, "ReadFile", 1, ERROR_READ_FAULT, Sys,
     Box::Error, Source::Kept, Target::NotApplicable},
    {"play: SetFilePointer of a refill", Action::PlayRefill, "SetFilePointer", 1,
     ERROR_INVALID_HANDLE, Sys, Box::Error, Source::Kept, Target::NotApplicable},
    {"play: waveOutWrite of a refill", Action::PlayRefill, "waveOutWrite", 1, MMSYSERR_NOMEM, Mm,
     Box::Error, Source::Kept, Target::NotApplicable},
    {"play: waveOutReset", Action::PlayStop, "waveOutReset", 1, MMSYSERR_NOTSUPPORTED, Mm,
     Box::Error, Source::Kept, Target::NotApplicable},
    {"play: waveOutUnprepareHeader is filed, not shown", Action::PlayStop, "waveOutUnprepareHeader",
     1, MMSYSERR_INVALHANDLE, Mm, Box::None, Source::Kept, Target::NotApplicable},
    {"play: waveOutClose", Action::PlayStop, "waveOutClose", 1, MMSYSERR_HANDLEBUSY, Mm, Box::Error,
     Source::Kept, Target::NotApplicable},
};

class FaultCampaign : public CampaignTest, public ::testing::WithParamInterface<size_t> {
  protected:
    void Run(const Row& row, int index)
    {
        const std::string n = std::to_string(index);
        const bool playing = row.action == Action::PlayStart || row.action == Action::PlayRefill ||
                             row.action == Action::PlayStop;
        // Playback rows need more than two seconds of data, so that a refill reads.
#ifdef _WIN32
        if (row.function != nullptr && std::strcmp(row.function, "sync_file_range") == 0) {
            GTEST_SKIP() << "the system's own cache manager writes behind";
        }
#endif
        const uint64_t size = row.action == Action::SaveInPlace || whole ? Oversize
                              : row.sourceSize != 0                      ? row.sourceSize
                              : playing                                  ? 600000
                                                                         : 300000;
        OpenSource("src" + n + ".tmp", size);
        const std::string before =
            size == Oversize ? Contents(sourcePath, 100) : Checksum(sourcePath);
        const std::string target = temp.makeFile("old" + n + ".wav", 1234);
        const std::string oldTarget = ReadWholeFile(target);
        std::string other; // the file a second open tries
        MessageBoxLogClear();
        FaultClearAll();
        WaveOutUseTestDevice(true);

        auto inject = [&row] {
            if (row.function != nullptr) {
                // Both headers' unprepare fail, so the close meets the failure twice.
                const bool both = std::strcmp(row.function, "waveOutUnprepareHeader") == 0;
                FaultInject(row.function, row.nth, row.code, both ? 2 : 1);
            }
            if (row.alsoFails != nullptr) {
                FaultInject(row.alsoFails, row.alsoNth, row.alsoCode);
            }
        };
        switch (row.action) {
        case Action::OpenAnother: {
            uint64_t otherSize = 5000;
            if (row.box == Box::Small) {
                otherSize = 47;
            } else if (row.box == Box::None) {
                otherSize = 4294967293ull;
            }
            other = temp.makeFile("other" + n + ".tmp", otherSize);
            inject();
            OpenAnother(other);
            break;
        }
        case Action::OpenDirectly:
            other = temp.file("other" + n);
            if (row.nth == 0) {
                fs::create_directory(other);
            } else {
#ifdef _WIN32
                GTEST_SKIP() << "Windows file systems have no FIFOs";
#else
                ASSERT_EQ(mkfifo(other.c_str(), 0600), 0);
#endif
            }
            MessageBoxScriptSet({{IDOK, nullptr}});
            OpenSourceFile(other.c_str());
            break;
        case Action::SaveAs:
            inject();
            SaveAs(row.box == Box::SameName ? sourcePath : target,
                   whole ? WholeRecordingFilterIndex : 0);
            break;
        case Action::SaveInPlace:
            inject();
            SaveInPlace(temp.file("new" + n + ".wav"));
            break;
        case Action::PlayStart:
            MessageBoxScriptSet({{IDOK, nullptr}});
            inject();
            UserClick(Item(IDC_PLAY));
            PlayOut();
            break;
        case Action::PlayRefill:
            MessageBoxScriptSet({{IDOK, nullptr}});
            UserClick(Item(IDC_PLAY));
            ASSERT_TRUE(IsPlaying());
            inject();
            TestDeviceCompleteNext(1);
            PumpMessages();
            PlayOut();
            break;
        case Action::PlayStop:
            MessageBoxScriptSet({{IDOK, nullptr}});
            UserClick(Item(IDC_PLAY));
            ASSERT_TRUE(IsPlaying());
            inject();
            UserClick(Item(IDC_STOP));
            PumpMessages();
            PlayOut();
            break;
        }
        FaultClearAll();
        MessageBoxScriptClear();

        CheckBox(row);
        CheckWhatSurvives(row, playing, before, target, oldTarget, other);
        CheckNextCommand(row, target, other);
    }

    void CheckBox(const Row& row)
    {
        const std::vector<MessageBoxRecord> errors = ErrorBoxes();
        const std::string text = BoxText(row.kind, row.code);
        switch (row.box) {
        case Box::Error:
            ASSERT_EQ(errors.size(), 1u);
            EXPECT_EQ(errors[0].text, text);
            EXPECT_EQ(errors[0].caption, "Salvorin");
            EXPECT_EQ(errors[0].owner, dialog);
            break;
        case Box::ErrorOverSaving:
            ASSERT_EQ(errors.size(), 1u);
            EXPECT_EQ(errors[0].text, text);
            EXPECT_NE(errors[0].owner, dialog);
            EXPECT_NE(errors[0].owner, nullptr);
            break;
        case Box::TwoErrors:
            ASSERT_EQ(errors.size(), 2u);
            EXPECT_EQ(errors[0].text, text);
            EXPECT_NE(errors[0].owner, dialog);
            EXPECT_EQ(errors[1].text, BoxText(row.kind, row.alsoCode));
            EXPECT_EQ(errors[1].owner, dialog);
            break;
        case Box::AnyError:
            ASSERT_EQ(errors.size(), 1u);
            EXPECT_FALSE(errors[0].text.empty());
            EXPECT_EQ(errors[0].owner, dialog);
            break;
        case Box::SameName:
            ASSERT_EQ(MessageBoxLog().size(), 1u);
            EXPECT_EQ(LastBox().text, "You cannot save this file with the same name.");
            EXPECT_EQ(LastBox().type, static_cast<UINT>(MB_ICONEXCLAMATION));
            EXPECT_EQ(LastBox().owner, dialog);
            break;
        case Box::Small:
            ASSERT_TRUE(errors.empty());
            ASSERT_FALSE(MessageBoxLog().empty());
            EXPECT_EQ(LastBox().text, "File is small.");
            EXPECT_EQ(LastBox().type, static_cast<UINT>(MB_ICONEXCLAMATION));
            EXPECT_EQ(LastBox().owner, dialog);
            break;
        case Box::None:
            EXPECT_TRUE(errors.empty());
            break;
        }
        // Whatever owned the box, the main dialog owns the next one.
        EXPECT_EQ(CurrentOwnerWindow, dialog);
    }

    void CheckWhatSurvives(const Row& row, bool playing, const std::string& before,
                           const std::string& target, const std::string& oldTarget,
                           const std::string& other)
    {
        switch (row.source) {
        case Source::Kept:
            if (whole) { // still open; read-only, so its size says enough
                EXPECT_TRUE(IsSourceFileOpen());
                EXPECT_EQ(Text(dialog), sourcePath + " - Salvorin");
                EXPECT_EQ(SizeOf(sourcePath), Oversize);
                break;
            }
            EXPECT_EQ(Checksum(sourcePath), before);
            if (row.action == Action::OpenAnother && row.box == Box::None) {
                // The oversize file is the one open now, cut, with its warning shown.
                EXPECT_TRUE(IsSourceFileOpen());
                EXPECT_EQ(Text(dialog), other + " - Salvorin");
                EXPECT_EQ(SourceFile.effectiveLength, 4294967292u);
                EXPECT_TRUE(Visible(IDC_OVERSIZE));
                EXPECT_EQ(Text(IDC_FILE_SIZE), "4 294 967 293");
            } else {
                ExpectSourceStillOpen();
                EXPECT_EQ(Text(IDC_FILE_SIZE), row.sourceSize != 0 ? "33 619 968"
                                               : playing           ? "600 000"
                                                                   : "300 000");
            }
            break;
        case Source::Untouched:
        case Source::HeaderOnly:
        case Source::Cut: {
            EXPECT_FALSE(IsSourceFileOpen());
            EXPECT_STREQ(SourceFile.path, "");
            ExpectNoFileWindow();
            const std::string start = Contents(sourcePath, 100);
            if (row.source == Source::Untouched) {
                EXPECT_EQ(start, before);
            } else {
                EXPECT_EQ(start, headerBytes + before.substr(WavHeaderSize));
            }
            EXPECT_EQ(SizeOf(sourcePath), row.source == Source::Cut ? 4294967292ull : Oversize);
            break;
        }
        }
        if (row.action != Action::SaveAs) {
            EXPECT_TRUE(ReadWholeFile(target) == oldTarget);
        }
        if (row.action == Action::SaveAs && row.target != Target::PartialBeside) {
            // No copy is left behind beside the target.
            for (const fs::directory_entry& entry : fs::directory_iterator(temp.path())) {
                EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
            }
        }
        switch (row.target) {
        case Target::Absent:
            if (row.action == Action::SaveAs) {
                EXPECT_FALSE(Exists(target));
            }
            break;
        case Target::OldKept:
            EXPECT_TRUE(ReadWholeFile(target) == oldTarget);
            break;
        case Target::PartialBeside: {
            EXPECT_TRUE(ReadWholeFile(target) == oldTarget);
            const std::string partial =
                fs::path(target)
                    .replace_filename("." + fs::path(target).filename().string() + ".1.part")
                    .string();
            EXPECT_EQ(SizeOf(partial), CopyChunkSize); // the first chunk, header included
            EXPECT_EQ(Contents(partial, 4), whole ? "RF64" : "RIFF");
            fs::remove(partial);
            break;
        }
        case Target::NotApplicable:
            break;
        }
        if (row.action == Action::PlayStart || row.action == Action::PlayRefill ||
            row.action == Action::PlayStop) {
            EXPECT_FALSE(IsPlaying());
            EXPECT_TRUE(Enabled(IDC_PLAY));
            EXPECT_FALSE(Enabled(IDC_STOP));
        }
    }

    bool whole = false; // Save as chooses the RF64 type

    // The next command does its whole job.
    void CheckNextCommand(const Row& row, const std::string& target, const std::string& other)
    {
        MessageBoxLogClear();
        if (row.source != Source::Kept) {
            // Nothing is open: the file, whatever its name now, opens again.
            OpenSourceFile(sourcePath.c_str());
            EXPECT_TRUE(IsSourceFileOpen());
            CloseHandleVariable(&SourceFile.handle);
            return;
        }
        if ((row.action == Action::OpenAnother && row.box == Box::None) || whole) {
            return; // the 4 GiB file is open; saving it whole is the long Save as test's
        }
        if (row.action == Action::PlayStart || row.action == Action::PlayRefill ||
            row.action == Action::PlayStop) {
            UserClick(Item(IDC_PLAY));
            EXPECT_TRUE(IsPlaying());
            PlayOut();
            EXPECT_TRUE(MessageBoxLog().empty());
            const std::vector<unsigned char> played = TestDevicePlayedBytes();
            ASSERT_GE(played.size(), sourceBytes.size() - WavHeaderSize);
            // The whole data, last in what played, byte for byte.
            const std::string tail(
                played.end() - static_cast<long>(sourceBytes.size() - WavHeaderSize), played.end());
            EXPECT_TRUE(tail == sourceBytes.substr(WavHeaderSize));
            return;
        }
        if (row.action == Action::OpenAnother || row.action == Action::OpenDirectly) {
            const std::string good =
                temp.makeFile("good-" + fs::path(other).filename().string(), 4000);
            OpenAnother(good);
            EXPECT_EQ(Text(dialog), good + " - Salvorin");
            return;
        }
        fs::remove(target);
        SaveAs(target);
        EXPECT_TRUE(ReadWholeFile(target) == ExpectedWav());
        ExpectCreatedBox(target);
        ExpectNoFileWindow();
    }
};

} // namespace

namespace {

// The Save as rows again with the RF64 type on an oversize source, where the copy differs:
// its header. A row that needs the copy complete (the final rename) would write 4 GiB: the
// long Save as test covers that.
class FaultCampaignWhole : public FaultCampaign {};

std::vector<size_t> WholeRows()
{
    std::vector<size_t> rows;
    for (size_t i = 0; i < std::size(Rows); ++i) {
        if (Rows[i].action == Action::SaveAs &&
            (Rows[i].function == nullptr || std::strcmp(Rows[i].function, "MoveFileExA") != 0)) {
            rows.push_back(i);
        }
    }
    return rows;
}

} // namespace

TEST_P(FaultCampaignWhole, ShowsOneBoxAndLosesNothing)
{
    const Row& row = Rows[GetParam()];
    SCOPED_TRACE(row.name);
    whole = true;
    Run(row, static_cast<int>(GetParam()));
}

// One test per row, named after it, so a failing row names itself and runs alone
// (--gtest_filter='Rows/FaultCampaign.ShowsOneBoxAndLosesNothing/open_CreateFile_fails').
TEST_P(FaultCampaign, ShowsOneBoxAndLosesNothing)
{
    const Row& row = Rows[GetParam()];
    SCOPED_TRACE(row.name);
    Run(row, static_cast<int>(GetParam()));
}

namespace {
std::string RowName(const ::testing::TestParamInfo<size_t>& info)
{
    std::string name;
    for (const char* p = Rows[info.param].name; *p != '\0'; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (std::isalnum(c)) {
            name += static_cast<char>(c);
        } else if (!name.empty() && name.back() != '_') {
            name += '_';
        }
    }
    while (!name.empty() && name.back() == '_') {
        name.pop_back();
    }
    return name;
}
} // namespace

INSTANTIATE_TEST_SUITE_P(Rows, FaultCampaign, ::testing::Range<size_t>(0, std::size(Rows)),
                         RowName);
INSTANTIATE_TEST_SUITE_P(Rf64, FaultCampaignWhole, ::testing::ValuesIn(WholeRows()), RowName);
