// Save as through the real command, the file dialog and the closing box answered by the
// seams, against the tools people copy or convert raw sound with: a 1 GiB and a 4 GiB file,
// with the source's pages in the cache (warm) and dropped before every tool (cold).
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "core/resource_ids.h"
#include "platform/testing/seams.h"
#include "samplegen/samplegen.h"
#include "ui/open_source_file.h"

namespace {

// The largest length the program copies whole, so that both tools write the same bytes.
constexpr uint64_t LargestCopy = 4294967292ull;

// Writes the file's dirty pages and drops all its pages from the cache, so that the next
// reader reads from the disk.
void DropCache(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0 || fdatasync(fd) != 0 || posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) != 0) {
        Fail("cannot drop the cached pages of " + path);
    }
    close(fd);
}

struct Reference {
    std::string name;
    std::string command;
    std::vector<double> times;
};

// One size, warm or cold: Save as and the references in turn, each from a `sync` and no
// target; which of Save as and the references goes first alternates between rounds.
void RunCase(const std::string& source, const std::string& target, uint64_t size, bool cold,
             bool allReferences, int rounds)
{
    const std::string label = (size < LargestCopy ? "1 GiB" : "4 GiB") +
                              std::string(cold ? ", source cold" : ", source warm");
    std::printf("Save as of a %s file (44100 Hz, 16 bit, stereo), %s, %d rounds\n",
                size < LargestCopy ? "1 GiB" : "4 GiB - 4 bytes",
                cold ? "source dropped from the page cache before every tool"
                     : "source in the page cache",
                rounds);
    std::fflush(stdout);

    const std::string raw = "-r 44100 -e signed-integer -b 16 -c 2";
    std::vector<Reference> references = {
        {"cp + sync", "cp '" + source + "' '" + target + "' && sync '" + target + "'", {}},
    };
    if (allReferences && std::system("command -v sox >/dev/null") == 0) {
        references.push_back({"sox + sync",
                              "sox -t raw " + raw + " '" + source + "' -t wav '" + target +
                                  "' && sync '" + target + "'",
                              {}});
    }
    if (allReferences && std::system("command -v ffmpeg >/dev/null") == 0) {
        references.push_back({"ffmpeg + sync",
                              "ffmpeg -nostdin -v error -y -f s16le -ar 44100 -ac 2 -i '" + source +
                                  "' -c:a pcm_s16le -f wav '" + target + "' && sync '" + target +
                                  "'",
                              {}});
    }
    if (allReferences) {
        references.push_back({"cp (no flush)", "cp '" + source + "' '" + target + "'", {}});
    }
    auto before = [&] {
        RemoveFile(target);
        Shell("sync");
        if (cold) {
            DropCache(source);
        } else {
            Shell("cat '" + source + "' > /dev/null");
        }
    };

    std::vector<double> program;
    std::vector<double> idle;
    std::vector<double> peak;
    int faster = 0;
    for (int round = 0; round < rounds; ++round) {
        uint64_t idleKiB = 0;
        uint64_t peakKiB = 0;
        auto runProgram = [&] {
            before();
            program.push_back(TimeSaveAs(source, target, 0, size, &idleKiB, &peakKiB));
        };
        if (round % 2 == 0) {
            runProgram();
        }
        for (Reference& reference : references) {
            before();
            reference.times.push_back(TimeShell(reference.command));
        }
        if (round % 2 == 1) {
            runProgram();
        }
        idle.push_back(static_cast<double>(idleKiB));
        peak.push_back(static_cast<double>(peakKiB));
        faster += program.back() < references[0].times.back() ? 1 : 0;
        std::ostringstream line;
        char text[160];
        std::snprintf(text, sizeof text,
                      "  round %d (%s first): Save as %.3f s, cp + sync %.3f s (%.2fx)", round + 1,
                      round % 2 == 0 ? "Save as" : "cp", program.back(), references[0].times.back(),
                      program.back() / references[0].times.back());
        line << text;
        for (size_t i = 1; i < references.size(); ++i) {
            std::snprintf(text, sizeof text, ", %s %.3f s", references[i].name.c_str(),
                          references[i].times.back());
            line << text;
        }
        std::printf("%s, peak +%llu KiB\n", line.str().c_str(),
                    static_cast<unsigned long long>(peakKiB - idleKiB));
        std::fflush(stdout);
    }
    RemoveFile(target);

    for (const Reference& reference : references) {
        PrintRatio("Save as / " + reference.name + " (" + label + ")", program, reference.name,
                   reference.times);
    }
    std::printf("  %-44s %d of %d rounds\n", "Save as faster than cp + sync in", faster, rounds);
    std::vector<double> growth;
    for (size_t i = 0; i < peak.size(); ++i) {
        growth.push_back(peak[i] / idle[i]);
    }
    const Spread idleSpread = SpreadOf(idle);
    const Spread peakSpread = SpreadOf(peak);
    const Spread growthSpread = SpreadOf(growth);
    std::printf("  %-44s %6.3fx  (min %.3f, max %.3f)   peak %.1f MiB vs idle %.1f MiB "
                "(+%.0f KiB)\n\n",
                "peak memory during the copy / idle", growthSpread.median, growthSpread.min,
                growthSpread.max, peakSpread.median / 1024, idleSpread.median / 1024,
                peakSpread.median - idleSpread.median);
    std::fflush(stdout);
}

} // namespace

// SALVORIN_BENCH_SAVE_CASES picks the cases, a list of "1w", "1c", "4w", "4c" (size in GiB,
// warm or cold); the default is all four. sox and ffmpeg are measured in "1w" only, and not
// at all with SALVORIN_BENCH_SAVE_REFERENCES=cp.
int main(int argc, char** argv)
{
    BenchStartup(argc, argv);
    const int rounds = Rounds(9);
    const std::string dir = DataDir();
    const std::string source = dir + "/saveas-source.tmp";
    const std::string target = dir + "/saveas-target.wav";
    const char* casesText = std::getenv("SALVORIN_BENCH_SAVE_CASES");
    std::istringstream cases(casesText != nullptr && *casesText != '\0' ? casesText
                                                                        : "1w 1c 4w 4c");

    const char* referencesText = std::getenv("SALVORIN_BENCH_SAVE_REFERENCES");
    const bool cpOnly = referencesText != nullptr && std::string(referencesText) == "cp";

    SampleSpec tune;
    tune.seconds = 10;
    uint64_t made = 0;
    std::string item;
    while (cases >> item) {
        if (item.size() != 2 || (item[0] != '1' && item[0] != '4') ||
            (item[1] != 'w' && item[1] != 'c')) {
            Fail("unknown case " + item + " (1w, 1c, 4w, 4c)");
        }
        const uint64_t size = item[0] == '1' ? 1ull << 30 : LargestCopy;
        if (made != size) {
            RemoveFile(source);
            WriteFileOf(source, size, MakeTunePcm(tune));
            Shell("sync");
            made = size;
        }
        RunCase(source, target, size, item[1] == 'c', item == "1w" && !cpOnly, rounds);
    }
    RemoveFile(source);
    return 0;
}
