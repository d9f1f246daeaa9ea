// The format suggestion scored on real recordings from Debian's packages (speech prompts,
// channel announcements, desktop and game sound effects, game music), each made into
// temporary files in all four widths and channel counts at several rates by sox, and read
// through the program's own reader. Some are changed on the way as a recorder would change
// them: made near-silent, written with every sample twice, or given a mains hum. A wrong
// claim of width, channels or rate fails; no claim is allowed but counted.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "core/data_windows.h"
#include "core/format_suggestion.h"
#include "core/source_file.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

// How a stereo file is made of the source: its own two channels, a mono source copied to
// both, a mono source beside a softer copy of itself 0.4 ms later (two microphones), the same
// 15 ms later (a wide image), or two different mono recordings side by side.
enum class Stereo { Own, Same, Spaced, Wide, Apart };

// What happens to the sound before it is written. Quiet: near-silence, 48 dB down, a few
// steps of 8 bits at most. Twice: every frame written twice, as a driver that doubles the rate
// does (the rate stated is the doubled one). Hum50/Hum60: the recording 10 dB down over a
// recorder's noise floor of mains hum, a 49.97 or 60.03 Hz tone at -48 dBFS with its 2nd, 3rd
// and 5th harmonics, the same in both channels but softer on the right: the hum is
// synthesized here, an honest model of what a recorder near mains wiring picks up.
enum class Change { None, Quiet, Twice, Hum50, Hum60 };

struct Source {
    const char* category;
    const char* path;
    Stereo stereo;
    Change change = Change::None;
    const char* other = nullptr; // the second recording of Stereo::Apart
    double start = 0;            // seconds skipped (a music track's intro)
};

const char* const Folders[] = {
    "/usr/share/sounds/alsa/",
    "/usr/share/sounds/freedesktop/stereo/",
    "/usr/share/asterisk/sounds/en_US_f_Allison/",
    "/usr/share/sounds/sound-icons/",
    "/usr/share/games/lbreakout2/sounds/",
    "/usr/share/games/parsec47/sounds/",
    "/usr/share/games/torus-trooper/sounds/musics/",
    "/usr/share/games/torus-trooper/sounds/chunks/",
    "/usr/share/games/tumiki-fighters/sounds/",
};

