#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/source_file.h"
#include "core/wav_header.h"
#include "core/wave_format.h"

namespace {

std::vector<unsigned char> Bytes(const WavHeader& header, int from, int to)
{
    return std::vector<unsigned char>(header.bytes + from, header.bytes + to + 1);
}

void UseFormat(WORD bits, WORD channels, DWORD rate)
{
    SetStartingFormatValues();
    CurrentFormat.wBitsPerSample = bits;
    CurrentFormat.nChannels = channels;
    CurrentFormat.nSamplesPerSec = rate;
    RecomputeDerivedFields();
}

} // namespace

TEST(WavHeader, StartingFormatAndSmallestFileGiveTheCanonicalBytes)
{
    UseFormat(16, 2, 44100);
    SourceFile.effectiveLength = 48;
    WavHeader header;
    std::memset(&header, 0xCC, sizeof header);
    ASSERT_EQ(BuildWavHeader(&header), &header);
    const unsigned char expected[WavHeaderSize] = {
        0x52, 0x49, 0x46, 0x46, 0x28, 0x00, 0x00, 0x00, 0x57, 0x41, 0x56, 0x45, 0x66, 0x6D, 0x74,
        0x20, 0x10, 0x00, 0x00, 0x00, 0x01, 0x00, 0x02, 0x00, 0x44, 0xAC, 0x00, 0x00, 0x10, 0xB1,
        0x02, 0x00, 0x04, 0x00, 0x10, 0x00, 0x64, 0x61, 0x74, 0x61, 0x04, 0x00, 0x00, 0x00};
    EXPECT_EQ(std::vector<unsigned char>(header.bytes, header.bytes + WavHeaderSize),
              std::vector<unsigned char>(expected, expected + WavHeaderSize));
}

TEST(WavHeader, FormatFieldsFollowTheStatedFormat)
{
    UseFormat(8, 1, 8000);
    SourceFile.effectiveLength = 1000;
    WavHeader header;
    BuildWavHeader(&header);
    EXPECT_EQ(Bytes(header, 20, 35),
              (std::vector<unsigned char>{0x01, 0x00, 0x01, 0x00, 0x40, 0x1F, 0x00, 0x00, 0x40,
                                          0x1F, 0x00, 0x00, 0x01, 0x00, 0x08, 0x00}));

    // A typed five-digit rate in 16-bit stereo: 99999 * 4 bytes per second.
    UseFormat(16, 2, 99999);
    BuildWavHeader(&header);
    EXPECT_EQ(Bytes(header, 24, 31),
              (std::vector<unsigned char>{0x9F, 0x86, 0x01, 0x00, 0x7C, 0x1A, 0x06, 0x00}));
}

TEST(WavHeader, OversizeFileSizesDoNotWrap)
{
    UseFormat(16, 2, 44100);
    SourceFile.effectiveLength = MaximumEffectiveLength;
    WavHeader header;
    BuildWavHeader(&header);
    EXPECT_EQ(Bytes(header, 4, 7), (std::vector<unsigned char>{0xF4, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(Bytes(header, 40, 43), (std::vector<unsigned char>{0xD0, 0xFF, 0xFF, 0xFF}));
}

TEST(WavHeader, IsBuiltFromTheFormatAtTheTimeOfTheCall)
{
    UseFormat(16, 2, 44100);
    SourceFile.effectiveLength = 176444;
    WavHeader before;
    BuildWavHeader(&before);
    UseFormat(16, 1, 22050);
    WavHeader after;
    BuildWavHeader(&after);
    EXPECT_EQ(after.bytes[22], 1);
    EXPECT_EQ(Bytes(after, 24, 27), (std::vector<unsigned char>{0x22, 0x56, 0x00, 0x00}));
    EXPECT_NE(Bytes(before, 20, 35), Bytes(after, 20, 35));
    // The sizes depend only on the file.
    EXPECT_EQ(Bytes(before, 40, 43), Bytes(after, 40, 43));
}

TEST(Rf64Header, LaidOutForAWholeRecordingPastFourGiB)
{
    // 16-bit stereo, 4 GiB + 1 MiB of data: every 64-bit size needs its high half.
    UseFormat(16, 2, 44100);
    SourceFile.effectiveLength = MaximumEffectiveLength;
    SourceFile.wholeLength = 44 + 0x100000000ull + 0x100000;
    Rf64Header header;
    std::memset(&header, 0xCC, sizeof header);
    ASSERT_EQ(BuildRf64Header(&header), &header);
    const unsigned char expected[Rf64HeaderSize] = {
        'R',  'F',  '6',  '4',  0xFF, 0xFF, 0xFF, 0xFF, 'W',  'A',  'V',  'E', //
        'd',  's',  '6',  '4',  0x1C, 0x00, 0x00, 0x00,                        // ds64, 28 bytes
        0x48, 0x00, 0x10, 0x00, 0x01, 0x00, 0x00, 0x00,                        // RIFF: 72 + data
        0x00, 0x00, 0x10, 0x00, 0x01, 0x00, 0x00, 0x00,                        // data
        0x00, 0x00, 0x04, 0x40, 0x00, 0x00, 0x00, 0x00,                        // frames: data / 4
        0x00, 0x00, 0x00, 0x00,                                                // no table
        'f',  'm',  't',  ' ',  0x10, 0x00, 0x00, 0x00, 0x01, 0x00, 0x02, 0x00,
        0x44, 0xAC, 0x00, 0x00, 0x10, 0xB1, 0x02, 0x00, 0x04, 0x00, 0x10, 0x00, //
        'd',  'a',  't',  'a',  0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(std::vector<unsigned char>(header.bytes, header.bytes + Rf64HeaderSize),
              std::vector<unsigned char>(expected, expected + Rf64HeaderSize));

    // 8-bit mono counts a frame per byte; the effective length plays no part.
    UseFormat(8, 1, 8000);
    SourceFile.effectiveLength = 48;
    BuildRf64Header(&header);
    EXPECT_EQ(std::vector<unsigned char>(header.bytes + 36, header.bytes + 44),
              (std::vector<unsigned char>{0x00, 0x00, 0x10, 0x00, 0x01, 0x00, 0x00, 0x00}));
}
