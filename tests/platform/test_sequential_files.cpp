// Files opened with FILE_FLAG_SEQUENTIAL_SCAN: a writer's data goes to the disk as it is
// written, and only a reader that reads on from where it stopped has the next window
// brought in ahead. (A failed write-back is in the fault campaign's Save as rows.)
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "support/temp_dir.h"

namespace {

constexpr DWORD Chunk = 64 * 1024;
constexpr int64_t Window = 16 << 20;

// Bytes of `path` in the page cache, and of those not yet on the disk, from cachestat(2)
// (newer than this system's headers). False when the kernel cannot tell.
bool CacheOf(const std::string& path, int64_t* cached, int64_t* unwritten)
{
    struct {
        uint64_t offset, length;
    } range{0, 0}; // the whole file
    struct {
        uint64_t cached, dirty, writeback, evicted, recentlyEvicted;
    } counts{};
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const bool known = fd >= 0 && syscall(451, fd, &range, &counts, 0) == 0;
    if (fd >= 0) {
        close(fd);
    }
    const int64_t page = sysconf(_SC_PAGESIZE);
    *cached = static_cast<int64_t>(counts.cached) * page;
    *unwritten = static_cast<int64_t>(counts.dirty + counts.writeback) * page;
    return known;
}

// Writes `windows` windows of 64 KiB chunks; the most that waited for the disk at the end
// of any window.
int64_t WriteWindows(HANDLE file, const std::string& path, int windows)
{
    std::vector<char> bytes(Chunk, 'x');
    int64_t most = 0;
    for (int window = 0; window < windows; ++window) {
        for (int64_t at = 0; at < Window; at += Chunk) {
            DWORD written = 0;
            EXPECT_TRUE(WriteFile(file, bytes.data(), Chunk, &written, nullptr));
        }
        int64_t cached = 0;
        int64_t unwritten = 0;
        CacheOf(path, &cached, &unwritten);
        most = std::max(most, unwritten);
    }
    return most;
}

} // namespace

TEST(SequentialFiles, AWriterHasAtMostTwoWindowsWaitingForTheDisk)
{
    TempDir dir;
    const std::string plain = dir.file("plain.raw");
    const std::string sequential = dir.file("sequential.raw");
    HANDLE file = CreateFileA(plain.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const int64_t plainMost = WriteWindows(file, plain, 6);
    EXPECT_TRUE(CloseHandle(file));
    if (plainMost < 3 * Window) {
        GTEST_SKIP() << "this file system or kernel shows no data waiting for the disk";
    }
    file = CreateFileA(sequential.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_LE(WriteWindows(file, sequential, 6), 2 * Window);
    EXPECT_TRUE(FlushFileBuffers(file));
    EXPECT_TRUE(CloseHandle(file));
}

TEST(SequentialFiles, OnlyAReaderGoingOnFromWhereItStoppedIsReadAhead)
{
    struct Row {
        const char* what;
        int64_t step; // from the start of one read to the start of the next
        bool windowAhead;
    };
    const Row rows[] = {
        {"looks here and there, over four windows", 4 * Window / 32, false},
        {"reading on from where it stopped", Chunk, true},
    };
    TempDir dir;
    const std::string path = dir.file("in.raw");
    std::vector<char> bytes(Chunk, 'r');
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        // 4 windows on the disk, none in the page cache.
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        ASSERT_GE(fd, 0);
        for (int64_t at = 0; at < 4 * Window; at += Chunk) {
            ASSERT_EQ(write(fd, bytes.data(), Chunk), static_cast<ssize_t>(Chunk));
        }
        ASSERT_EQ(fsync(fd), 0);
        ASSERT_EQ(posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED), 0);
        ASSERT_EQ(close(fd), 0);
        int64_t cached = 0;
        int64_t unwritten = 0;
        if (!CacheOf(path, &cached, &unwritten) || cached != 0) {
            GTEST_SKIP() << "the kernel cannot tell what is in the page cache";
        }

        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        for (int64_t i = 0; i < 32; ++i) { // 2 MiB in all
            LONG high = static_cast<LONG>((i * row.step) >> 32);
            ASSERT_NE(SetFilePointer(file, static_cast<LONG>(i * row.step), &high, FILE_BEGIN),
                      INVALID_SET_FILE_POINTER);
            DWORD read = 0;
            ASSERT_TRUE(ReadFile(file, bytes.data(), Chunk, &read, nullptr));
        }
        CacheOf(path, &cached, &unwritten);
        EXPECT_TRUE(CloseHandle(file));
        EXPECT_EQ(cached >= Window, row.windowAhead) << cached << " bytes cached";
    }
}