const Source Sources[] = {
    {"speech", "Front_Center.wav", Stereo::Same},
    {"speech", "Front_Left.wav", Stereo::Spaced},
    {"speech", "Rear_Right.wav", Stereo::Spaced},
    {"speech", "Side_Left.wav", Stereo::Same},
    {"speech", "vm-intro.wav", Stereo::Spaced},
    {"speech", "demo-congrats.wav", Stereo::Same},
    {"speech", "basic-pbx-ivr-main.wav", Stereo::Spaced},
    {"speech", "excellent.wav", Stereo::Spaced},
    {"effects", "alarm-clock-elapsed.oga", Stereo::Own},
    {"effects", "complete.oga", Stereo::Own},
    {"effects", "phone-incoming-call.oga", Stereo::Own},
    {"effects", "service-login.oga", Stereo::Own},
    {"effects", "trash-empty.oga", Stereo::Own},
    {"effects", "message-new-instant.oga", Stereo::Own},
    {"effects", "camera-shutter.oga", Stereo::Own},
    {"effects", "suspend-error.oga", Stereo::Spaced},
    {"effects", "exp.wav", Stereo::Same},
    {"effects", "bossdst.wav", Stereo::Spaced},
    {"effects", "boss_dest.wav", Stereo::Spaced},
    {"effects", "boss_destroyed.wav", Stereo::Same},
    {"effects", "trumpet-12.wav", Stereo::Spaced},
    {"effects", "canary-long.wav", Stereo::Same},
    {"music", "tt1.ogg", Stereo::Same, Change::None, nullptr, 12},
    {"music", "ptn1.ogg", Stereo::Spaced, Change::None, nullptr, 20},
    {"music", "panic_on_meadow.ogg", Stereo::Spaced, Change::None, nullptr, 5},
    {"music", "tt3.ogg", Stereo::Same, Change::None, nullptr, 30},
    {"wide stereo", "demo-echotest.wav", Stereo::Apart, Change::None, "priv-callee-options.wav"},
    {"wide stereo", "conf-adminmenu-18.wav", Stereo::Apart, Change::None, "call-forwarding.wav"},
    {"wide stereo", "tt2.ogg", Stereo::Apart, Change::None, "ptn2.ogg", 15},
    {"wide stereo", "tt4.ogg", Stereo::Wide, Change::None, nullptr, 10},
    {"wide stereo", "we_are_tumiki_fighters.ogg", Stereo::Wide, Change::None, nullptr, 3},
    {"near-silence", "vm-intro.wav", Stereo::Spaced, Change::Quiet},
    {"near-silence", "complete.oga", Stereo::Own, Change::Quiet},
    {"near-silence", "ptn3.ogg", Stereo::Same, Change::Quiet, nullptr, 10},
    {"near-silence", "Front_Left.wav", Stereo::Spaced, Change::Quiet},
    {"repeated samples", "demo-congrats.wav", Stereo::Spaced, Change::Twice},
    {"repeated samples", "ptn1.ogg", Stereo::Spaced, Change::Twice, nullptr, 20},
    {"repeated samples", "exp.wav", Stereo::Spaced, Change::Twice},
    {"repeated samples", "phone-incoming-call.oga", Stereo::Own, Change::Twice},
    {"mains hum 50, speech", "vm-intro.wav", Stereo::Spaced, Change::Hum50},
    {"mains hum 60, speech", "demo-congrats.wav", Stereo::Same, Change::Hum60},
    {"mains hum 60, speech", "Front_Left.wav", Stereo::Spaced, Change::Hum60},
    {"mains hum 50, speech", "basic-pbx-ivr-main.wav", Stereo::Spaced, Change::Hum50},
    {"mains hum 50, other", "tt1.ogg", Stereo::Spaced, Change::Hum50, nullptr, 12},
    {"mains hum 60, other", "panic_on_meadow.ogg", Stereo::Same, Change::Hum60, nullptr, 5},
    {"mains hum 60, other", "complete.oga", Stereo::Own, Change::Hum60},
    {"mains hum 50, other", "trumpet-12.wav", Stereo::Spaced, Change::Hum50},
};

const int CommonRates[] = {8000, 11025, 22050, 44100};
const int AllRates[] = {48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025, 8000};

std::string Where(const char* name)
{
    for (const char* folder : Folders) {
        const std::string path = std::string(folder) + name;
        if (fs::exists(path)) {
            return path;
        }
    }
    return {};
}

