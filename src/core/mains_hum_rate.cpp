#include "core/mains_hum_rate.h"

#include <cmath>
#include <initializer_list>

#include "core/pcm_frames.h"
#include "core/wave_format.h"

namespace {

// The sound is looked at in blocks of this many frames, taken from runs of contiguous windows
// and tapered at both ends: at the highest offered rate a block is 0.17 s, eight bins between
// one hum harmonic and the next. A few blocks bound the work at open.
constexpr int BlockFrames = 8192;
constexpr int MaximumBlocks = 8;
constexpr int MinimumBlocks = 3;
// A line: its power at least this many times the mean power three bins to either side, and
// no less than half a bin to either side (a tone near, not at, the frequency is no hum).
constexpr double LineMargin = 8;
constexpr double SideBins = 3;
// Lines are judged only this many bins away from 0 and well below the top of the band.
constexpr double LowestBin = 6;
constexpr double HighestFraction = 0.45;
// Hum lasts, at one level: its fundamental stands out in every block one by one, and its
// power in one block is within this factor of its power in any other (a note of music or a
// repeating signal comes and goes).
constexpr double SteadyMargin = 3;
constexpr double SteadyLevel = 6;
// A hum is faint: its fundamental's amplitude below this share of full scale. A loud steady tone
// with its harmonics, a test tone, is a sound of its own, whatever its frequency.
constexpr double FaintShare = 0.1;

float Blocks[MaximumBlocks][BlockFrames];
int BlockCount = 0;

// Chains of windows that follow each other in the data (a window DataWindowSize long, then
// the one that starts where it ends), found among windows in order of offset that may
// interleave with other windows.
int NextWindow[DataWindowCount];
int ChainFirst[DataWindowCount];
uint64_t ChainBlocks[DataWindowCount];

int ChainsOf(const DataWindow* windows, int count, uint32_t frameBytes)
{
    constexpr int MaximumOpen = 8;
    int openLast[MaximumOpen];
    int openChain[MaximumOpen];
    uint64_t chainBytes[DataWindowCount];
    int openCount = 0;
    int chainCount = 0;
    for (int w = 0; w < count; ++w) {
        NextWindow[w] = -1;
        int open = 0;
        while (open < openCount) {
            const DataWindow& last = windows[openLast[open]];
            if (last.size == DataWindowSize && last.offset + last.size == windows[w].offset) {
                break;
            }
            ++open;
        }
        if (open < openCount) {
            NextWindow[openLast[open]] = w;
            openLast[open] = w;
            chainBytes[openChain[open]] += windows[w].size;
            continue;
        }
        ChainFirst[chainCount] = w;
        chainBytes[chainCount] = windows[w].size;
        // A new chain, in place of the one that ends earliest when all places are taken.
        int slot = 0;
        if (openCount < MaximumOpen) {
            slot = openCount++;
        } else {
            for (int o = 1; o < openCount; ++o) {
                if (windows[openLast[o]].offset < windows[openLast[slot]].offset) {
                    slot = o;
                }
            }
        }
        openLast[slot] = w;
        openChain[slot] = chainCount++;
    }
    for (int c = 0; c < chainCount; ++c) {
        ChainBlocks[c] = chainBytes[c] / frameBytes / BlockFrames;
    }
    return chainCount;
}

// Fills Blocks with blocks spread evenly over all the chains' whole blocks: the channels
// summed, each block's mean taken away and a Hann taper applied.
void CollectBlocks(const DataWindow* windows, int count, int bits, int channels)
{
    BlockCount = 0;
    const uint32_t frameBytes = static_cast<uint32_t>(bits / 8 * channels);
    const int chainCount = ChainsOf(windows, count, frameBytes);
    uint64_t available = 0;
    for (int c = 0; c < chainCount; ++c) {
        available += ChainBlocks[c];
    }
    const uint64_t taken = available < MaximumBlocks ? available : MaximumBlocks;
    const double step = 2 * 3.14159265358979323846 / (BlockFrames - 1);
    for (uint64_t b = 0; b < taken; ++b) {
        uint64_t index = b * available / taken;
        int c = 0;
        while (index >= ChainBlocks[c]) {
            index -= ChainBlocks[c++];
        }
        // Walk the chain to the block's first byte, then read on across its windows.
        int w = ChainFirst[c];
        uint64_t at = index * BlockFrames * frameBytes;
        while (at >= DataWindowSize) {
            w = NextWindow[w];
            at -= DataWindowSize;
        }
        PcmFrames frames = FramesOf(windows[w], bits, channels);
        uint32_t frame = static_cast<uint32_t>(at / frameBytes);
        float* block = Blocks[BlockCount++];
        double mean = 0;
        for (int i = 0; i < BlockFrames; ++i) {
            if (frame >= frames.frames) {
                w = NextWindow[w];
                frames = FramesOf(windows[w], bits, channels);
                frame = 0;
            }
            int sum = 0;
            for (int ch = 0; ch < channels; ++ch) {
                sum += frames.Sample(frame, ch);
            }
            ++frame;
            block[i] = static_cast<float>(sum);
            mean += sum;
        }
        mean /= BlockFrames;
        for (int i = 0; i < BlockFrames; ++i) {
            block[i] = static_cast<float>((block[i] - mean) * (0.5 - 0.5 * std::cos(step * i)));
        }
    }
}

// Powers about one frequency: at it, three bins to either side (the floor around a line) and
// half a bin to either side (a line is at its peak there).
enum Probe { At, Below, Above, JustBelow, JustAbove, ProbeCount };

// The powers about `cycles` per sample in one block, by Goertzel's recurrence for the five
// frequencies side by side, in one pass.
void BlockProbe(const float* block, double cycles, double* powers)
{
    const double bin = 1.0 / BlockFrames;
    const double offsets[ProbeCount] = {0, -SideBins * bin, SideBins * bin, -bin / 2, bin / 2};
    double coefficients[ProbeCount];
    double s1[ProbeCount] = {};
    double s2[ProbeCount] = {};
    for (int p = 0; p < ProbeCount; ++p) {
        coefficients[p] = 2 * std::cos(2 * 3.14159265358979323846 * (cycles + offsets[p]));
    }
    for (int i = 0; i < BlockFrames; ++i) {
        for (int p = 0; p < ProbeCount; ++p) {
            const double s0 = block[i] + coefficients[p] * s1[p] - s2[p];
            s2[p] = s1[p];
            s1[p] = s0;
        }
    }
    for (int p = 0; p < ProbeCount; ++p) {
        powers[p] = s1[p] * s1[p] + s2[p] * s2[p] - coefficients[p] * s1[p] * s2[p];
    }
}

// The powers about one frequency in every block, and over the quieter blocks: for each
// probe the lowest but a quarter of the blocks. A hum is there in every block at one level;
// the sound over it comes and goes, and where it is loud it hides the hum's line.
struct Probes {
    double blocks[MaximumBlocks][ProbeCount];
    double quiet[ProbeCount];
};

void ProbeAt(double cycles, Probes* probes)
{
    for (int b = 0; b < BlockCount; ++b) {
        BlockProbe(Blocks[b], cycles, probes->blocks[b]);
    }
    for (int p = 0; p < ProbeCount; ++p) {
        double sorted[MaximumBlocks] = {};
        for (int b = 0; b < BlockCount; ++b) {
            int at = b;
            for (; at > 0 && sorted[at - 1] > probes->blocks[b][p]; --at) {
                sorted[at] = sorted[at - 1];
            }
            sorted[at] = probes->blocks[b][p];
        }
        probes->quiet[p] = sorted[(BlockCount - 1) / 4];
    }
}

bool Judgeable(double cycles)
{
    return cycles * BlockFrames >= LowestBin && cycles < HighestFraction;
}

// A narrow line over the quieter blocks.
bool Line(const Probes& probes)
{
    const double* quiet = probes.quiet;
    return quiet[At] > LineMargin * (quiet[Below] + quiet[Above]) / 2 &&
           quiet[At] >= quiet[JustBelow] && quiet[At] >= quiet[JustAbove];
}

bool LineAt(double cycles)
{
    if (!Judgeable(cycles)) {
        return false;
    }
    Probes probes;
    ProbeAt(cycles, &probes);
    return Line(probes);
}

// The line stands out in every block one by one, at about one level, as a hum does.
bool Steady(const Probes& probes)
{
    double lowest = 0;
    double highest = 0;
    for (int b = 0; b < BlockCount; ++b) {
        const double* block = probes.blocks[b];
        if (!(block[At] > SteadyMargin * (block[Below] + block[Above]) / 2)) {
            return false;
        }
        lowest = b == 0 || block[At] < lowest ? block[At] : lowest;
        highest = b == 0 || block[At] > highest ? block[At] : highest;
    }
    return highest <= SteadyLevel * lowest;
}

// A faint, steady line at `cycles` with lines at its 2nd and 3rd harmonics. The amplitude of
// a tone of amplitude A in a tapered block gives a power of (A N / 4)^2.
bool HumAt(double cycles, double fullScale)
{
    if (!Judgeable(cycles)) {
        return false;
    }
    Probes probes;
    ProbeAt(cycles, &probes);
    const double amplitude = 4 * std::sqrt(probes.quiet[At]) / BlockFrames;
    return amplitude < FaintShare * fullScale && Line(probes) && Steady(probes) &&
           LineAt(2 * cycles) && LineAt(3 * cycles);
}

} // namespace

