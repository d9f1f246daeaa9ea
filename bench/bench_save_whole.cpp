// Save as of a 5 GiB recording, whole, as RF64 (the file type the save dialog offers past
// 4 GiB), against `cp` and `sync` of the same file. Scratch space: about 11 GiB.
#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "core/resource_ids.h"
#include "platform/testing/seams.h"
#include "samplegen/samplegen.h"
#include "save/save_as.h"
#include "ui/open_source_file.h"

namespace {

constexpr uint64_t SourceSize = 5ull << 30;

double SaveWhole(const std::string& source, const std::string& target)
{
    MainDialog dialog;
    OpenSourceFile(source.c_str());
    FileDialogAnswer answer;
    answer.choose = true;
    answer.path = target;
    answer.filterIndex = WholeRecordingFilterIndex;
    FileDialogScriptSet({answer});
    MessageBoxScriptSet({{IDOK, {}}});
    PumpMessages();

    const double start = Now();
    UserChooseMenuItem(dialog.window, IDM_SAVE_AS);
    const double time = Now() - start;

    const auto& boxes = MessageBoxLog();
    if (boxes.size() != 1 || boxes[0].text.find("Nothing was cut") == std::string::npos) {
        Fail("Save as did not end with its whole-recording box");
    }
    // RF64's header is 36 bytes longer than the 44-byte region it replaces.
    if (FileSize(target) != SourceSize + 36) {
        Fail("Save as wrote " + std::to_string(FileSize(target)) + " bytes");
    }
    return time;
}

} // namespace

int main(int argc, char** argv)
{
    BenchStartup(argc, argv);
    const int rounds = Rounds(3);
    const std::string dir = DataDir();
    const std::string source = dir + "/whole-source.tmp";
    const std::string target = dir + "/whole-target.wav";

    std::printf("Save as of a 5 GiB file whole as RF64 (44100 Hz, 16 bit, stereo), %d rounds\n",
                rounds);
    std::fflush(stdout);
    SampleSpec spec;
    spec.seconds = 10;
    WriteFileOf(source, SourceSize, MakeTunePcm(spec));
    Shell("sync");

    const std::string cp = "cp '" + source + "' '" + target + "' && sync '" + target + "'";
    std::vector<double> program;
    std::vector<double> reference;
    for (int round = 0; round < rounds; ++round) {
        // Each side first in every other round: the page cache holds only part of 5 GiB.
        for (int side = 0; side < 2; ++side) {
            RemoveFile(target);
            Shell("sync");
            if ((side + round) % 2 == 0) {
                program.push_back(SaveWhole(source, target));
            } else {
                reference.push_back(TimeShell(cp));
            }
        }
        std::printf("  round %d: Save as (RF64) %.3f s, cp + sync %.3f s\n", round + 1,
                    program.back(), reference.back());
        std::fflush(stdout);
    }
    RemoveFile(target);
    RemoveFile(source);
    PrintRatio("Save as whole (RF64) / cp + sync", program, "cp + sync", reference);
    return 0;
}
