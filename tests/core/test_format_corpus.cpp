// The format suggestion scored on real recordings from Debian's packages (speech prompts,
// channel announcements, desktop sound effects), each made into temporary files in all four
// widths and channel counts at three rates by sox, and read through the program's own reader.
// A wrong claim fails; no claim is allowed but counted.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/data_windows.h"
#include "core/format_suggestion.h"
#include "core/source_file.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

// How a stereo file is made of the source: its own two channels, a mono source copied to
// both, a mono source beside a softer copy of itself 0.4 ms later (two microphones), or two
// different mono recordings side by side.
enum class Stereo { Own, Same, Spaced, Apart };

struct Source {
    const char* path;
    Stereo stereo;
    const char* other = nullptr; // the second recording of Stereo::Apart
};

const char* const Alsa = "/usr/share/sounds/alsa/";
const char* const Desktop = "/usr/share/sounds/freedesktop/stereo/";
const char* const Prompts = "/usr/share/asterisk/sounds/en_US_f_Allison/";

const Source Sources[] = {
    {"Front_Center.wav", Stereo::Same},
    {"Front_Left.wav", Stereo::Spaced},
    {"Rear_Right.wav", Stereo::Spaced},
    {"Side_Left.wav", Stereo::Same},
    {"alarm-clock-elapsed.oga", Stereo::Own},
    {"complete.oga", Stereo::Own},
    {"phone-incoming-call.oga", Stereo::Own},
    {"service-login.oga", Stereo::Own},
    {"trash-empty.oga", Stereo::Own},
    {"message-new-instant.oga", Stereo::Own},
    {"camera-shutter.oga", Stereo::Own},
    {"suspend-error.oga", Stereo::Spaced},
    {"vm-intro.wav", Stereo::Spaced},
    {"demo-congrats.wav", Stereo::Same},
    {"basic-pbx-ivr-main.wav", Stereo::Spaced},
    {"demo-echotest.wav", Stereo::Apart, "priv-callee-options.wav"},
    {"conf-adminmenu-18.wav", Stereo::Apart, "call-forwarding.wav"},
};

std::string Where(const char* name)
{
    for (const char* folder : {Alsa, Desktop, Prompts}) {
        const std::string path = std::string(folder) + name;
        if (fs::exists(path)) {
            return path;
        }
    }
    return {};
}

// Writes a temporary file of the source in the given format; false when sox failed.
bool MakeTemporaryFile(const Source& source, int bits, int channels, int rate,
                       const std::string& pcm, const std::string& out)
{
    const std::string input = "'" + Where(source.path) + "'";
    std::string command = "sox -V1 -R ";
    if (channels == 2 && source.stereo == Stereo::Apart) {
        command += "-M " + input + " '" + Where(source.other) + "'";
    } else {
        command += input;
    }
    command += " -t raw -e " + std::string(bits == 8 ? "unsigned" : "signed") + "-integer -b " +
               std::to_string(bits) + " -c " + std::to_string(channels) + " -r " +
               std::to_string(rate) + " '" + pcm + "'";
    if (channels == 2 && source.stereo == Stereo::Same) {
        command += " remix 1 1";
    } else if (channels == 2 && source.stereo == Stereo::Spaced) {
        command += " remix 1 1v0.8 delay 0 0.0004";
    }
    command += " trim 0 8";
    if (std::system(command.c_str()) != 0) {
        return false;
    }
    std::ifstream in(pcm, std::ios::binary);
    std::ofstream file(out, std::ios::binary);
    file << std::string(HeaderRegionSize, '\0') << in.rdbuf();
    return static_cast<bool>(file);
}

// The suggestion as the program makes it at open: the windows read through the file handle.
FormatSuggestion SuggestionOf(const std::string& path, bool* read)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    *read = false;
    if (file == INVALID_HANDLE_VALUE) {
        return {0, 0};
    }
    DWORD high = 0;
    const DWORD low = GetFileSize(file, &high);
    uint32_t length = 0;
    uint32_t oversize = 0;
    FormatSuggestion suggestion = {0, 0};
    if (ApplySizeRules(low, high, &length, &oversize) == SizeAccepted &&
        ReadDataWindows(file, length)) {
        *read = true;
        suggestion = SuggestFormat(DataWindows.windows, DataWindows.count);
    }
    CloseHandle(file);
    return suggestion;
}

} // namespace

TEST(FormatCorpus, NoWrongClaimOnRealRecordings)
{
    TempDir temp;
    int files = 0;
    int right = 0;
    int widthOnly = 0;
    int none = 0;
    std::vector<std::string> wrong;
    for (const Source& source : Sources) {
        ASSERT_FALSE(Where(source.path).empty()) << source.path << " (scripts/install-deps.sh)";
        for (int rate : {8000, 22050, 44100}) {
            for (int bits : {8, 16}) {
                for (int channels : {1, 2}) {
                    const std::string name = std::string(source.path) + " " + std::to_string(rate) +
                                             " Hz " + std::to_string(bits) + " bit " +
                                             (channels == 1 ? "mono" : "stereo");
                    const std::string path = temp.file("rec.tmp");
                    ASSERT_TRUE(
                        MakeTemporaryFile(source, bits, channels, rate, temp.file("rec.pcm"), path))
                        << name;
                    bool read = false;
                    const FormatSuggestion s = SuggestionOf(path, &read);
                    ASSERT_TRUE(read) << name;
                    ++files;
                    if ((s.bits != 0 && s.bits != bits) ||
                        (s.channels != 0 && s.channels != channels)) {
                        wrong.push_back(name + ": claimed " + std::to_string(s.bits) + " bit, " +
                                        std::to_string(s.channels) + " channels");
                    } else if (s.channels != 0) {
                        ++right;
                    } else if (s.bits != 0) {
                        ++widthOnly;
                    } else {
                        ++none;
                    }
                }
            }
        }
    }
    std::printf("Corpus: %d files: %d right, %d width only, %d no claim, %zu wrong\n", files, right,
                widthOnly, none, wrong.size());
    for (const std::string& w : wrong) {
        ADD_FAILURE() << w;
    }
    EXPECT_GE(files, 100);
    // Claiming nothing would never be wrong: the suggestion must also be useful.
    EXPECT_GE(right, files * 9 / 10);
}
