// A file opened with FILE_FLAG_SEQUENTIAL_SCAN for writing goes to the disk as it is
// written: how much waits for the disk, and what a failed write-back does to the write.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "platform/testing/seams.h"
#include "platform/win32.h"
#include "support/temp_dir.h"

namespace {

constexpr DWORD Chunk = 64 * 1024;
constexpr uint64_t Window = 16u << 20;
constexpr DWORD ChunksPerWindow = Window / Chunk;

// cachestat(2), newer than this system's headers.
struct CacheRange {
    uint64_t offset;
    uint64_t length;
};
struct CacheCounts {
    uint64_t cached;
    uint64_t dirty;
    uint64_t writeback;
    uint64_t evicted;
    uint64_t recentlyEvicted;
};
constexpr long CachestatCall = 451;

// Bytes of `path` in the page cache not yet on the disk (dirty or being written); -1 when
// the kernel cannot tell.
int64_t UnwrittenBytes(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    CacheRange range{0, 0}; // the whole file
    CacheCounts counts{};
    const long result = syscall(CachestatCall, fd, &range, &counts, 0);
    close(fd);
    if (result != 0) {
        return -1;
    }
    return static_cast<int64_t>((counts.dirty + counts.writeback) *
                                static_cast<uint64_t>(sysconf(_SC_PAGESIZE)));
}

HANDLE CreateForWriting(const std::string& path, DWORD flags)
{
    return CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, flags, nullptr);
}

// Writes `chunks` chunks of 64 KiB; the index of the first that fails, or `chunks`.
DWORD WriteChunks(HANDLE file, DWORD chunks, DWORD* written)
{
    std::vector<char> bytes(Chunk, 'x');
    for (DWORD i = 0; i < chunks; ++i) {
        if (!WriteFile(file, bytes.data(), Chunk, written, nullptr)) {
            return i;
        }
    }
    return chunks;
}

class WriteBehind : public ::testing::Test {
  protected:
    void SetUp() override { FaultClearAll(); }
    void TearDown() override { FaultClearAll(); }
    TempDir dir;
};

} // namespace

TEST_F(WriteBehind, AtMostTwoWindowsWaitForTheDisk)
{
    const DWORD chunks = 6 * ChunksPerWindow + ChunksPerWindow / 2;
    DWORD written = 0;
    const std::string plain = dir.file("plain.raw");
    HANDLE file = CreateForWriting(plain, FILE_ATTRIBUTE_NORMAL);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ASSERT_EQ(WriteChunks(file, chunks, &written), chunks);
    const int64_t plainUnwritten = UnwrittenBytes(plain);
    EXPECT_TRUE(CloseHandle(file));
    if (plainUnwritten < static_cast<int64_t>(3 * Window)) {
        GTEST_SKIP() << "this file system or kernel shows no data waiting for the disk ("
                     << plainUnwritten << " bytes)";
    }

    const std::string sequential = dir.file("sequential.raw");
    file = CreateForWriting(sequential, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    int64_t most = 0;
    for (int window = 0; window < 6; ++window) {
        ASSERT_EQ(WriteChunks(file, ChunksPerWindow, &written), ChunksPerWindow);
        most = std::max(most, UnwrittenBytes(sequential));
    }
    ASSERT_EQ(WriteChunks(file, ChunksPerWindow / 2, &written), ChunksPerWindow / 2);
    most = std::max(most, UnwrittenBytes(sequential));
    EXPECT_LE(most, static_cast<int64_t>(2 * Window));
    EXPECT_TRUE(FlushFileBuffers(file));
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_EQ(UnwrittenBytes(sequential), 0);
}

TEST_F(WriteBehind, AFailedWriteBackFailsTheWriteThatMetIt)
{
    struct Row {
        const char* what;
        int nth; // of the write-back calls: the start of window 0, of window 1, the wait for 0
        DWORD code;
        DWORD flags;
        DWORD failingChunk; // 0-based; the chunk count when nothing fails
    };
    const DWORD chunks = 3 * ChunksPerWindow;
    const Row rows[] = {
        {"starting the first window", 1, ERROR_WRITE_FAULT, FILE_FLAG_SEQUENTIAL_SCAN,
         ChunksPerWindow - 1},
        {"waiting for the window before", 3, ERROR_DISK_FULL, FILE_FLAG_SEQUENTIAL_SCAN,
         2 * ChunksPerWindow - 1},
        {"a file not written sequentially has no write-back to fail", 1, ERROR_WRITE_FAULT, 0,
         chunks},
    };
    int index = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string path = dir.file("out" + std::to_string(index++) + ".raw");
        HANDLE file = CreateForWriting(path, FILE_ATTRIBUTE_NORMAL | row.flags);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        FaultClearAll();
        FaultInject("sync_file_range", row.nth, row.code, 0);
        DWORD written = 0;
        EXPECT_EQ(WriteChunks(file, chunks, &written), row.failingChunk);
        FaultClearAll();
        if (row.failingChunk < chunks) {
            EXPECT_EQ(GetLastError(), row.code);
            // The bytes are in the file; only their way to the disk failed.
            EXPECT_EQ(written, Chunk);
            LONG high = 0;
            EXPECT_EQ(SetFilePointer(file, 0, &high, FILE_CURRENT),
                      (row.failingChunk + 1) * Chunk);
        }
        EXPECT_TRUE(CloseHandle(file));
    }
}
