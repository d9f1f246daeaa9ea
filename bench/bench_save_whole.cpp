// Save as of a 5 GiB recording, whole, as RF64 (the file type the save dialog offers past
// 4 GiB), against `cp` and `sync` of the same file, and against the plain WAV Save as of the
// same source (cut to 4 GiB), per byte written. Scratch space: about 11 GiB.
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
constexpr uint64_t PlainSize = 4294967292ull;

// RF64's header is 36 bytes longer than the 44-byte region it replaces.
double SaveWhole(const std::string& source, const std::string& target, bool whole)
{
    return TimeSaveAs(source, target, whole ? WholeRecordingFilterIndex : 1,
                      whole ? SourceSize + 36 : PlainSize);
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
    WriteFileOf(source, SourceSize, MakeTunePcm({.seconds = 10.0})); // 44100 Hz, 16 bit, stereo
    Shell("sync");

    const std::string cp = "cp '" + source + "' '" + target + "' && sync '" + target + "'";
    std::vector<double> program;
    std::vector<double> reference;
    std::vector<double> plainPerWhole; // the plain copy's time scaled to the whole's bytes
    for (int round = 0; round < rounds; ++round) {
        // The sides take turns at going first.
        for (int turn = 0; turn < 3; ++turn) {
            RemoveFile(target);
            Shell("sync");
            const int side = (turn + round) % 3;
            if (side == 0) {
                program.push_back(SaveWhole(source, target, true));
            } else if (side == 1) {
                reference.push_back(TimeShell(cp));
            } else {
                plainPerWhole.push_back(SaveWhole(source, target, false) *
                                        static_cast<double>(SourceSize + 36) /
                                        static_cast<double>(PlainSize));
            }
        }
        std::printf("  round %d: Save as (RF64, 5 GiB) %.3f s, cp + sync %.3f s, plain Save as "
                    "(4 GiB) %.3f s\n",
                    round + 1, program.back(), reference.back(),
                    plainPerWhole.back() * static_cast<double>(PlainSize) /
                        static_cast<double>(SourceSize + 36));
        std::fflush(stdout);
    }
    RemoveFile(target);
    RemoveFile(source);
    PrintRatio("Save as whole (RF64) / cp + sync", program, "cp + sync", reference);
    PrintRatio("Save as whole (RF64) / plain Save as, per byte", program, "plain, scaled",
               plainPerWhole);
    return 0;
}
