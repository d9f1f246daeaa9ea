// Files opened with FILE_FLAG_SEQUENTIAL_SCAN: a writer's data goes to the disk as it is
// written (how much waits for the disk, what a failed write-back does to the write), and a
// reader that reads on from where it stopped has the next window brought in ahead.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
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

// The page cache's counts for `path`; false when the kernel cannot tell.
bool CacheCountsOf(const std::string& path, CacheCounts* counts)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    CacheRange range{0, 0}; // the whole file
    *counts = CacheCounts{};
    const long result = syscall(CachestatCall, fd, &range, counts, 0);
    close(fd);
    return result == 0;
}

int64_t Pages(uint64_t count)
{
    return static_cast<int64_t>(count * static_cast<uint64_t>(sysconf(_SC_PAGESIZE)));
}

// Bytes of `path` in the page cache not yet on the disk (dirty or being written); -1 when
// the kernel cannot tell.
int64_t UnwrittenBytes(const std::string& path)
{
    CacheCounts counts;
    return CacheCountsOf(path, &counts) ? Pages(counts.dirty + counts.writeback) : -1;
}

// Bytes of `path` in the page cache; -1 when the kernel cannot tell.
int64_t CachedBytes(const std::string& path)
{
    CacheCounts counts;
    return CacheCountsOf(path, &counts) ? Pages(counts.cached) : -1;
}

// Writes `size` bytes to the disk and drops them from the page cache.
bool MakeUncachedFile(const std::string& path, uint64_t size)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    std::vector<char> bytes(Chunk, 'r');
    bool done = true;
    for (uint64_t at = 0; at < size && done; at += Chunk) {
        done = write(fd, bytes.data(), Chunk) == static_cast<ssize_t>(Chunk);
    }
    done = done && fsync(fd) == 0 && posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) == 0;
    return close(fd) == 0 && done;
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

class SequentialFiles : public ::testing::Test {
  protected:
    void SetUp() override { FaultClearAll(); }
    void TearDown() override { FaultClearAll(); }
    TempDir dir;
};

} // namespace

TEST_F(SequentialFiles, AtMostTwoWindowsWaitForTheDisk)
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

TEST_F(SequentialFiles, AFailedWriteBackFailsTheWriteThatMetIt)
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
            EXPECT_EQ(SetFilePointer(file, 0, &high, FILE_CURRENT), (row.failingChunk + 1) * Chunk);
        }
        EXPECT_TRUE(CloseHandle(file));
    }
}

TEST_F(SequentialFiles, OnlyAReaderGoingOnFromWhereItStoppedIsReadAhead)
{
    struct Row {
        const char* what;
        uint64_t step;    // from the start of one read to the start of the next
        bool windowAhead; // the window after the last read is brought in
    };
    const Row rows[] = {
        {"looks here and there", 4 * Window / 32, false},
        {"reading on from where it stopped", Chunk, true},
    };
    int index = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string path = dir.file("in" + std::to_string(index++) + ".raw");
        ASSERT_TRUE(MakeUncachedFile(path, 4 * Window));
        if (CachedBytes(path) != 0) {
            GTEST_SKIP() << "the kernel cannot tell what is in the page cache";
        }
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        // 2 MiB in 32 reads, one after the other or spread over the first 4 windows.
        std::vector<char> bytes(Chunk);
        for (uint64_t i = 0; i < 32; ++i) {
            LONG high = static_cast<LONG>((i * row.step) >> 32);
            ASSERT_NE(SetFilePointer(file, static_cast<LONG>(i * row.step), &high, FILE_BEGIN),
                      INVALID_SET_FILE_POINTER);
            DWORD read = 0;
            ASSERT_TRUE(ReadFile(file, bytes.data(), Chunk, &read, nullptr));
            ASSERT_EQ(read, Chunk);
        }
        const int64_t cached = CachedBytes(path);
        EXPECT_TRUE(CloseHandle(file));
        if (row.windowAhead) {
            EXPECT_GE(cached, static_cast<int64_t>(Window));
        } else {
            EXPECT_LT(cached, static_cast<int64_t>(Window));
        }
    }
}
