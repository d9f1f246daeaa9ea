#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "samplegen/samplegen.h"
#include "support/temp_dir.h"

namespace {

// The dominant frequency of a stretch of samples, from its zero crossings.
double CrossingHz(const std::vector<double>& samples, uint32_t rate)
{
    int crossings = 0;
    for (size_t i = 1; i < samples.size(); ++i) {
        if ((samples[i - 1] < 0) != (samples[i] < 0)) {
            ++crossings;
        }
    }
    return crossings / 2.0 / (static_cast<double>(samples.size()) / rate);
}

} // namespace

TEST(SampleGenerator, WritesTheReservedRegionThenWholeFramesOfEveryFormat)
{
    TempDir temp;
    for (int bits : {8, 16}) {
        for (int channels : {1, 2}) {
            SampleSpec spec;
            spec.rate = 11025;
            spec.bits = bits;
            spec.channels = channels;
            spec.seconds = 1.0;
            const std::string path = temp.file("t.tmp");
            std::string error;
            ASSERT_TRUE(WriteTemporaryFile(path, spec, &error)) << error;
            const std::string bytes = ReadWholeFile(path);
            ASSERT_EQ(bytes.size(), 44u + 11025u * (bits / 8) * channels);
            EXPECT_EQ(bytes.substr(0, 44), std::string(44, '\0'));
        }
    }
}

TEST(SampleGenerator, TheTuneIsAudibleAndTheChannelsDiffer)
{
    SampleSpec spec;
    spec.rate = 44100;
    spec.bits = 16;
    spec.channels = 2;
    spec.seconds = 0.5; // the first note, C4
    const std::vector<unsigned char> pcm = MakeTunePcm(spec);
    std::vector<double> left;
    std::vector<double> right;
    for (size_t i = 0; i + 3 < pcm.size(); i += 4) {
        left.push_back(static_cast<int16_t>(pcm[i] | (pcm[i + 1] << 8)));
        right.push_back(static_cast<int16_t>(pcm[i + 2] | (pcm[i + 3] << 8)));
    }
    EXPECT_NEAR(CrossingHz(left, 44100), 261.6, 5.0);
    EXPECT_NEAR(CrossingHz(right, 44100), 392.4, 5.0);

    // 8-bit samples are unsigned, centred on 128.
    spec.bits = 8;
    spec.channels = 1;
    const std::vector<unsigned char> bytes = MakeTunePcm(spec);
    double sum = 0;
    for (unsigned char b : bytes) {
        sum += b;
    }
    EXPECT_NEAR(sum / bytes.size(), 128.0, 1.0);
}

TEST(SampleGenerator, RefusesFormatsAUserCannotState)
{
    TempDir temp;
    SampleSpec spec;
    spec.bits = 24;
    std::string error;
    EXPECT_FALSE(WriteTemporaryFile(temp.file("x.tmp"), spec, &error));
    EXPECT_FALSE(error.empty());
    spec.bits = 16;
    EXPECT_FALSE(WriteTemporaryFile(temp.path() + "/no/such/dir/x.tmp", spec, &error));
}
