// The real main dialog plays through SDL's normal driver into a sound server of our own
// (PulseAudio with a null sink at 44,100 Hz, 16-bit stereo, the files' own format, so the
// server neither resamples nor converts), and the sink's monitor is recorded. What the
// server received must be the file's data byte for byte: every byte, from the first to
// the last, once. The recordings hold no frame of silence (four zero bytes), so the
// capture's silent frames can be cut out without ambiguity: those before and after the
// sound, and those the server plays if a busy machine lets its stream run dry.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>

#include "playback/playback_state.h"
#include "samplegen/samplegen.h"
#include "sound_server/sound_server.h"
#include "support/main_dialog_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double Pi = 3.14159265358979323846;

// 16-bit stereo frames of `seconds`, each sample from `value(t, channel)` in -1..1.
template <typename Value> std::vector<unsigned char> Frames(double seconds, Value value)
{
    const auto frames = static_cast<size_t>(seconds * SinkRate);
    std::vector<unsigned char> pcm;
    for (size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / SinkRate;
        for (unsigned channel = 0; channel < SinkChannels; ++channel) {
            const double v = std::clamp(value(t, channel), -1.0, 1.0);
            const auto bits = static_cast<uint16_t>(static_cast<int16_t>(std::lround(v * 32000)));
            pcm.push_back(static_cast<unsigned char>(bits & 0xFF));
            pcm.push_back(static_cast<unsigned char>(bits >> 8));
        }
    }
    return pcm;
}

// Noise from a fixed seed, -1..1: the hiss under a real recording.
double Noise(uint32_t* state)
{
    *state = *state * 1664525u + 1013904223u;
    return static_cast<double>(*state >> 8) / 8388608.0 - 1.0;
}

// A voice: bursts of low-passed noise and a wandering pitch, syllables and pauses, with
// the room's hiss in between.
std::vector<unsigned char> SpeechLike(double seconds)
{
    uint32_t state = 99;
    double smooth[2] = {0, 0};
    return Frames(seconds, [&](double t, unsigned channel) {
        const double syllable =
            std::max(0.0, std::sin(2 * Pi * 3.1 * t)) * (std::fmod(t, 1.3) < 1.0 ? 1.0 : 0.05);
        const double pitch = 140 + 30 * std::sin(2 * Pi * 0.7 * t);
        smooth[channel] = 0.8 * smooth[channel] + 0.2 * Noise(&state);
        const double voice =
            0.5 * std::sin(2 * Pi * pitch * t) + 0.25 * std::sin(6 * Pi * pitch * t);
        return syllable * (voice + 0.6 * smooth[channel]) + 0.002 * Noise(&state);
    });
}

// A piano-like chord struck twice, each note decaying, over a noise floor.
std::vector<unsigned char> ChordsLike(double seconds)
{
    uint32_t state = 7;
    return Frames(seconds, [&](double t, unsigned channel) {
        const double struck = std::fmod(t, 0.9);
        const double decay = std::exp(-3.0 * struck);
        double sum = 0;
        for (double hz : {220.0, 277.18, 329.63, 440.0}) {
            sum += std::sin(2 * Pi * hz * (channel == 0 ? 1.0 : 1.002) * t);
        }
        return 0.2 * decay * sum + 0.003 * Noise(&state);
    });
}

// The tune of the sample tool, cut to whole frames.
std::vector<unsigned char> Tune(double seconds)
{
    SampleSpec spec;
    spec.seconds = seconds;
    return MakeTunePcm(spec);
}

// No frame of silence in the data, so that the capture's silence is told from the data.
std::vector<unsigned char> WithoutSilentFrames(std::vector<unsigned char> data)
{
    for (size_t frame = 0; frame + 4 <= data.size(); frame += 4) {
        if (std::all_of(data.begin() + static_cast<std::ptrdiff_t>(frame),
                        data.begin() + static_cast<std::ptrdiff_t>(frame + 4),
                        [](unsigned char byte) { return byte == 0; })) {
            data[frame] = 1;
        }
    }
    return data;
}

// The capture without its silent frames; counts those between sounds into `gaps`.
std::string WithoutSilence(const std::string& capture, size_t* gaps)
{
    std::string sound;
    size_t silentRun = 0;
    *gaps = 0;
    for (size_t frame = 0; frame + 4 <= capture.size(); frame += 4) {
        if (capture.compare(frame, 4, std::string(4, '\0')) == 0) {
            ++silentRun;
            continue;
        }
        *gaps += sound.empty() ? 0 : silentRun;
        silentRun = 0;
        sound.append(capture, frame, 4);
    }
    return sound;
}

