// Every call a user action makes, failed in turn and then ended in turn. Each action runs once
// clean to count the platform calls it makes (every function, every thread, in one order);
// then for each N the Nth call fails with a representative error, and what the user has is
// checked: the source as it was, no file left that was not there, an old target kept or
// wholly replaced, success said only of a complete file, the window telling whether a file
// is open, at most one error box, no hang; and the same action run clean again succeeds.
// The kill sweep ends the process at the Nth call instead (nothing runs after it) and checks
// the disk: nothing under the target's name unless it is complete, and the next run of the
// action clears what the killed one left.
#include <cstdlib>
#include <cstring>
#include <map>
#include <thread>

#include "campaign/campaign_fixture.h"
#include "core/file_controls.h"
#include "support/child_process.h"
#ifndef _WIN32
#include <unistd.h>

#include "support/wine_prefix.h"
#endif

namespace fs = std::filesystem;

namespace {

enum class Act {
    Open,
    SaveAsNew,
    SaveAsReplacing,
    SaveAsCancelled,
    SaveAsWholeCancelled, // the RF64 copy of an oversize source, cancelled after its first chunk
    InPlaceNew,
    InPlaceReplacing,
    PlayToEnd,
    Seek,
    FormatChange, // 8 bit chosen while playing: the device is started again
    StartUp,      // the main window made, with the recorder's folder in the registry
};

struct Action {
    const char* name;
    Act act;
    bool killed; // also swept by the kill: the actions that write
};

const Action Actions[] = {
    {"Open", Act::Open, false},
    {"SaveAsNew", Act::SaveAsNew, true},
    {"SaveAsReplacing", Act::SaveAsReplacing, true},
    {"SaveAsCancelled", Act::SaveAsCancelled, true},
    {"SaveAsWholeCancelled", Act::SaveAsWholeCancelled, false},
    {"InPlaceNew", Act::InPlaceNew, true},
    {"InPlaceReplacing", Act::InPlaceReplacing, true},
    {"PlayToEnd", Act::PlayToEnd, false},
    {"Seek", Act::Seek, false},
    {"FormatChange", Act::FormatChange, false},
    {"StartUp", Act::StartUp, false},
};

// The error a real failure of each call most often carries; 0 for the calls the system does
// not fail for a program's valid arguments (copying a string, formatting the program's own
// texts, freeing the system's buffer, closing a handle the program holds), which go ahead.
DWORD RepresentativeError(const char* function)
{
    for (const char* never :
         {"lstrcpynA", "FormatTextV", "LocalFree", "CloseHandle", "FindClose"}) {
        if (std::strcmp(function, never) == 0) {
            return 0;
        }
    }
    static const std::map<std::string, DWORD> codes = {
        {"CreateFileA", ERROR_ACCESS_DENIED},
        {"ReadFile", ERROR_READ_FAULT},
        {"WriteFile", ERROR_DISK_FULL},
        {"FlushFileBuffers", ERROR_WRITE_FAULT},
        {"sync_file_range", ERROR_WRITE_FAULT},
        {"SetFilePointer", ERROR_INVALID_PARAMETER},
        {"SetEndOfFile", ERROR_DISK_FULL},
        {"MoveFileExA", ERROR_ACCESS_DENIED},
        {"DeleteFileA", ERROR_ACCESS_DENIED},
        {"FindFirstFileA", ERROR_ACCESS_DENIED},
        {"GetFileSize", ERROR_INVALID_HANDLE},
        {"GetFileInformationByHandle", ERROR_INVALID_HANDLE},
        {"RegOpenKeyExA", ERROR_ACCESS_DENIED},
        {"RegQueryValueExA", ERROR_ACCESS_DENIED},
        {"SetCurrentDirectoryA", ERROR_PATH_NOT_FOUND},
    };
    if (std::strncmp(function, "waveOut", 7) == 0) {
        return MMSYSERR_NOMEM;
    }
    const auto found = codes.find(function);
    return found != codes.end() ? found->second : ERROR_NOT_ENOUGH_MEMORY;
}

bool Writes(Act act)
{
    return act >= Act::SaveAsNew && act <= Act::InPlaceReplacing;
}

bool Replaces(Act act)
{
    return act == Act::SaveAsReplacing || act == Act::InPlaceReplacing;
}

bool InPlace(Act act)
{
    return act == Act::InPlaceNew || act == Act::InPlaceReplacing;
}

bool Cancelled(Act act)
{
    return act == Act::SaveAsCancelled || act == Act::SaveAsWholeCancelled;
}

bool Plays(Act act)
{
    return act == Act::PlayToEnd || act == Act::Seek || act == Act::FormatChange;
}

constexpr uint64_t OldTargetSize = 1234;
constexpr uint64_t Oversize = 4294967292ull + 12;

// Ends the test process with a message if one run takes longer than any run can.
class Watchdog {
  public:
    explicit Watchdog(std::string what) : what_(std::move(what)), thread_([this] { Watch(); }) {}
    ~Watchdog()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }

