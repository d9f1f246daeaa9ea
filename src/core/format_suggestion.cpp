#include "core/format_suggestion.h"

#include <cmath>
#include <cstdlib>
#include <initializer_list>

#include "core/mains_hum_rate.h"
#include "core/pcm_frames.h"

namespace {

// Less than one window's worth is too little to tell.
constexpr uint64_t MinimumBytes = DataWindowSize;
// Read the right way, neighbouring samples of sound are alike (smooth sound) or opposed (sound
// near the top of the band): their correlation is far from the 0 of independent noise.
constexpr double NotNoise = 0.3;
// A byte position "gathers" near a centre when its mean distance from it is below this share
// of its mean distance from the other centre.
constexpr double GatherMargin = 0.75;
// 16-bit high bytes gather nearer 0x00/0xFF than the low bytes, by at least this share.
constexpr double SpreadMargin = 0.85;
// Same-instant against next-instant steps: stereo when clearly unequal, mono when close.
constexpr double StereoAsymmetry = 0.7;
constexpr double MonoAsymmetry = 0.85;
// Channels this much alike are one sound in both, each with its own noise.
constexpr double NearlyIdentical = 0.2;
// Steps within a channel read as stereo, against steps read as mono: stereo well below,
// mono above (a mono signal's two-sample steps are larger than its one-sample steps).
constexpr double StereoStepRatio = 0.6;
constexpr double MonoStepRatio = 1.15;
// Sound near the top of the band: read as mono, neighbours are strongly correlated (or
// opposed); read as stereo, each channel's neighbours are two samples apart and much less so.
constexpr double MonoStructureGap = 0.3;
// Near-silence in 8 bits: every byte this close to 0x80, and some of them not 0x80 itself.
// Read as 16 bits it would be a constant near full scale, which no recorder writes.
constexpr int NearSilenceSteps = 4;
// Quiet 16-bit sound: this share of high bytes is the low byte's sign (0x00 under a low byte
// below 0x80, 0xFF over one from 0x80 up), and each sign is this common at least.
constexpr double SignFollowShare = 0.97;
constexpr double EachSignShare = 0.05;

// How much a reading moves, per channel: sums of absolute and squared steps and distances
// from the window's mean.
struct Motion {
    double steps = 0;
    double squaredSteps = 0;
    double stepCount = 0;
    double squaredLevel = 0;
    double levelCount = 0;

