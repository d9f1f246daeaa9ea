#include "samplegen/samplegen.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr double Pi = 3.14159265358979323846;
// C major arpeggio, two octaves: C4 E4 G4 C5 E5 G5 C6 G5.
constexpr double NoteHz[] = {261.63, 329.63, 392.00, 523.25, 659.25, 783.99, 1046.50, 783.99};
constexpr double NoteSeconds = 0.5;

double TuneValue(double t, double transpose)
{
    const int count = sizeof NoteHz / sizeof NoteHz[0];
    const int note = static_cast<int>(t / NoteSeconds) % count;
    const double inNote = std::fmod(t, NoteSeconds);
    // 10 ms attack and release, so notes join without clicks.
    const double edge = 0.01;
    double envelope = 1.0;
    if (inNote < edge) {
        envelope = inNote / edge;
    } else if (NoteSeconds - inNote < edge) {
        envelope = (NoteSeconds - inNote) / edge;
    }
    return 0.6 * envelope * std::sin(2.0 * Pi * NoteHz[note] * transpose * t);
}

} // namespace

std::vector<unsigned char> MakeTunePcm(const SampleSpec& spec)
{
    const uint64_t frames = static_cast<uint64_t>(spec.seconds * spec.rate);
    const int bytesPerSample = spec.bits / 8;
    std::vector<unsigned char> pcm;
    pcm.reserve(frames * static_cast<uint64_t>(bytesPerSample * spec.channels));
    for (uint64_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / spec.rate;
        for (int channel = 0; channel < spec.channels; ++channel) {
            const double value = TuneValue(t, channel == 0 ? 1.0 : 1.5);
            if (spec.bits == 8) {
                pcm.push_back(static_cast<unsigned char>(std::lround(128.0 + value * 127.0)));
            } else {
                const auto sample = static_cast<int16_t>(std::lround(value * 32767.0));
                const auto bits = static_cast<uint16_t>(sample);
                pcm.push_back(static_cast<unsigned char>(bits & 0xFF));
                pcm.push_back(static_cast<unsigned char>(bits >> 8));
            }
        }
    }
    return pcm;
}

bool WriteTemporaryFile(const std::string& path, const SampleSpec& spec, std::string* error)
{
    if ((spec.bits != 8 && spec.bits != 16) || (spec.channels != 1 && spec.channels != 2) ||
        spec.rate == 0 || spec.seconds < 0) {
        *error = "unsupported format";
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        *error = path + ": " + std::strerror(errno);
        return false;
    }
    const unsigned char reserved[ReservedHeaderSize] = {};
    const std::vector<unsigned char> pcm = MakeTunePcm(spec);
    bool ok = std::fwrite(reserved, 1, sizeof reserved, file) == sizeof reserved;
    ok = ok && (pcm.empty() || std::fwrite(pcm.data(), 1, pcm.size(), file) == pcm.size());
    ok = (std::fclose(file) == 0) && ok;
    if (!ok) {
        *error = path + ": write failed";
    }
    return ok;
}