  private:
    void Watch()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!wake_.wait_for(lock, std::chrono::seconds(60), [this] { return done_; })) {
            std::fprintf(stderr, "hung: %s (call met: %s)\n", what_.c_str(),
                         FaultAnyCallMet().c_str());
            std::fflush(stderr);
            std::abort();
        }
    }

    std::string what_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::thread thread_;
};

class Sweep : public CampaignTest {
  protected:
    void TearDown() override
    {
        OnNextModalLoop(nullptr);
        if (!startDirectory.empty()) {
            fs::current_path(startDirectory);
        }
        CampaignTest::TearDown();
    }

    std::string In(const std::string& name) const
    {
#ifdef _WIN32
        return folder + "\\" + name;
#else
        return folder + "/" + name;
#endif
    }

    // A fresh folder for run `n`, with the source (and an old target for a replacement).
    void MakeFiles(const Action& action, int n)
    {
        const std::string name = std::string(action.name) + std::to_string(n);
        fs::create_directory(temp.file(name));
        folder = temp.file(name);
        sourcePath = In("src.tmp");
        sourceSize = action.act == Act::SaveAsWholeCancelled ? Oversize : 150000;
        WriteFiles(action);
        sourceBytes = Contents(sourcePath, 1u << 20);
        oldTarget = ReadWholeFile(In("out.wav"));
    }

    // The source as made and, for a replacement, the old target, in the run's folder.
    void WriteFiles(const Action& action)
    {
        const std::string name = fs::path(folder).filename().string();
        fs::remove(sourcePath);
        fs::remove(In("out.wav"));
        temp.makeFile(name + "/src.tmp", sourceSize);
        if (Replaces(action.act)) {
            temp.makeFile(name + "/out.wav", OldTargetSize);
        }
    }

    // Opens the source as the program does (the actions other than Open start with it open).
    void OpenMadeSource(const Action& action)
    {
        if (action.act == Act::Open || action.act == Act::StartUp) {
            return;
        }
        OpenSourceFile(sourcePath.c_str());
        ASSERT_TRUE(IsSourceFileOpen());
        WavHeader header;
        BuildWavHeader(&header);
        headerBytes.assign(reinterpret_cast<const char*>(header.bytes), WavHeaderSize);
        if (Plays(action.act)) {
            // 8000 samples a second of 16 bit mono: the source plays in ten one-second buffers.
            UserPickComboRow(Item(IDC_RATE), 8);
            WaveOutUseTestDevice(true);
        }
    }