uint32_t RateFromMainsHum(const DataWindow* windows, int count, int bits, int channels,
                          RateCue* cue)
{
    *cue = RateCue::None;
    CollectBlocks(windows, count, bits, channels);
    if (BlockCount < MinimumBlocks) {
        return 0;
    }
    // Every offered rate and mains frequency whose hum the data holds. A hum read at a rate
    // that divides the true one shows its harmonics as the fundamental and its own harmonics:
    // the true rate's fundamental is the lowest of them, and the others are its multiples.
    double lowest = 1;
    uint32_t rate = 0;
    RateCue lowestCue = RateCue::None;
    double found[2 * SampleRateCount];
    int foundCount = 0;
    for (uint32_t candidate : SampleRateTable) {
        for (RateCue mains : {RateCue::Mains50, RateCue::Mains60}) {
            const double cycles = (mains == RateCue::Mains50 ? 50.0 : 60.0) / candidate;
            if (!HumAt(cycles, (bits == 8 ? 128.0 : 32768.0) * channels)) {
                continue;
            }
            found[foundCount++] = cycles;
            if (cycles < lowest) {
                lowest = cycles;
                rate = candidate;
                lowestCue = mains;
            }
        }
    }
    if (foundCount == 0) {
        return 0;
    }
    for (int i = 0; i < foundCount; ++i) {
        const double multiple = found[i] / lowest;
        if (std::fabs(multiple - std::round(multiple)) > 0.01) {
            return 0; // two hums that do not explain each other: no claim
        }
    }
    // Nor is the lowest one itself a harmonic of a line below it (a rate above the offered
    // ones, or a hum below the mains).
    for (int divisor : {2, 3, 4, 6}) {
        if (LineAt(lowest / divisor)) {
            return 0;
        }
    }
    *cue = lowestCue;
    return rate;
}
