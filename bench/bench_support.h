// What every benchmark shares: a headless start, the clock, figures as ratios against a
// reference measured in the same run, shell commands, scratch files and the main dialog.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32.h"

// Headless Qt and SDL and a private runtime directory, unless the caller set them.
void BenchEnvironment();
// BenchEnvironment, then the platform's start-up.
void BenchStartup(int argc, char** argv);

// Seconds on the monotonic clock, which every process of the machine shares.
double Now();

// How many rounds to run (SALVORIN_BENCH_ROUNDS overrides `fallback`).
int Rounds(int fallback);

// The scratch directory (SALVORIN_BENCH_DIR, default ./bench-data), created if missing.
std::string DataDir();

struct Spread {
    double median = 0;
    double min = 0;
    double max = 0;
};
Spread SpreadOf(std::vector<double> values);

// Prints one figure: the median of the per-round ratios program/reference with their min
// and max, and the median times of both sides.
void PrintRatio(const std::string& what, const std::vector<double>& program,
                const std::string& reference, const std::vector<double>& referenceTimes);
// Prints a spread of times (or of any value, with `unit`).
void PrintSpread(const std::string& what, const std::vector<double>& values, const char* unit,
                 double scale);

// Runs `command` with /bin/sh and returns its wall time in seconds; exits on failure.
double TimeShell(const std::string& command);
// Runs `command` untimed; exits on failure.
void Shell(const std::string& command);

// Writes `size` bytes: 44 zero bytes, then `pattern` repeated. Exits on failure.
void WriteFileOf(const std::string& path, uint64_t size, const std::vector<unsigned char>& pattern);
// A file of `size` bytes whose first `dataBytes` bytes are written and the rest a hole.
void WriteSparseFile(const std::string& path, uint64_t size, uint64_t dataBytes);
void RemoveFile(const std::string& path);
uint64_t FileSize(const std::string& path);

// A field of /proc/self/status in KiB ("VmRSS", "VmHWM").
uint64_t StatusKiB(const char* field);
// Makes VmHWM start again from the current resident size.
void ResetPeakMemory();

// The real main dialog, built from its template as the program builds it, without a loop.
struct MainDialog {
    MainDialog();
    ~MainDialog();
    MainDialog(const MainDialog&) = delete;
    MainDialog& operator=(const MainDialog&) = delete;
    HWND window = nullptr;
};

// One Save as of `source` through the main dialog's menu, the save dialog answered with
// `target` and file type `filterIndex` (0 keeps the dialog's own), timed from the command to
// its end. Fails unless it ends with its success box and a target of `expectedSize` bytes.
// `idle` and `peak`, when given, get the resident size before the copy and at its peak (KiB).
double TimeSaveAs(const std::string& source, const std::string& target, DWORD filterIndex,
                  uint64_t expectedSize, uint64_t* idle = nullptr, uint64_t* peak = nullptr);

// Fails the benchmark with a message.
[[noreturn]] void Fail(const std::string& why);