    // The user's action, answered as the user would answer; playback is played to its end.
    void Perform(const Action& action)
    {
        const std::string target = In("out.wav");
        switch (action.act) {
        case Act::Open:
            FileDialogScriptSet({Choose(sourcePath)});
            MessageBoxScriptSet({{IDOK, nullptr}});
            Command(IDM_OPEN);
            break;
        case Act::SaveAsNew:
        case Act::SaveAsReplacing:
            SaveAs(target);
            break;
        case Act::SaveAsCancelled:
        case Act::SaveAsWholeCancelled:
            // Held before its second chunk until the Cancel has come through.
            HoldCopy("WriteFile", 2);
            OnNextModalLoop([](HWND saving) {
                // Once the worker has written its first chunk (bounded: a failure may end it).
                for (int i = 0; i < 2000 && FaultCallCount("WriteFile") < 2; ++i) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
                UserClick(GetDlgItem(saving, IDCANCEL));
            });
            SaveAs(target, action.act == Act::SaveAsWholeCancelled ? WholeRecordingFilterIndex : 0);
            break;
        case Act::InPlaceNew:
        case Act::InPlaceReplacing:
            SaveInPlace(target);
            break;
        case Act::PlayToEnd:
        case Act::Seek:
        case Act::FormatChange:
            MessageBoxScriptSet({{IDOK, nullptr}});
            UserClick(Item(IDC_PLAY));
            if (action.act == Act::Seek) {
                UserSlider(Item(IDC_SLIDER), TB_THUMBPOSITION, 60);
                PumpMessages();
            } else if (action.act == Act::FormatChange) {
                TestDeviceCompleteNext(1);
                UserClick(Item(IDC_8BIT));
                PumpMessages();
            }
            PlayOut();
            break;
        case Act::StartUp:
            StartUp();
            break;
        }
    }

    // The main window made anew, as at start-up, with the recorder's folder in the registry.
    void StartUp()
    {
        // The window before is left as it is: under Wine without a window manager, taking a
        // shown window down waits two seconds for a confirmation that never comes.
        if (IsWindow(dialog)) {
            EnableWindow(dialog, FALSE);
        }
        fs::current_path(startDirectory);
        MessageBoxScriptSet({{IDOK, nullptr}});
        dialog = CreateDialogParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                    MainDialogProc, 0);
    }

    void UseRecorderFolder()
    {
#ifdef _WIN32
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Vintrel\\Quorbel", 0, nullptr, 0,
                                  KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key, "TmpDir", 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(folder.c_str()),
                                 static_cast<DWORD>(folder.size() + 1)),
                  ERROR_SUCCESS);
        RegCloseKey(key);
#else
        const std::string line = "\"TmpDir\"=\"" + folder + "\"";
        UseWinePrefix(prefix, MakeHive({"[Software\\\\Vintrel\\\\Quorbel] 1", line.c_str()}));
