#include "bench_support.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>

#include "core/app_state.h"
#include "core/resource_ids.h"
#include "core/source_file.h"
#include "platform/startup.h"
#include "platform/testing/seams.h"
#include "ui/main_dialog.h"
#include "ui/open_source_file.h"
#include "ui/resources/resources.h"

void Fail(const std::string& why)
{
    std::fprintf(stderr, "bench: %s\n", why.c_str());
    std::exit(1);
}

void BenchEnvironment()
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (getenv("XDG_RUNTIME_DIR") == nullptr) {
        const std::string runtime = "/tmp/salvorin-runtime-" + std::to_string(getuid());
        mkdir(runtime.c_str(), 0700);
        chmod(runtime.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }
}

void BenchStartup(int argc, char** argv)
{
    BenchEnvironment();
    PlatformStartup(argc, argv);
    InitCommonControls();
    ModuleInstance = &ResourceModule;
}

double Now()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

int Rounds(int fallback)
{
    const char* text = getenv("SALVORIN_BENCH_ROUNDS");
    const int rounds = text != nullptr ? std::atoi(text) : 0;
    return rounds > 0 ? rounds : fallback;
}

std::string DataDir()
{
    const char* text = getenv("SALVORIN_BENCH_DIR");
    const std::string dir = text != nullptr && *text != '\0' ? text : "bench-data";
    if (mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) {
        Fail("cannot make " + dir + ": " + std::strerror(errno));
    }
    char resolved[PATH_MAX];
    if (realpath(dir.c_str(), resolved) == nullptr) {
        Fail("cannot resolve " + dir);
    }
    return resolved;
}

Spread SpreadOf(std::vector<double> values)
{
    Spread spread;
    if (values.empty()) {
        return spread;
    }
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    spread.median = n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    spread.min = values.front();
    spread.max = values.back();
    return spread;
}

namespace {

std::string Duration(double seconds)
{
    char text[32];
    if (seconds >= 1) {
        std::snprintf(text, sizeof text, "%.3f s", seconds);
    } else if (seconds >= 1e-3) {
        std::snprintf(text, sizeof text, "%.3f ms", seconds * 1e3);
    } else {
        std::snprintf(text, sizeof text, "%.1f us", seconds * 1e6);
    }
    return text;
}

} // namespace

void PrintRatio(const std::string& what, const std::vector<double>& program,
                const std::string& reference, const std::vector<double>& referenceTimes)
{
    std::vector<double> ratios;
    for (size_t i = 0; i < program.size() && i < referenceTimes.size(); ++i) {
        ratios.push_back(program[i] / referenceTimes[i]);
    }
    const Spread ratio = SpreadOf(ratios);
    std::printf("  %-44s %6.2fx  (min %.2f, max %.2f)   %s vs %s: %s\n", what.c_str(), ratio.median,
                ratio.min, ratio.max, Duration(SpreadOf(program).median).c_str(), reference.c_str(),
                Duration(SpreadOf(referenceTimes).median).c_str());
    std::fflush(stdout);
}

void PrintSpread(const std::string& what, const std::vector<double>& values, const char* unit,
                 double scale)
{
    const Spread spread = SpreadOf(values);
    std::printf("  %-44s %8.3f %s  (min %.3f, max %.3f)\n", what.c_str(), spread.median * scale,
                unit, spread.min * scale, spread.max * scale);
    std::fflush(stdout);
}

void Shell(const std::string& command)
{
    const int status = std::system(command.c_str());
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        Fail("command failed: " + command);
    }
}

double TimeShell(const std::string& command)
{
    const double start = Now();
    Shell(command);
    return Now() - start;
}

void WriteFileOf(const std::string& path, uint64_t size, const std::vector<unsigned char>& pattern)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        Fail("cannot create " + path + ": " + std::strerror(errno));
    }
    std::vector<unsigned char> block(44, 0);
    uint64_t written = 0;
    while (written < size) {
        if (block.empty()) {
            block.assign(pattern.begin(), pattern.end());
        }
        const size_t count = static_cast<size_t>(std::min<uint64_t>(block.size(), size - written));
        const ssize_t done = write(fd, block.data(), count);
        if (done <= 0) {
            Fail("cannot write " + path + ": " + std::strerror(errno));
        }
        written += static_cast<uint64_t>(done);
        block.erase(block.begin(), block.begin() + done);
    }
    if (close(fd) != 0) {
        Fail("cannot close " + path);
    }
}

void WriteSparseFile(const std::string& path, uint64_t size, uint64_t dataBytes)
{
    std::vector<unsigned char> pattern(65536);
    for (size_t i = 0; i < pattern.size(); ++i) {
        pattern[i] = static_cast<unsigned char>((i * 7 + 3) & 0xFF);
    }
    WriteFileOf(path, dataBytes, pattern);
    if (truncate(path.c_str(), static_cast<off_t>(size)) != 0) {
        Fail("cannot extend " + path + ": " + std::strerror(errno));
    }
}

void RemoveFile(const std::string& path)
{
    if (unlink(path.c_str()) != 0 && errno != ENOENT) {
        Fail("cannot remove " + path + ": " + std::strerror(errno));
    }
}

uint64_t FileSize(const std::string& path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        return UINT64_MAX;
    }
    return static_cast<uint64_t>(info.st_size);
}

uint64_t StatusKiB(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.compare(0, prefix.size(), prefix) == 0) {
            return std::strtoull(line.c_str() + prefix.size(), nullptr, 10);
        }
    }
    Fail(std::string("no ") + field + " in /proc/self/status");
}

void ResetPeakMemory()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    if (!clear) {
        Fail("cannot reset the peak resident size");
    }
}

MainDialog::MainDialog()
{
    window =
        CreateDialogParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc, 0);
    if (window == nullptr) {
        Fail("the main dialog did not come up");
    }
    MessageBoxLogClear();
}

MainDialog::~MainDialog()
{
    MessageBoxScriptClear();
    FileDialogScriptClear();
    CloseHandleVariable(&SourceFile.handle);
    if (IsWindow(window)) {
        DestroyWindow(window);
    }
    PumpMessages();
}

double TimeSaveAs(const std::string& source, const std::string& target, DWORD filterIndex,
                  uint64_t expectedSize, uint64_t* idle, uint64_t* peak)
{
    MainDialog dialog;
    OpenSourceFile(source.c_str());
    FileDialogAnswer answer;
    answer.choose = true;
    answer.path = target;
    answer.filterIndex = filterIndex;
    FileDialogScriptSet({answer});
    MessageBoxScriptSet({{IDOK, {}}});
    PumpMessages();

    ResetPeakMemory();
    if (idle != nullptr) {
        *idle = StatusKiB("VmRSS");
    }
    const double start = Now();
    UserChooseMenuItem(dialog.window, IDM_SAVE_AS);
    const double time = Now() - start;
    if (peak != nullptr) {
        *peak = StatusKiB("VmHWM");
    }

    const auto& boxes = MessageBoxLog();
    if (boxes.size() != 1 || boxes[0].text.find("successfully created") == std::string::npos) {
        Fail("Save as did not end with its success box");
    }
    if (FileSize(target) != expectedSize) {
        Fail("Save as wrote " + std::to_string(FileSize(target)) + " bytes");
    }
    return time;
}
