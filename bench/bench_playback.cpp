// Playback at the largest byte rate (99999 Hz, 16 bit, stereo: 399,996 bytes a second):
// the time one refill of a one-second buffer takes, and the CPU the program uses playing.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "core/app_state.h"
#include "core/resource_ids.h"
#include "core/source_file.h"
#include "core/wave_format.h"
#include "platform/testing/seams.h"
#include "playback/playback_state.h"
#include "samplegen/samplegen.h"
#include "ui/main_dialog.h"
#include "ui/open_source_file.h"

namespace {

constexpr uint32_t LargestByteRate = 399996;
constexpr int DataSeconds = 40;

void UseLargestRate(HWND dialog)
{
    UserClick(GetDlgItem(dialog, IDC_16BIT));
    UserClick(GetDlgItem(dialog, IDC_STEREO));
    UserTypeComboText(GetDlgItem(dialog, IDC_RATE), "99999");
    if (CurrentFormat.nAvgBytesPerSec != LargestByteRate) {
        Fail("the format is not 99999 Hz, 16 bit, stereo");
    }
}

double CpuSeconds()
{
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0) {
        Fail("getrusage failed");
    }
    auto seconds = [](const timeval& value) {
        return static_cast<double>(value.tv_sec) + static_cast<double>(value.tv_usec) * 1e-6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Refills on the test device: each round completes one buffer and times the delivery of its
// completion, in which the engine reads the next second into it and queues it again. The
// reference is a plain read of the same bytes into a buffer of that size.
void MeasureRefill(const std::string& path, int rounds, std::vector<double>* refill,
                   std::vector<double>* plainRead)
{
    MainDialog dialog;
    WaveOutUseTestDevice(true);
    OpenSourceFile(path.c_str());
    UseLargestRate(dialog.window);
    UserClick(GetDlgItem(dialog.window, IDC_PLAY));
    if (!IsPlaying() || TestDeviceQueuedCount() != 2) {
        Fail("playback did not start on the test device");
    }
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        Fail("cannot open " + path);
    }
    std::vector<char> buffer(LargestByteRate);
    for (int round = 0; round < rounds; ++round) {
        const uint32_t readPos = PlaybackState.readPos;
        if (TestDeviceCompleteNext(1) != 1) {
            Fail("no buffer to complete");
        }
        // The bytes read second are warm in the processor's caches: each side goes first in
        // every other round.
        auto readPlain = [&] {
            const double start = Now();
            const ssize_t got =
                pread(fd, buffer.data(), LargestByteRate, HeaderRegionSize + readPos);
            plainRead->push_back(Now() - start);
            if (got != static_cast<ssize_t>(LargestByteRate)) {
                Fail("short read");
            }
        };
        if (round % 2 == 1) {
            readPlain();
        }
        // The completion may reach the queue after the first pump on a loaded machine: pump
        // until the buffer is back in the queue, for two seconds at most.
        auto refilled = [readPos] {
            return TestDeviceQueuedCount() == 2 &&
                   PlaybackState.readPos == readPos + LargestByteRate;
        };
        const double start = Now();
        PumpMessages();
        while (!refilled() && Now() - start < 2.0) {
            PumpMessages();
        }
        refill->push_back(Now() - start);
        if (!refilled()) {
            Fail("the buffer was not refilled within two seconds");
        }
        if (round % 2 == 0) {
            readPlain();
        }
    }
    close(fd);
    UserClick(GetDlgItem(dialog.window, IDC_STOP));
    for (int i = 0; i < 100 && IsPlaying(); ++i) {
        PumpMessages();
    }
    WaveOutUseTestDevice(false);
}

// The real loop of the main dialog on SDL's dummy driver for `seconds`, playing or idle with
// the same file open; returns the CPU time used per second of wall time.
double CpuShare(const std::string& path, bool play, double seconds)
{
    std::atomic<HWND> shown{nullptr};
    OnNextModalLoop([&](HWND dialog) {
        OpenSourceFile(path.c_str());
        UseLargestRate(dialog);
        if (play) {
            UserClick(GetDlgItem(dialog, IDC_PLAY));
            if (!IsPlaying()) {
                Fail("playback did not start on SDL's dummy driver");
            }
        }
        shown.store(dialog);
    });
    MessageBoxScriptSet({{IDYES, {}}}); // the question before quitting with a file open
    double share = 0;
    std::thread meter([&] {
        while (shown.load() == nullptr) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        const double cpu = CpuSeconds();
        const double start = Now();
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        share = (CpuSeconds() - cpu) / (Now() - start);
        PostMessageA(shown.load(), WM_COMMAND, IDM_EXIT, 0);
    });
    DialogBoxParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc, 0);
    meter.join();
    MessageBoxScriptClear();
    CloseHandleVariable(&SourceFile.handle);
    return share;
}

} // namespace

int main(int argc, char** argv)
{
    BenchStartup(argc, argv);
    const int rounds = Rounds(5);
    const std::string dir = DataDir();
    const std::string path = dir + "/playback.tmp";
    SampleSpec spec;
    spec.rate = 99999;
    spec.seconds = 2;
    WriteFileOf(path, HeaderRegionSize + uint64_t{LargestByteRate} * DataSeconds,
                MakeTunePcm(spec));
    Shell("cat '" + path + "' > /dev/null");

    const int refills = rounds * 6;
    std::printf("Playback at 99999 Hz, 16 bit, stereo (%u bytes a second)\n", LargestByteRate);
    std::vector<double> refill;
    std::vector<double> plainRead;
    MeasureRefill(path, refills, &refill, &plainRead);
    std::printf("  %d refills on the test device, page cache warm\n", refills);
    PrintSpread("refill of a one-second buffer / one second", refill, "%", 100);
    PrintRatio("refill / plain read of the same bytes", refill, "read()", plainRead);

    const double seconds = 3;
    std::vector<double> playing;
    std::vector<double> idle;
    for (int round = 0; round < rounds; ++round) {
        idle.push_back(CpuShare(path, false, seconds));
        playing.push_back(CpuShare(path, true, seconds));
    }
    std::printf("  CPU over %d x %.0f s in the dialog's loop, SDL_AUDIODRIVER=%s\n", rounds,
                seconds, getenv("SDL_AUDIODRIVER"));
    PrintSpread("CPU playing / one core", playing, "%", 100);
    PrintSpread("CPU idle, same file open / one core", idle, "%", 100);
    RemoveFile(path);
    return 0;
}