#endif
    }

    bool SourceIntact() const
    {
        return SizeOf(sourcePath) == sourceSize &&
               Contents(sourcePath, sourceBytes.size()) == sourceBytes;
    }

    // The source converted where it is: its header written, its data as it was.
    bool Converted(const std::string& path) const
    {
        return SizeOf(path) == sourceSize && Contents(path) == ExpectedWav();
    }

    bool Complete(const std::string& path) const
    {
        return Contents(path) == ExpectedWav();
    }

    std::vector<std::string> HiddenFiles() const
    {
        std::vector<std::string> hidden;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            if (name[0] == '.') {
                hidden.push_back(name);
            } else {
                EXPECT_TRUE(name == "src.tmp" || name == "out.wav") << name;
            }
        }
        return hidden;
    }

    bool CreatedBoxShown() const
    {
        for (const MessageBoxRecord& box : MessageBoxLog()) {
            if (box.text.find("is successfully created") != std::string::npos) {
                return true;
            }
        }
        return false;
    }

    // What a write leaves on the disk, however it ended: the source whole (or converted in
    // place), the target absent, old or complete. Success is said only of a complete target.
    void CheckDisk(const Action& action, bool saidCreated)
    {
        const std::string target = In("out.wav");
        if (!Exists(sourcePath)) {
            EXPECT_TRUE(InPlace(action.act)) << "the source is gone";
            EXPECT_TRUE(Converted(target)) << "the renamed source is not the converted file";
        } else if (InPlace(action.act)) {
            EXPECT_TRUE(SourceIntact() || Converted(sourcePath)) << "the source changed";
        } else {
            EXPECT_TRUE(SourceIntact()) << "the source changed";
        }
        if (Exists(target) && Exists(sourcePath) &&
            !(Replaces(action.act) && Contents(target) == oldTarget)) {
            EXPECT_FALSE(InPlace(action.act)) << "in place: a target beside its source";
            EXPECT_FALSE(Cancelled(action.act)) << "a cancelled copy took the target's name";
            EXPECT_TRUE(Complete(target)) << "an incomplete file under the target's name";
        }
        if (Replaces(action.act)) {
            EXPECT_TRUE(Exists(target)) << "the old target is gone";
        }
        if (saidCreated) {
            EXPECT_TRUE(InPlace(action.act) ? Converted(target) : Complete(target))
                << "success said of an incomplete file";
        }
    }

    // The window tells whether a file is open, nothing plays, no command waits.
    void CheckWindow()
    {
        if (!IsWindow(dialog)) {
            return; // the start-up's window was not made
        }
        if (IsSourceFileOpen()) {
            EXPECT_EQ(Text(dialog), std::string(SourceFile.path) + " - Salvorin");
            EXPECT_TRUE(Enabled(IDC_PLAY));
        } else {
            EXPECT_EQ(Text(dialog), "Salvorin");
            EXPECT_FALSE(Enabled(IDC_PLAY));
        }
        EXPECT_FALSE(IsPlaying());
        EXPECT_EQ(PendingCommand, 0u);
        EXPECT_EQ(CurrentOwnerWindow, dialog);
    }

    // The kind of end a failed run came to, for the sweep's summary.
    std::string Outcome(const Action& action, const std::string& met) const
    {
        std::string kind = ErrorBoxes().empty() ? "no error box" : "one error box";
        if (CreatedBoxShown()) {
            kind += ", file created";
        } else if (action.act == Act::Open || Writes(action.act)) {
            kind += IsSourceFileOpen() ? ", source open" : ", nothing open";
        }
        if (Writes(action.act) && !HiddenFiles().empty()) {
            kind += ", hidden copy left";
        }
        if (ErrorBoxes().empty() && !CreatedBoxShown()) {
            kind += " (" + (met.empty() ? std::string("no call failed") : met) + ")";
        }
        return kind;
    }

    // What a killed run left under the target's name, and beside it.
    std::string KilledOutcome(const Action& action) const
    {
        const std::string target = In("out.wav");
        std::string kind = !Exists(target) ? "no target"
                           : Replaces(action.act) && Contents(target) == oldTarget
                               ? "old target"
                               : "complete target";
        if (InPlace(action.act) && Exists(sourcePath) && Converted(sourcePath)) {
            kind += ", source converted under its own name";
        }
        if (!HiddenFiles().empty()) {
            kind += ", hidden copy left";
        }
        return kind;
    }

    void CheckAfterFailure(const Action& action, const std::string& met)
    {
        EXPECT_LE(ErrorBoxes().size(), 1u) << "more boxes than one failure explains";
        EXPECT_EQ(MessageBoxUnscriptedCount(), 0);
        CheckWindow();
        if (Writes(action.act)) {
            CheckDisk(action, CreatedBoxShown());
            const std::vector<std::string> hidden = HiddenFiles();
            // A save that did not happen says why, unless what failed was the question, the
            // save dialog or the box itself.
            if (!Cancelled(action.act) && !CreatedBoxShown() && ErrorBoxes().empty()) {
                EXPECT_TRUE(met == "MessageBoxA" || met == "GetSaveFileNameA" ||
                            met == "LoadStringA")
                    << "a save failed without a word";
            }
            // Only a failed delete of the copy leaves it, and says so.
            if (!hidden.empty()) {
                EXPECT_EQ(met, "DeleteFileA");
                EXPECT_EQ(ErrorBoxes().size(), 1u);
            }
        }
        if (action.act == Act::Open || Plays(action.act) ||
            action.act == Act::SaveAsWholeCancelled) {
            EXPECT_TRUE(SourceIntact());
        }
    }

    // Back to the action's start in the same folder: nothing open, the source and the old
    // target as made. A hidden copy left there stays, for the next run to clear.
    void Reset(const Action& action)
    {
        FaultClearAll();
        OnNextModalLoop(nullptr);
        MessageBoxScriptClear();
        FileDialogScriptClear();
        if (IsSourceFileOpen()) {
            CloseHandleVariable(&SourceFile.handle);
            ShowNoFileWindow();
        }
        if (!IsWindow(dialog)) {
            StartUp();
            ASSERT_NE(dialog, nullptr);
        }
        WriteFiles(action);
        MessageBoxLogClear();
    }

    // The action run clean does its whole job, and clears any copy a failed run left.
    void CheckCleanRun(const Action& action)
    {
        Reset(action);
        OpenMadeSource(action);
        Perform(action);
        const std::string target = In("out.wav");
        EXPECT_TRUE(ErrorBoxes().empty()) << LastBox().text;
        CheckWindow();
        switch (action.act) {
        case Act::Open:
            EXPECT_TRUE(IsSourceFileOpen());
            break;
        case Act::SaveAsCancelled:
        case Act::SaveAsWholeCancelled:
            EXPECT_TRUE(IsSourceFileOpen());
            EXPECT_EQ(Exists(target), Replaces(action.act));
            EXPECT_TRUE(HiddenFiles().empty());
            break;
        case Act::StartUp:
            EXPECT_TRUE(fs::equivalent(fs::current_path(), folder));
            break;
        default:
            if (Writes(action.act)) {
                EXPECT_TRUE(CreatedBoxShown());
                CheckDisk(action, true);
                EXPECT_TRUE(HiddenFiles().empty());
            } else {
                // The recording's end played, last of all.
                const std::vector<unsigned char> played = TestDevicePlayedBytes();
                const std::string end = sourceBytes.substr(sourceBytes.size() - 4000);
                ASSERT_GE(played.size(), end.size());
                EXPECT_TRUE(
                    std::string(played.end() - static_cast<long>(end.size()), played.end()) == end);
            }
            break;
        }
    }

    // The number of platform calls the action makes, run clean once.
    int CountCalls(const Action& action)
    {
        MakeFiles(action, 0);
        if (action.act == Act::StartUp) {
            UseRecorderFolder();
        }
        OpenMadeSource(action);
        FaultClearAll();
        Perform(action);
        const int calls = FaultAnyCallCount();
        EXPECT_TRUE(ErrorBoxes().empty()) << LastBox().text;
        Reset(action);
        return calls;
    }

    std::string folder;
    std::string oldTarget;
    uint64_t sourceSize = 0;
    std::string startDirectory = fs::current_path().string();
