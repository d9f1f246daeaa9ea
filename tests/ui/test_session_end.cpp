// A termination signal sent by another process to the running program ends it in order,
// without a question: sound stopped and its device closed, a running copy cancelled and its
// partial file deleted, and then the process ends by the same signal. Each case runs the
// real main dialog modally, with SDL's own audio (its dummy driver), in a fresh process of
// its own (a death test), since the program ends there.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "core/app_state.h"
#include "core/resource_ids.h"
#include "core/source_file.h"
#include "platform/testing/seams.h"
#include "playback/playback_state.h"
#include "support/save_fixture.h"
#include "support/temp_dir.h"
#include "ui/main_dialog.h"
#include "ui/resources/resources.h"

namespace fs = std::filesystem;

namespace {

enum class Busy { Idle, Playing, Copying };

struct Case {
    int signal;
    Busy busy;
};

// From another process, as `kill` or the desktop at logout would send it.
void SignalFromAnotherProcess(int number)
{
    const pid_t parent = getpid();
    const pid_t child = fork();
    if (child == 0) {
        _exit(kill(parent, number) == 0 ? 0 : 1);
    }
    waitpid(child, nullptr, 0);
}

FileDialogAnswer Choose(const std::string& path)
{
    FileDialogAnswer answer;
    answer.choose = true;
    answer.path = path;
    return answer;
}

// Runs in the death test's own process; a failed check exits with its own status.
void RunUntilSignalled(const Case& c, const std::string& folder)
{
    alarm(60); // a program that ignored the signal would otherwise never end
    const std::string source = folder + "/src.tmp";
    const std::string old = folder + "/out.wav";
    const std::string partial = folder + "/.out.wav.1.part";
    ModuleInstance = &ResourceModule;
    OnNextModalLoop([&](HWND main) {
        FileDialogScriptSet({Choose(source)});
        UserChooseMenuItem(main, IDM_OPEN);
        if (!IsSourceFileOpen()) {
            _exit(10);
        }
        if (c.busy == Busy::Playing) {
            UserClick(GetDlgItem(main, IDC_PLAY));
            if (!IsPlaying()) {
                _exit(11);
            }
        }
        if (c.busy != Busy::Copying) {
            SignalFromAnotherProcess(c.signal);
            return;
        }
        // The worker is held before its second chunk until the signal has cancelled it.
        HoldCopy("WriteFile", 2);
        OnNextModalLoop([&](HWND) {
            for (int i = 0; i < 100000; ++i) {
                std::error_code error;
                if (fs::file_size(partial, error) >= CopyChunkSize) {
                    SignalFromAnotherProcess(c.signal);
                    return;
                }
                usleep(100);
            }
            _exit(12);
        });
        FileDialogScriptSet({Choose(old)});
        UserChooseMenuItem(main, IDM_SAVE_AS);
    });
    const INT_PTR result =
        DialogBoxParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc, 0);
    int failed = 0;
    if (result != 0) {
        failed = 20;
    } else if (!MessageBoxLog().empty()) {
        failed = 21; // no question, no error box
    } else if (PlaybackState.device != nullptr) {
        failed = 22;
    }
    if (failed != 0) {
        _exit(failed);
    }
    exit(0); // ends by the signal, as the program does when its main dialog has ended
}

class SessionEnd : public ::testing::TestWithParam<Case> {};

std::string Name(const ::testing::TestParamInfo<Case>& info)
{
    const char* busy[] = {"Idle", "Playing", "Copying"};
    return std::string(strsignal(info.param.signal)).substr(0, 4) +
           busy[static_cast<int>(info.param.busy)];
}

} // namespace

TEST_P(SessionEnd, ATerminationSignalEndsTheProgramInOrder)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The program's process runs this test again from the start: it finds the folder here.
    const char* given = getenv("SALVORIN_SESSION_END_DIR");
    TempDir temp;
    const std::string folder = given != nullptr ? given : temp.path();
    if (given == nullptr) {
        temp.makeFile("src.tmp", 64u << 20);
        temp.makeFile("out.wav", 1000);
        setenv("SALVORIN_SESSION_END_DIR", folder.c_str(), 1);
    }
    EXPECT_EXIT(RunUntilSignalled(GetParam(), folder), ::testing::KilledBySignal(GetParam().signal),
                "");
    unsetenv("SALVORIN_SESSION_END_DIR");
    // The old target kept, the partial copy gone, the source as it was.
    EXPECT_EQ(fs::file_size(temp.file("out.wav")), 1000u);
    EXPECT_FALSE(fs::exists(temp.file(".out.wav.1.part")));
    EXPECT_EQ(fs::file_size(temp.file("src.tmp")), 64u << 20);
}

INSTANTIATE_TEST_SUITE_P(Signals, SessionEnd,
                         ::testing::Values(Case{SIGTERM, Busy::Playing},
                                           Case{SIGINT, Busy::Playing}, Case{SIGHUP, Busy::Idle},
                                           Case{SIGTERM, Busy::Copying},
                                           Case{SIGINT, Busy::Copying}),
                         Name);
