// Save as of a 1 GiB file through the real command, the file dialog and the closing box
// answered by the seams, against the tools people copy or convert raw sound with.
#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "core/resource_ids.h"
#include "platform/testing/seams.h"
#include "samplegen/samplegen.h"
#include "ui/open_source_file.h"

namespace {

constexpr uint64_t SourceSize = 1ull << 30;

// One Save as; returns its time and the resident sizes before and at the peak (KiB).
double SaveAs(const std::string& source, const std::string& target, uint64_t* idle, uint64_t* peak)
{
    MainDialog dialog;
    OpenSourceFile(source.c_str());
    FileDialogAnswer answer;
    answer.choose = true;
    answer.path = target;
    FileDialogScriptSet({answer});
    MessageBoxScriptSet({{IDOK, {}}});
    PumpMessages();

    ResetPeakMemory();
    *idle = StatusKiB("VmRSS");
    const double start = Now();
    UserChooseMenuItem(dialog.window, IDM_SAVE_AS);
    const double time = Now() - start;
    *peak = StatusKiB("VmHWM");

    const auto& boxes = MessageBoxLog();
    if (boxes.size() != 1 || boxes[0].text.find("successfully created") == std::string::npos) {
        Fail("Save as did not end with its success box");
    }
    if (FileSize(target) != SourceSize) {
        Fail("Save as wrote " + std::to_string(FileSize(target)) + " bytes");
    }
    return time;
}

} // namespace

int main(int argc, char** argv)
{
    BenchStartup(argc, argv);
    const int rounds = Rounds(5);
    const std::string dir = DataDir();
    const std::string source = dir + "/saveas-source.tmp";
    const std::string target = dir + "/saveas-target.wav";

    std::printf("Save as of a 1 GiB file (44100 Hz, 16 bit, stereo), page cache warm, %d rounds\n",
                rounds);
    std::fflush(stdout);
    SampleSpec spec;
    spec.seconds = 10;
    WriteFileOf(source, SourceSize, MakeTunePcm(spec));
    Shell("sync && cat '" + source + "' > /dev/null");

    const std::string raw = "-r 44100 -e signed-integer -b 16 -c 2";
    struct Reference {
        std::string name;
        std::string command;
        std::vector<double> times;
    };
    std::vector<Reference> references = {
        {"cp + sync", "cp '" + source + "' '" + target + "' && sync '" + target + "'", {}},
        {"sox + sync",
         "sox -t raw " + raw + " '" + source + "' -t wav '" + target + "' && sync '" + target + "'",
         {}},
        {"ffmpeg + sync",
         "ffmpeg -nostdin -v error -y -f s16le -ar 44100 -ac 2 -i '" + source +
             "' -c:a pcm_s16le -f wav '" + target + "' && sync '" + target + "'",
         {}},
        {"cp (no flush)", "cp '" + source + "' '" + target + "'", {}},
    };

    std::vector<double> program;
    std::vector<double> idle;
    std::vector<double> peak;
    for (int round = 0; round < rounds; ++round) {
        RemoveFile(target);
        Shell("sync");
        uint64_t idleKiB = 0;
        uint64_t peakKiB = 0;
        program.push_back(SaveAs(source, target, &idleKiB, &peakKiB));
        idle.push_back(static_cast<double>(idleKiB));
        peak.push_back(static_cast<double>(peakKiB));
        for (Reference& reference : references) {
            RemoveFile(target);
            Shell("sync");
            reference.times.push_back(TimeShell(reference.command));
        }
        std::printf("  round %d: Save as %.3f s, cp + sync %.3f s, sox %.3f s, ffmpeg %.3f s, "
                    "cp %.3f s\n",
                    round + 1, program.back(), references[0].times.back(),
                    references[1].times.back(), references[2].times.back(),
                    references[3].times.back());
        std::fflush(stdout);
    }
    RemoveFile(target);
    RemoveFile(source);

    for (const Reference& reference : references) {
        PrintRatio("Save as / " + reference.name, program, reference.name, reference.times);
    }
    std::vector<double> growth;
    for (size_t i = 0; i < peak.size(); ++i) {
        growth.push_back(peak[i] / idle[i]);
    }
    const Spread idleSpread = SpreadOf(idle);
    const Spread peakSpread = SpreadOf(peak);
    const Spread growthSpread = SpreadOf(growth);
    std::printf("  %-44s %6.3fx  (min %.3f, max %.3f)   peak %.1f MiB vs idle %.1f MiB "
                "(+%.0f KiB)\n",
                "peak memory during the copy / idle", growthSpread.median, growthSpread.min,
                growthSpread.max, peakSpread.median / 1024, idleSpread.median / 1024,
                peakSpread.median - idleSpread.median);
    return 0;
}