bool Run(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

std::vector<float> ReadFloats(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<float> samples(bytes.size() / sizeof(float));
    std::copy(bytes.begin(), bytes.begin() + samples.size() * sizeof(float),
              reinterpret_cast<char*>(samples.data()));
    return samples;
}

void ChangeSound(std::vector<float>& frames, const Source& source, int channels, int rate)
{
    if (source.change == Change::Quiet) {
        for (float& s : frames) {
            s *= 0.004f;
        }
    } else if (source.change == Change::Hum50 || source.change == Change::Hum60) {
        const double mains = source.change == Change::Hum50 ? 49.97 : 60.03;
        const double pi = 3.14159265358979;
        for (size_t f = 0; f * channels < frames.size(); ++f) {
            const double t = static_cast<double>(f) / rate;
            const double hum =
                0.004 * (std::sin(2 * pi * mains * t) + 0.5 * std::sin(4 * pi * mains * t + 1) +
                         0.6 * std::sin(6 * pi * mains * t + 2) +
                         0.25 * std::sin(10 * pi * mains * t + 0.5));
            for (int c = 0; c < channels; ++c) {
                float& s = frames[f * channels + c];
                s = static_cast<float>(0.3 * s + hum * (c == 0 ? 1.0 : 0.8));
            }
        }
    }
}

// Writes a temporary file of the source in the given format; false when sox failed.
bool MakeTemporaryFile(const Source& source, int bits, int channels, int rate,
                       const std::string& scratch, const std::string& out)
{
    // The sound as floats at the rate it is made at (half the stated one when every frame
    // comes twice), then changed, then written in the format by sox with its dither; the
    // doubling driver repeats the frames as written.
    const int madeRate = source.change == Change::Twice ? rate / 2 : rate;
    const std::string input = "'" + Where(source.path) + "'";
    std::string command = "sox -V1 -R ";
    if (channels == 2 && source.stereo == Stereo::Apart) {
        command += "-M " + input + " '" + Where(source.other) + "'";
    } else {
        command += input;
    }
    const std::string raw = " -t raw -e floating-point -b 32 -c " + std::to_string(channels) +
                            " -r " + std::to_string(madeRate) + " ";
    command += raw + "'" + scratch + ".f32'";
    if (channels == 2 && source.stereo == Stereo::Same) {
        command += " remix 1 1";
    } else if (channels == 2 && source.stereo == Stereo::Spaced) {
        command += " remix 1 1v0.8 delay 0 0.0004";
    } else if (channels == 2 && source.stereo == Stereo::Wide) {
        command += " remix 1 1v0.6 delay 0 0.015";
    }
    // A recorder with a hum keeps recording its noise floor after a short sound ends.
    const bool hum = source.change == Change::Hum50 || source.change == Change::Hum60;
    command += " trim " + std::to_string(source.start) + " 8" + (hum ? " pad 0 8 trim 0 8" : "");
    if (!Run(command)) {
        return false;
    }
    std::vector<float> frames = ReadFloats(scratch + ".f32");
    ChangeSound(frames, source, channels, madeRate);
    std::ofstream(scratch + ".f32", std::ios::binary)
        .write(reinterpret_cast<const char*>(frames.data()),
               static_cast<std::streamsize>(frames.size() * sizeof(float)));
    if (!Run("sox -V1 -R" + raw + "'" + scratch + ".f32' -t raw -e " +
             (bits == 8 ? "unsigned" : "signed") + "-integer -b " + std::to_string(bits) + " '" +
             scratch + ".pcm'")) {
        return false;
    }
    std::ifstream in(scratch + ".pcm", std::ios::binary);
    std::string pcm((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (source.change == Change::Twice) {
        const size_t frame = static_cast<size_t>(bits / 8 * channels);
        std::string twice;
        for (size_t at = 0; at + frame <= pcm.size(); at += frame) {
            twice.append(pcm, at, frame).append(pcm, at, frame);
        }
        pcm = twice;
    }
    std::ofstream file(out, std::ios::binary);
    file << std::string(HeaderRegionSize, '\0') << pcm;
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

// Scores one category of the sources; fails on any wrong claim, and where the category's
// answers are fewer than it should get.
void ScoreCategory(const std::string& category, double rightShare, double rateShare)
{
    TempDir temp;
    int files = 0;
    int right = 0;  // width and channels (or the identical pairs where they are)
    int partly = 0; // the width only
    int none = 0;
    int rates = 0; // right rate claims; a wrong one counts as wrong
    std::map<std::string, int> cues;
    std::vector<std::string> wrong;
    std::vector<std::string> silent;
    for (const Source& source : Sources) {
        if (category != source.category) {
            continue;
        }
        ASSERT_FALSE(Where(source.path).empty()) << source.path << " (scripts/install-deps.sh)";
        const bool hum = source.change == Change::Hum50 || source.change == Change::Hum60;
        for (int rate : hum ? std::vector<int>(std::begin(AllRates), std::end(AllRates))
                            : std::vector<int>(std::begin(CommonRates), std::end(CommonRates))) {
            for (int bits : {8, 16}) {
                for (int channels : {1, 2}) {
                    const std::string name = std::string(source.path) + " " + std::to_string(rate) +
                                             " Hz " + std::to_string(bits) + " bit " +
                                             (channels == 1 ? "mono" : "stereo");
                    const std::string path = temp.file("rec.tmp");
                    ASSERT_TRUE(
                        MakeTemporaryFile(source, bits, channels, rate, temp.file("rec"), path))
                        << name;
                    bool read = false;
                    const FormatSuggestion s = SuggestionOf(path, &read);
                    ASSERT_TRUE(read) << name;
                    ++files;
                    // Mono with every sample twice is also stereo with identical channels at
                    // half the rate; stereo with identical channels also that mono.
                    const bool pairsAlike = (source.change == Change::Twice && channels == 1) ||
                                            (source.stereo == Stereo::Same && channels == 2);
                    if ((s.bits != 0 && s.bits != bits) ||
                        (s.channels != 0 && s.channels != channels) ||
                        (s.pairsIdentical && !pairsAlike) ||
                        (s.rate != 0 && s.rate != static_cast<uint32_t>(rate))) {
                        wrong.push_back(name + ": claimed " + std::to_string(s.bits) + " bit, " +
                                        std::to_string(s.channels) + " channels" +
                                        (s.pairsIdentical ? " (pairs identical)" : "") + ", " +
                                        std::to_string(s.rate) + " per second");
                        continue;
                    }
                    if (s.channels != 0 || s.pairsIdentical) {
                        ++right;
                    } else if (s.bits != 0) {
                        ++partly;
                        silent.push_back(name + ": width only");
                    } else {
                        ++none;
                        silent.push_back(name + ": no claim");
                    }
                    if (s.rate == 0 && hum && s.channels != 0) {
                        silent.push_back(name + ": no rate");
                    }
                    if (s.rate != 0) {
                        ++rates;
                        ++cues[s.cue == RateCue::Mains50 ? "mains 50 Hz" : "mains 60 Hz"];
                    }
                }
            }
        }
    }
    std::printf("%s: %d files: %d right, %d width only, %d no claim, %zu wrong; %d right "
                "rates\n",
                category.c_str(), files, right, partly, none, wrong.size(), rates);
    for (const auto& [cue, count] : cues) {
        std::printf("  rate told by %s: %d\n", cue.c_str(), count);
    }
    for (const std::string& w : silent) {
        std::printf("  %s\n", w.c_str());
    }
    for (const std::string& w : wrong) {
        ADD_FAILURE() << w;
    }
    EXPECT_GE(files, 60);
    // Claiming nothing would never be wrong: the suggestion must also be useful.
    EXPECT_GE(right, files * rightShare);
    EXPECT_GE(rates, files * rateShare);
}

} // namespace

// One test each, so each runs in its own time. The shares are floors under what the
// suggestion gets: channels are in the sound of speech, music and effects; near-silence in 8
// bits holds only the width, and so does the hum-only stretch after a short sound; a hum's
// rate shows where quieter stretches let its lines through.
namespace {

struct Floor {
    const char* test;
    const char* category;
    double rightShare;
    double rateShare;
};

const Floor Floors[] = {
    {"Speech", "speech", 0.95, 0},
    {"Effects", "effects", 0.85, 0},
    {"Music", "music", 0.95, 0},
    {"WideStereo", "wide stereo", 0.8, 0},
    {"NearSilence", "near-silence", 0.4, 0},
    {"RepeatedSamples", "repeated samples", 0.95, 0},
    {"MainsHum50Speech", "mains hum 50, speech", 0.6, 0.25},
    {"MainsHum50Other", "mains hum 50, other", 0.6, 0.25},
    {"MainsHum60Speech", "mains hum 60, speech", 0.6, 0.25},
    {"MainsHum60Other", "mains hum 60, other", 0.6, 0.25},
};

class FormatCorpus : public ::testing::TestWithParam<Floor> {};

void PrintTo(const Floor& floor, std::ostream* out)
{
    *out << floor.category;
}

} // namespace

TEST_P(FormatCorpus, NoWrongClaimAndEnoughRightOnes)
{
    ScoreCategory(GetParam().category, GetParam().rightShare, GetParam().rateShare);
}

INSTANTIATE_TEST_SUITE_P(Categories, FormatCorpus, ::testing::ValuesIn(Floors),
                         [](const ::testing::TestParamInfo<Floor>& info) {
                             return std::string(info.param.test);
                         });