std::string AsText(const std::vector<unsigned char>& data, size_t from = 0)
{
    return std::string(data.begin() + static_cast<std::ptrdiff_t>(from), data.end());
}

// Empty when `heard` is `expected`; otherwise what differs, in bytes.
std::string Difference(const std::string& heard, const std::string& expected)
{
    if (heard == expected) {
        return "";
    }
    const size_t common = static_cast<size_t>(
        std::mismatch(heard.begin(), heard.end(), expected.begin(), expected.end()).first -
        heard.begin());
    std::string text = "heard " + std::to_string(heard.size()) + " of " +
                       std::to_string(expected.size()) + " bytes, the same for the first " +
                       std::to_string(common);
    if (common == heard.size()) {
        text += ": the last " + std::to_string(expected.size() - common) + " bytes are missing";
    }
    return text;
}

double Milliseconds(Clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

struct Recording {
    const char* name;
    std::vector<unsigned char> (*make)(double seconds);
    double seconds;
};

void PrintTo(const Recording& recording, std::ostream* out)
{
    *out << recording.name << ", " << recording.seconds << " s";
}

class RealServerTest : public ProgramTest {
  protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        std::string reason;
        if (!server.Start(&reason)) {
            GTEST_SKIP() << "no sound server to play through: " << reason;
        }
        // Read by SDL when the first device opens: its normal driver, not the disk.
        setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
        ASSERT_TRUE(server.WarmUp(&reason)) << reason;
        ASSERT_TRUE(server.StartRecording(&reason)) << reason;
    }

    void Write(std::vector<unsigned char> pcm)
    {
        pcm.resize(pcm.size() - pcm.size() % 4);
        data = WithoutSilentFrames(std::move(pcm));
        source = temp.file("rec0001.tmp");
        std::ofstream file(source, std::ios::binary);
        file << std::string(ReservedHeaderSize, '\0') << AsText(data);
        file.close();
        ASSERT_TRUE(file);
    }

    // Runs the real main dialog modally; `job` acts inside its loop, then the user exits.
    void WithMainDialog(const std::function<void()>& job)
    {
        OnNextModalLoop([this, job](HWND main) {
            dialog = main;
            job();
            MessageBoxScriptSet({{IDYES, nullptr}});
            UserChooseMenuItem(main, IDM_EXIT);
            PumpUntil([] { return !IsPlaying(); });
            if (HasFailure()) {
                EndDialog(main, 99); // never left running by a failed step
            }
        });
        const INT_PTR result =
            DialogBoxParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc, 0);
        EXPECT_EQ(result, 0);
    }

    HWND Item(int id) const { return GetDlgItem(dialog, id); }

    // File > Open, answered with the recording.
    void Open()
    {
        FileDialogAnswer answer;
        answer.choose = true;
        answer.path = source;
        FileDialogScriptSet({answer});
        MessageBoxScriptSet({});
        UserChooseMenuItem(dialog, IDM_OPEN);
        ASSERT_TRUE(IsSourceFileOpen());
        ASSERT_TRUE(MessageBoxLog().empty());
    }

    // Pumps the dialog's messages until `done` holds, for at most a minute.
    static void PumpUntil(const std::function<bool()>& done)
    {
        for (int round = 0; round < 60000 && !done(); ++round) {
            PumpMessages();
            usleep(1000);
        }
        ASSERT_TRUE(done());
    }

    // Play, and wait until playback has ended by itself; returns how long it took.
    Clock::duration PlayToTheEnd()
    {
        const Clock::time_point start = Clock::now();
        UserClick(Item(IDC_PLAY));
        EXPECT_TRUE(IsPlaying());
        // The last buffer is back; the device closes once it has played what it holds.
        PumpUntil([] { return PlaybackState.outstanding == 0; });
        const Clock::time_point lastBack = Clock::now();
        PumpUntil([] { return !IsPlaying(); });
        EXPECT_TRUE(MessageBoxLog().empty());
        endWait = Clock::now() - lastBack;
        return Clock::now() - start;
    }

    // What the server received, without its silence; gaps of it in the sound are told.
    std::string Heard()
    {
        std::string reason;
        EXPECT_TRUE(server.StopRecordingAfterQuiet(SinkBytesPerSecond / 4, &reason)) << reason;
        size_t gaps = 0;
        std::string heard = WithoutSilence(ReadWholeFile(server.capture()), &gaps);
        if (gaps > 0) {
            std::cout << gaps
                      << " silent frames inside the sound (a pause to seek or reopen, or a stream "
                         "run dry)\n";
        }
        return heard;
    }

    // `heard` is exactly the data from `from` on, after what played before it: after a seek
    // some start of the data, after a format change the start in the other format.
    void ExpectDataFrom(const std::string& heard, size_t from, bool startIsData)
    {
        const std::string tail = AsText(data, from);
        const size_t at = heard.rfind(tail.substr(0, 64));
        ASSERT_NE(at, std::string::npos) << "the data from " << from << " was not heard";
        EXPECT_EQ(Difference(heard.substr(at), tail), "");
        if (!startIsData) {
            return;
        }
        const std::string before = heard.substr(0, at);
        EXPECT_EQ(AsText(data).compare(0, before.size(), before), 0)
            << "what played before is not the start of the data";
    }

    Clock::duration endWait{};
    SoundServer server{temp.path()};
    HWND dialog = nullptr;
    std::vector<unsigned char> data;
    std::string source;
};

