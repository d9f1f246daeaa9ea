// Open with the format suggestion (the windows read, judged and the format selected) against
// the open as it was before it (the same open with the suggestion's first seek made to fail,
// so it reads no data), on a 1 GiB file of the tune and a sparse 6 GiB one, page cache warm
// and cold (the file's pages dropped before each open).
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "core/resource_ids.h"
#include "core/source_file.h"
#include "platform/testing/seams.h"
#include "samplegen/samplegen.h"

namespace {

constexpr uint64_t OneGiB = 1ull << 30;
constexpr uint64_t SixGiB = 6ull << 30;

void DropCache(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0 || fdatasync(fd) != 0 || posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) != 0) {
        Fail("cannot drop the cached pages of " + path);
    }
    close(fd);
}

// File > Open of `path`, from the menu to the window showing it (the file dialog answers at
// once, so this is the time from the dialog closing to the window ready).
double Open(const std::string& path, bool suggest, bool cold, std::string* line)
{
    MainDialog dialog;
    FileDialogAnswer answer;
    answer.choose = true;
    answer.path = path;
    FileDialogScriptSet({answer});
    PumpMessages();
    if (cold) {
        DropCache(path);
    }
    if (!suggest) {
        FaultInject("SetFilePointer", 1, ERROR_INVALID_HANDLE);
    }
    const double start = Now();
    UserChooseMenuItem(dialog.window, IDM_OPEN);
    PumpMessages();
    const double time = Now() - start;
    FaultClearAll();
    if (!IsSourceFileOpen() || !MessageBoxLog().empty()) {
        Fail("Open did not open " + path);
    }
    char text[256] = "";
    GetWindowTextA(GetDlgItem(dialog.window, IDC_SUGGESTION), text, sizeof text);
    *line = text;
    return time;
}

void Measure(const std::string& what, const std::string& path, bool cold, int rounds)
{
    std::vector<double> with;
    std::vector<double> without;
    std::string line;
    std::string none;
    for (int round = 0; round < rounds; ++round) {
        if (round % 2 == 0) {
            with.push_back(Open(path, true, cold, &line));
            without.push_back(Open(path, false, cold, &none));
        } else {
            without.push_back(Open(path, false, cold, &none));
            with.push_back(Open(path, true, cold, &line));
        }
    }
    PrintRatio(what, with, "open without", without);
    std::printf("    (line: \"%s\")\n", line.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    BenchStartup(argc, argv);
    const int rounds = Rounds(5) * 2 + 1;
    const std::string dir = DataDir();
    const std::string large = dir + "/suggest-1g.tmp";
    const std::string sparse = dir + "/suggest-6g.tmp";
    SampleSpec spec;
    spec.seconds = 10.0;
    WriteFileOf(large, OneGiB, MakeTunePcm(spec));
    WriteSparseFile(sparse, SixGiB, 1u << 20);
    Shell("sync");

    std::string line;
    Open(large, true, false, &line); // the first dialog pays for lazy set-up: not measured
    std::printf("Open with the format suggestion / without, %d rounds each\n", rounds);
    Measure("1 GiB, warm", large, false, rounds);
    Measure("6 GiB sparse, warm", sparse, false, rounds);
    Measure("1 GiB, cold", large, true, rounds);
    Measure("6 GiB sparse, cold", sparse, true, rounds);
    RemoveFile(large);
    RemoveFile(sparse);
    return 0;
}
