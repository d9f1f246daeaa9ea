// The copy's progress range and chunking, where the sizes meet the 32-bit limits.
#include <gtest/gtest.h>

#include "save/save_as.h"

TEST(CopyPlan, RangeAndChunksAtTheEdges)
{
    // The smallest file: one chunk of 4 data bytes, range 0 to 1.
    EXPECT_EQ(ProgressRangeHigh(48), 1u);
    EXPECT_EQ(CopyChunkCount(48), 1u);
    // Exactly two chunks of data: range 0 to 3; the header's 44 bytes push the data
    // over a third file block, so three chunks fill the bar.
    EXPECT_EQ(ProgressRangeHigh(2 * CopyChunkSize + 44), 3u);
    EXPECT_EQ(CopyChunkCount(2 * CopyChunkSize + 44), 3u);
    // A file just past a chunk boundary: one chunk more than the bar has steps.
    EXPECT_EQ(ProgressRangeHigh(CopyChunkSize + 4), 1u);
    EXPECT_EQ(CopyChunkCount(CopyChunkSize + 4), 2u);
    // The largest effective length: the range and the chunks fill 4 GiB, no overflow.
    EXPECT_EQ(ProgressRangeHigh(4294967292u), (1ull << 32) / CopyChunkSize);
    EXPECT_EQ(CopyChunkCount(4294967292u), (1ull << 32) / CopyChunkSize);
}

TEST(CopyPlan, ChunksNeverFallShortOfTheRange)
{
    // The bar ends full only if there are at least as many chunks as steps.
    for (uint64_t length = 48; length < 4 * CopyChunkSize + 100; length += 4) {
        const auto effective = static_cast<uint32_t>(length);
        ASSERT_GE(CopyChunkCount(effective), ProgressRangeHigh(effective)) << length;
        ASSERT_LE(CopyChunkCount(effective), ProgressRangeHigh(effective) + 1) << length;
    }
}