class EveryRecording : public RealServerTest, public ::testing::WithParamInterface<Recording> {};

std::string Name(const ::testing::TestParamInfo<Recording>& info)
{
    return info.param.name;
}

} // namespace

TEST_P(EveryRecording, ServerGetsEveryByteOnce)
{
    const Recording& recording = GetParam();
    Write(recording.make(recording.seconds));
    ASSERT_FALSE(HasFatalFailure());
    Clock::duration took{};
    WithMainDialog([&] {
        Open();
        ASSERT_FALSE(HasFatalFailure());
        took = PlayToTheEnd();
    });
    EXPECT_EQ(Difference(Heard(), AsText(data)), "");
    std::cout << recording.name << ": " << data.size() << " bytes, "
              << Milliseconds(took) - 1000.0 * data.size() / SinkBytesPerSecond
              << " ms from Play to the end beyond the sound's own length, " << Milliseconds(endWait)
              << " ms from the last buffer's return to the close\n";
}

INSTANTIATE_TEST_SUITE_P(RealServer, EveryRecording,
                         ::testing::Values(Recording{"Tune", Tune, 2.3},
                                           Recording{"Speech", SpeechLike, 2.71},
                                           Recording{"Chords", ChordsLike, 1.87},
                                           Recording{"ShorterThanABuffer", SpeechLike, 0.37}),
                         Name);

TEST_F(RealServerTest, AfterASeekEveryByteFromThereOnce)
{
    Write(SpeechLike(3.2));
    uint32_t seekTo = 0;
    WithMainDialog([&] {
        Open();
        ASSERT_FALSE(HasFatalFailure());
        UserClick(Item(IDC_PLAY));
        PumpUntil([] { return PlaybackState.playedPos > 0; });
        UserSlider(Item(IDC_SLIDER), TB_THUMBPOSITION, 60);
        seekTo = PlaybackState.readPos;
        PumpUntil([] { return !IsPlaying(); });
        EXPECT_TRUE(MessageBoxLog().empty());
    });
    ASSERT_EQ(seekTo, data.size() * 60 / 100 / 4 * 4);
    ExpectDataFrom(Heard(), seekTo, true);
}

TEST_F(RealServerTest, AfterAFormatChangeEveryByteFromThereOnce)
{
    Write(ChordsLike(3.1));
    uint32_t resumeAt = 0;
    WithMainDialog([&] {
        Open();
        ASSERT_FALSE(HasFatalFailure());
        // Mono first (the server makes stereo of it), then the sink's own format.
        UserClick(Item(IDC_MONO));
        UserClick(Item(IDC_PLAY));
        PumpUntil([] { return PlaybackState.playedPos > 0; });
        UserClick(Item(IDC_STEREO));
        resumeAt = PlaybackState.readPos;
        PumpUntil([] { return !IsPlaying(); });
        EXPECT_TRUE(MessageBoxLog().empty());
    });
    ASSERT_EQ(resumeAt % 4, 0u);
    ASSERT_GT(resumeAt, 0u);
    ExpectDataFrom(Heard(), resumeAt, false);
}

TEST_F(RealServerTest, StopEndsAtOnceAndPlaysNothingMore)
{
    Write(SpeechLike(3.0));
    Clock::duration took{};
    WithMainDialog([&] {
        Open();
        ASSERT_FALSE(HasFatalFailure());
        UserClick(Item(IDC_PLAY));
        PumpUntil([] { return PlaybackState.playedPos > 0; });
        const Clock::time_point stop = Clock::now();
        UserClick(Item(IDC_STOP));
        PumpUntil([] { return !IsPlaying(); });
        took = Clock::now() - stop;
    });
    const std::string heard = Heard();
    EXPECT_LT(heard.size(), data.size() / 2);
    EXPECT_EQ(AsText(data).compare(0, heard.size(), heard), 0) << Difference(heard, AsText(data));
    std::cout << "Stop to closed: " << Milliseconds(took) << " ms\n";
}
