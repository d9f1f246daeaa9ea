#include <gtest/gtest.h>

#include <string>

#include "core/source_file.h"

namespace {

struct SizeCase {
    uint64_t size;
    SizeVerdict verdict;
    uint32_t effectiveLength;
    uint32_t oversize;
    uint64_t wholeLength; // what playback and an RF64 copy use
};

std::string Grouped(const char* text)
{
    char out[44];
    GroupDigits(text, out);
    return out;
}

std::string Duration(uint64_t effectiveLength, uint32_t bytesPerSecond)
{
    char text[DurationTextSize];
    FormatDuration(effectiveLength, bytesPerSecond, text, sizeof text);
    return text;
}

} // namespace

TEST(SizeRules, MinimumRoundingAndOversizeCut)
{
    const SizeCase cases[] = {
        {0, SizeTooSmall, 0, 0, 0},
        {47, SizeTooSmall, 0, 0, 44},
        {48, SizeAccepted, 48, 0, 48},
        {49, SizeAccepted, 48, 0, 48},
        {51, SizeAccepted, 48, 0, 48},
        {52, SizeAccepted, 52, 0, 52},
        {4294967292ull, SizeAccepted, 4294967292u, 0, 4294967292ull},
        {4294967293ull, SizeAccepted, 4294967292u, 1, 4294967292ull},
        // Low half 0xFFFFFFFF is a true size here, not a failure.
        {4294967295ull, SizeAccepted, 4294967292u, 1, 4294967292ull},
        // High half set but low half tiny: the minimum check must not look at the low half.
        {4294967296ull, SizeAccepted, 4294967292u, 1, 4294967296ull},
        {4294967296ull + 10, SizeAccepted, 4294967292u, 1, 4294967304ull},
        {6442450944ull, SizeAccepted, 4294967292u, 1, 6442450944ull},
    };
    for (const SizeCase& c : cases) {
        uint32_t length = 0;
        uint32_t oversize = 7;
        const SizeVerdict verdict =
            ApplySizeRules(static_cast<DWORD>(c.size & 0xFFFFFFFF),
                           static_cast<DWORD>(c.size >> 32), &length, &oversize);
        EXPECT_EQ(verdict, c.verdict) << c.size;
        if (verdict == SizeAccepted) {
            EXPECT_EQ(length, c.effectiveLength) << c.size;
            EXPECT_EQ(oversize, c.oversize) << c.size;
            EXPECT_EQ(WholeLengthOf(static_cast<DWORD>(c.size & 0xFFFFFFFF),
                                    static_cast<DWORD>(c.size >> 32)),
                      c.wholeLength)
                << c.size;
        }
    }
}

TEST(GroupDigits, GroupsOfThreeFromTheRight)
{
    EXPECT_EQ(Grouped(""), "");
    EXPECT_EQ(Grouped("0"), "0");
    EXPECT_EQ(Grouped("999"), "999");
    EXPECT_EQ(Grouped("1000"), "1 000");
    EXPECT_EQ(Grouped("123456"), "123 456");
    EXPECT_EQ(Grouped("4294967292"), "4 294 967 292");
    EXPECT_EQ(Grouped("6442450944"), "6 442 450 944");
    EXPECT_EQ(Grouped("18446744073709551615"), "18 446 744 073 709 551 615");
}

TEST(Duration, HoursMinutesSecondsTruncated)
{
    EXPECT_EQ(Duration(0, 176400), "0:00:00");
    EXPECT_EQ(Duration(48, 176400), "0:00:00");
    EXPECT_EQ(Duration(176444, 176400), "0:00:01");
    EXPECT_EQ(Duration(176443, 176400), "0:00:00");
    EXPECT_EQ(Duration(645800444, 176400), "1:01:01");
    EXPECT_EQ(Duration(MaximumEffectiveLength, 8000), "149:07:50");
    EXPECT_EQ(Duration(MaximumEffectiveLength, 176400), "6:45:47");
    // Past 4 GiB the seconds no longer fit 32 bits at one byte a second.
    EXPECT_EQ(Duration(6442450944ull, 176400), "10:08:41");
    EXPECT_EQ(Duration(44 + 5000000000ull, 1), "1388888:53:20");
    // Before the first recompute the byte rate is 0: no division by zero.
    EXPECT_EQ(Duration(1000, 0), "0:00:00");
}