#ifndef _WIN32
    TempDir prefix;
#endif
};

class FailSweep : public Sweep, public ::testing::WithParamInterface<Action> {};

void PrintTo(const Action& action, std::ostream* out)
{
    *out << action.name;
}

std::string ActionName(const ::testing::TestParamInfo<Action>& info)
{
    return info.param.name;
}

} // namespace

TEST_P(FailSweep, EveryCallFailsOnceAndNothingIsLost)
{
    const Action& action = GetParam();
    const int calls = CountCalls(action);
    ASSERT_GT(calls, 0);
    std::printf("%s: %d calls\n", action.name, calls);
    std::map<std::string, int> failed;   // calls failed, by function
    std::map<std::string, int> outcomes; // what the user saw and has, by kind
    for (int n = 1; n <= calls; ++n) {
        Reset(action);
        OpenMadeSource(action);
        FaultClearAll();
        FaultAnyCall(n, RepresentativeError);
        {
            Watchdog watchdog(std::string(action.name) + " with call " + std::to_string(n) +
                              " failed");
            Perform(action);
        }
        const std::string met = FaultAnyCallMet();
        SCOPED_TRACE("call " + std::to_string(n) + ", " + met);
        ++failed[met.empty() || RepresentativeError(met.c_str()) != 0 ? met
                                                                      : met + " (went ahead)"];
        FaultClearAll();
        MessageBoxScriptClear();
        ++outcomes[Outcome(action, met)];
        CheckAfterFailure(action, met);
        CheckCleanRun(action);
        if (HasFatalFailure()) {
            return;
        }
    }
    for (const auto& [function, count] : failed) {
        std::printf("  %s x%d\n", function.empty() ? "(not reached)" : function.c_str(), count);
    }
    for (const auto& [outcome, count] : outcomes) {
        std::printf("  outcome: %s x%d\n", outcome.c_str(), count);
    }
}