    // The correlation of neighbouring samples, 1 - E[step^2] / (2 E[level^2]); 0 when flat.
    double Correlation() const
    {
        if (squaredLevel <= 0 || stepCount <= 0) {
            return 0;
        }
        return 1 - (squaredSteps / stepCount) / (2 * squaredLevel / levelCount);
    }
    double MeanStep() const { return stepCount > 0 ? steps / stepCount : 0; }
};

Motion MotionOf(const DataWindow* windows, int count, int bits, int channels)
{
    Motion motion;
    for (int w = 0; w < count; ++w) {
        const PcmFrames reading = FramesOf(windows[w], bits, channels);
        const uint32_t frames = reading.frames;
        if (frames < 2) {
            continue;
        }
        for (int c = 0; c < channels; ++c) {
            int64_t sum = 0;
            for (uint32_t f = 0; f < frames; ++f) {
                sum += reading.Sample(f, c);
            }
            const double mean = static_cast<double>(sum) / frames;
            int previous = reading.Sample(0, c);
            double squaredLevel = (previous - mean) * (previous - mean);
            int64_t steps = 0;
            int64_t squaredSteps = 0;
            for (uint32_t f = 1; f < frames; ++f) {
                const int sample = reading.Sample(f, c);
                const int64_t step = sample - previous;
                steps += step < 0 ? -step : step;
                squaredSteps += step * step;
                squaredLevel += (sample - mean) * (sample - mean);
                previous = sample;
            }
            motion.steps += static_cast<double>(steps);
            motion.squaredSteps += static_cast<double>(squaredSteps);
            motion.stepCount += frames - 1;
            motion.squaredLevel += squaredLevel;
            motion.levelCount += frames;
        }
    }
    return motion;
}

// Mean distance of the bytes at even and at odd offsets from 0x80 and from 0x00/0xFF.
struct BytePositions {
    double fromMiddle[2] = {0, 0};
    double fromZero[2] = {0, 0};
};

BytePositions BytePositionsOf(const DataWindow* windows, int count)
{
    uint64_t middle[2] = {0, 0};
    uint64_t zero[2] = {0, 0};
    uint64_t seen[2] = {0, 0};
    for (int w = 0; w < count; ++w) {
        for (uint32_t i = 0; i < windows[w].size; ++i) {
            const int b = windows[w].bytes[i];
            middle[i % 2] += static_cast<uint64_t>(std::abs(b - 128));
            zero[i % 2] += static_cast<uint64_t>(b < 128 ? b : 255 - b);
            seen[i % 2] += 1;
        }
    }
    BytePositions positions;
    for (int p = 0; p < 2; ++p) {
        if (seen[p] > 0) {
            positions.fromMiddle[p] = static_cast<double>(middle[p]) / seen[p];
            positions.fromZero[p] = static_cast<double>(zero[p]) / seen[p];
        }
    }
    return positions;
}

bool Gathers(double near, double far)
{
    return near < GatherMargin * far;
}

// Either reading of the width (mono or stereo) moves as sound does, not as noise.
bool MovesAsSound(const DataWindow* windows, int count, int bits)
{
    for (int channels : {1, 2}) {
        const double correlation = MotionOf(windows, count, bits, channels).Correlation();
        if (correlation > NotNoise || correlation < -NotNoise) {
            return true;
        }
    }
    return false;
}

bool NearSilence8(const DataWindow* windows, int count)
{
    bool moves = false;
    for (int w = 0; w < count; ++w) {
        for (uint32_t i = 0; i < windows[w].size; ++i) {
            const int b = windows[w].bytes[i];
            if (b < 0x80 - NearSilenceSteps || b > 0x80 + NearSilenceSteps) {
                return false;
            }
            moves = moves || b != 0x80;
        }
    }
    return moves;
}

bool HighBytesFollowSign(const DataWindow* windows, int count)
{
    uint64_t pairs = 0;
    uint64_t negative = 0;
    uint64_t positive = 0;
    for (int w = 0; w < count; ++w) {
        const unsigned char* bytes = windows[w].bytes;
        for (uint32_t i = 0; i + 1 < windows[w].size; i += 2) {
            pairs += 1;
            if (bytes[i + 1] == 0xFF && bytes[i] >= 0x80) {
                negative += 1;
            } else if (bytes[i + 1] == 0x00 && bytes[i] < 0x80) {
                positive += 1;
            }
        }
    }
    return pairs > 0 && negative + positive >= SignFollowShare * pairs &&
           negative >= EachSignShare * pairs && positive >= EachSignShare * pairs;
}

uint16_t SuggestWidth(const DataWindow* windows, int count)
{
    const BytePositions bytes = BytePositionsOf(windows, count);
    // 16-bit little-endian: the high (odd) bytes gather near 0x00/0xFF, more than near 0x80
    // and more than the low bytes do, which spread.
    const bool high16 = Gathers(bytes.fromZero[1], bytes.fromMiddle[1]) &&
                        bytes.fromZero[1] < SpreadMargin * bytes.fromZero[0];
    // 8-bit unsigned: bytes at both positions gather near 0x80.
    const bool middle8 = Gathers(bytes.fromMiddle[0], bytes.fromZero[0]) &&
                         Gathers(bytes.fromMiddle[1], bytes.fromZero[1]);
    if (high16 && !middle8) {
        return MovesAsSound(windows, count, 16) || HighBytesFollowSign(windows, count) ? 16 : 0;
    }
    if (middle8 && !high16) {
        return MovesAsSound(windows, count, 8) || NearSilence8(windows, count) ? 8 : 0;
    }
    return 0;
}

// Every pair of samples (the first and second of each frame, were it stereo) is the same,
// and the sound is not one constant.
bool PairsIdentical(const DataWindow* windows, int count, int bits)
{
    bool moves = false;
    for (int w = 0; w < count; ++w) {
        const PcmFrames pairs = FramesOf(windows[w], bits, 2);
        for (uint32_t f = 0; f < pairs.frames; ++f) {
            if (pairs.Sample(f, 0) != pairs.Sample(f, 1)) {
                return false;
            }
            moves = moves || pairs.Sample(f, 0) != pairs.Sample(0, 0);
        }
    }
    return moves;
}

uint16_t SuggestChannels(const DataWindow* windows, int count, int bits)
{
    // Consecutive samples in pairs: (even, odd) are one frame's two channels if stereo,
    // (odd, next even) straddle two instants. In mono the two kinds of pair are alike.
    double same = 0;
    double across = 0;
    for (int w = 0; w < count; ++w) {
        const PcmFrames mono = FramesOf(windows[w], bits, 1);
        for (uint32_t i = 0; i + 2 < mono.frames; i += 2) {
            const int a = mono.Sample(i, 0);
            const int b = mono.Sample(i + 1, 0);
            const int c = mono.Sample(i + 2, 0);
            same += std::abs(a - b);
            across += std::abs(b - c);
        }
    }
    if (same + across <= 0) {
        return 0;
    }
    // Nearly identical channels make `same` small: stereo (a mono sound written to both
    // channels, each with its own noise). Identical ones never come here.
    const double asymmetry = across > 0 ? same / across : 1 / StereoAsymmetry + 1;
    if (asymmetry < NearlyIdentical) {
        return 2;
    }
    const Motion mono = MotionOf(windows, count, bits, 1);
    const Motion stereo = MotionOf(windows, count, bits, 2);
    // Unequal pairs, and each channel not swinging from one sample to the next: a mono tone
    // near a quarter of the rate makes unequal pairs too, but read as stereo it would swing.
    if ((asymmetry < StereoAsymmetry || asymmetry > 1 / StereoAsymmetry) &&
        stereo.Correlation() > 0) {
        return 2;
    }
    if (mono.MeanStep() <= 0) {
        return 0;
    }
    const double ratio = stereo.MeanStep() / mono.MeanStep();
    const double correlation = stereo.Correlation();
    // Each channel smoother than the stream read as mono, and more alike from one sample to
    // the next than the mono reading's neighbours are alike or opposed: mono sound near the
    // top of the band, read as stereo, is smoother too, but its mono neighbours are opposed.
    if (ratio < StereoStepRatio && correlation > NotNoise &&
        correlation > std::fabs(mono.Correlation())) {
        return 2;
    }
    const bool balanced = asymmetry > MonoAsymmetry && asymmetry < 1 / MonoAsymmetry;
    // Channels that differ moderately: pairs somewhat unequal, each channel moving as sound and
    // more smoothly than the mono reading's neighbours are alike or opposed.
    if (!balanced && correlation > NotNoise && correlation > std::fabs(mono.Correlation())) {
        return 2;
    }
    const double monoStructure = std::fabs(mono.Correlation());
    if (balanced &&
        (ratio > MonoStepRatio || monoStructure > std::fabs(correlation) + MonoStructureGap)) {
        return 1;
    }
    return 0;
}

} // namespace

FormatSuggestion SuggestFormat(const DataWindow* windows, int count)
{
    uint64_t total = 0;
    for (int w = 0; w < count; ++w) {
        total += windows[w].size;
    }
    FormatSuggestion suggestion = {0, 0};
    if (total < MinimumBytes) {
        return suggestion;
    }
    suggestion.bits = SuggestWidth(windows, count);
    if (suggestion.bits == 0) {
        return suggestion;
    }
    // Stereo with identical channels and mono with every sample twice are the same bytes and
    // sound the same; the data tells neither the channels nor, so, the rate.
    if (PairsIdentical(windows, count, suggestion.bits)) {
        suggestion.pairsIdentical = true;
        return suggestion;
    }
    suggestion.channels = SuggestChannels(windows, count, suggestion.bits);
    if (suggestion.channels != 0) {
        suggestion.rate =
            RateFromMainsHum(windows, count, suggestion.bits, suggestion.channels, &suggestion.cue);
    }
    return suggestion;
}
