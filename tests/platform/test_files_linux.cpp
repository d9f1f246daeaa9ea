// The file calls on what only Linux has: files that are not files (device, FIFO, socket),
// names with `*` in them, and a small file system of its own to fill up and to move across.
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "platform/file_calls.h"
#include "platform/testing/seams.h"
#include "platform/win32.h"
#include "support/temp_dir.h"

namespace {

class LinuxFiles : public ::testing::Test {
  protected:
    TempDir dir;
};

} // namespace

TEST_F(LinuxFiles, OnlyRegularFilesOpen)
{
    const DWORD badType = ERROR_BAD_FILE_TYPE;
    EXPECT_EQ(OpenError("/dev/null", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), badType);

    // A FIFO without a writer (or reader) would block a plain open forever.
    const std::string fifo = dir.file("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(OpenError(fifo, GENERIC_READ, 0, OPEN_EXISTING), badType);
    EXPECT_EQ(OpenError(fifo, GENERIC_WRITE, 0, OPEN_EXISTING), badType);

    const std::string socketPath = dir.file("sock");
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof(address.sun_path));
    strcpy(address.sun_path, socketPath.c_str());
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    EXPECT_EQ(OpenError(socketPath, GENERIC_READ, 0, OPEN_EXISTING), badType);
    close(listener);
}

// A find handle is a handle of ours, so a closed one is not found again (on Windows it points
// to freed memory, and what a second FindClose does is not defined).
TEST_F(LinuxFiles, AClosedFindHandleIsNotFoundAgain)
{
    dir.makeFile("take1.raw", 10);
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(dir.file("take1.raw").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(FindClose(find));
    EXPECT_FALSE(FindClose(find));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

// `*` and `?` are legal in Linux names, so FindFirstFileA takes them as themselves.
TEST_F(LinuxFiles, FindFirstFileTakesWildcardsAsThemselves)
{
    dir.makeFile("take1.raw", 10);
    dir.makeFile("a*.raw", 3);
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(dir.file("a*.raw").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(data.cFileName, "a*.raw");
    EXPECT_TRUE(FindClose(find));

    SetLastError(0);
    EXPECT_EQ(FindFirstFileA(dir.file("*.raw").c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

// A small file system of its own, to fill up and to move across.
class SmallFileSystem : public LinuxFiles {
  protected:
    void SetUp() override
    {
        LinuxFiles::SetUp();
        mountPoint_ = dir.file("small");
        ASSERT_EQ(mkdir(mountPoint_.c_str(), 0700), 0);
        if (mount("tmpfs", mountPoint_.c_str(), "tmpfs", 0, "size=64k") != 0) {
            GTEST_SKIP() << "cannot mount a 64 KiB tmpfs (" << strerror(errno)
                         << "); needs root or CAP_SYS_ADMIN";
        }
        mounted_ = true;
    }
    void TearDown() override
    {
        if (mounted_) {
            EXPECT_EQ(umount2(mountPoint_.c_str(), MNT_DETACH), 0);
        }
        LinuxFiles::TearDown();
    }
    std::string mountPoint_;
    bool mounted_ = false;
};

TEST_F(SmallFileSystem, WriteStopsAtAFullDisk)
{
    HANDLE file = Open(mountPoint_ + "/out.wav", GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::vector<char> data(256 * 1024, 'd');
    DWORD written = 0;
    SetLastError(0);
    EXPECT_FALSE(WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    EXPECT_GT(written, 0u);
    EXPECT_LT(written, data.size());
    EXPECT_EQ(GetFileSize(file, nullptr), written);
    EXPECT_EQ(Position(file), written);
    EXPECT_TRUE(CloseHandle(file));
}

TEST_F(SmallFileSystem, MoveAcrossFileSystemsIsRefused)
{
    const std::string source = dir.makeFile("source.raw", 10);
    const std::string target = mountPoint_ + "/target.raw";
    SetLastError(0);
    EXPECT_FALSE(MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SAME_DEVICE));
    EXPECT_EQ(ReadWholeFile(source).size(), 10u);
}