INSTANTIATE_TEST_SUITE_P(Actions, FailSweep, ::testing::ValuesIn(Actions), ActionName);

namespace {

class KillSweep : public FailSweep {};

constexpr const char* KillVariable = "SALVORIN_KILL_AT";

std::vector<Action> KilledActions()
{
    std::vector<Action> killed;
    for (const Action& action : Actions) {
        if (action.killed) {
            killed.push_back(action);
        }
    }
    return killed;
}

} // namespace

// Runs in the child only: opens the source the parent made, ends the process just before
// its Nth call, and runs the action.
TEST_F(Sweep, KilledChild)
{
    const char* given = std::getenv(KillVariable);
    if (given == nullptr) {
        GTEST_SKIP() << "run by the kill sweep";
    }
    size_t index = 0;
    int n = 0;
    char path[1024] = "";
    ASSERT_EQ(std::sscanf(given, "%zu %d %1023[^\n]", &index, &n, path), 3);
    const Action& action = Actions[index];
    folder = path;
    sourcePath = In("src.tmp");
    OpenMadeSource(action);
    FaultClearAll();
    FaultBeforeAnyCall(n, [](const char*) { KillThisProcess(); });
    Perform(action);
}

TEST_P(KillSweep, NothingUnderTheTargetsNameUnlessComplete)
{
    const Action& action = GetParam();
    const int calls = CountCalls(action);
    ASSERT_GT(calls, 0);
    size_t row = 0;
    while (std::strcmp(Actions[row].name, action.name) != 0) {
        ++row;
    }
    int killed = 0;
    std::map<std::string, int> outcomes;
    for (int n = 1; n <= calls + 1; ++n) {
        MakeFiles(action, n);
        SCOPED_TRACE("killed before call " + std::to_string(n));
        int status = 0;
        const ChildEnd end =
            RunThisProgram("Sweep.KilledChild", KillVariable,
                           std::to_string(row) + " " + std::to_string(n) + " " + folder, &status);
        ASSERT_NE(end, ChildEnd::Failed);
        if (end == ChildEnd::Exited) {
            // Ran to its end: there was no Nth call (a cancel's count varies by a few).
            ASSERT_EQ(status, 0) << "the child's own checks failed";
            EXPECT_GT(n, calls / 2);
            break;
        }
        ++killed;
        ++outcomes[KilledOutcome(action)];
        CheckDisk(action, false);
        HiddenFiles(); // only the source, the target and hidden copies
        // The next run of the action finds what the killed one left, and clears it.
        CheckCleanRun(action);
        if (HasFatalFailure()) {
            return;
        }
    }
    std::printf("%s: %d calls, killed at %d\n", action.name, calls, killed);
    for (const auto& [outcome, count] : outcomes) {
        std::printf("  outcome: %s x%d\n", outcome.c_str(), count);
    }
}

INSTANTIATE_TEST_SUITE_P(Actions, KillSweep, ::testing::ValuesIn(KilledActions()), ActionName);
