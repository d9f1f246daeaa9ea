// The file calls on a real file system: sizes beyond 4 GiB, sharing between openers and
// processes, folders, moves, searches and the current directory. (Linux file types and a
// full disk are in test_files_linux.cpp.)
#include <gtest/gtest.h>

#ifdef _WIN32
#include <process.h>
#else
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_calls.h"
#include "platform/testing/seams.h"
#include "platform/win32.h"
#include "support/temp_dir.h"
#include "support/under_wine.h"

#ifndef _WIN32
extern char** environ;
#endif

namespace {

constexpr uint64_t kGiB = 1024ull * 1024 * 1024;

// Started as the "other process" of a sharing test, this program only tries the open and
// reports through its exit status: 0 opened, the Win32 error otherwise (capped at 255).
const int g_shareProbe = [] {
    const char* path = getenv("SALVORIN_SHARE_PROBE_PATH");
    const char* share = getenv("SALVORIN_SHARE_PROBE_MODE");
    if (path == nullptr || share == nullptr) {
        return 0;
    }
    HANDLE file = CreateFileA(path, GENERIC_READ, static_cast<DWORD>(atoi(share)), nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        _exit(0);
    }
    const DWORD error = GetLastError();
    _exit(error > 0 && error < 255 ? static_cast<int>(error) : 255);
}();

#ifdef _WIN32
// The child inherits the two variables, which are taken back at once.
int OpenInOtherProcess(const std::string& path, DWORD share)
{
    char program[MAX_PATH];
    if (GetModuleFileNameA(nullptr, program, MAX_PATH) == 0) {
        return -1;
    }
    SetEnvironmentVariableA("SALVORIN_SHARE_PROBE_PATH", path.c_str());
    SetEnvironmentVariableA("SALVORIN_SHARE_PROBE_MODE", std::to_string(share).c_str());
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    const BOOL started = CreateProcessA(program, nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                                        nullptr, &startup, &child);
    SetEnvironmentVariableA("SALVORIN_SHARE_PROBE_PATH", nullptr);
    SetEnvironmentVariableA("SALVORIN_SHARE_PROBE_MODE", nullptr);
    if (!started) {
        return -1;
    }
    DWORD status = 0;
    const bool ended = WaitForSingleObject(child.hProcess, 60000) == WAIT_OBJECT_0 &&
                       GetExitCodeProcess(child.hProcess, &status);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    return ended ? static_cast<int>(status) : -2;
}
#else
int OpenInOtherProcess(const std::string& path, DWORD share)
{
    std::vector<std::string> variables = {"SALVORIN_SHARE_PROBE_PATH=" + path,
                                          "SALVORIN_SHARE_PROBE_MODE=" + std::to_string(share)};
    std::vector<char*> environment;
    for (auto& variable : variables) {
        environment.push_back(variable.data());
    }
    for (char** entry = environ; *entry != nullptr; ++entry) {
        environment.push_back(*entry);
    }
    environment.push_back(nullptr);
    char program[] = "/proc/self/exe";
    char* arguments[] = {program, nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, program, nullptr, nullptr, arguments, environment.data()) != 0) {
        return -1;
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -2;
    }
    return WEXITSTATUS(status);
}
#endif

bool Exists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(std::filesystem::u8path(path), error);
}

bool MakeFolder(const std::string& path)
{
    std::error_code error;
    return std::filesystem::create_directory(std::filesystem::u8path(path), error);
}

// `count` bytes of the file at a 64-bit offset, read without the calls under test.
std::string ReadAt(const std::string& path, uint64_t offset, size_t count)
{
    std::string bytes(count, '\0');
    FILE* in = fopen(path.c_str(), "rb");
    if (in == nullptr) {
        return "";
    }
#ifdef _WIN32
    const bool placed = _fseeki64(in, static_cast<__int64>(offset), SEEK_SET) == 0;
#else
    const bool placed = fseeko(in, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
    const size_t got = placed ? fread(bytes.data(), 1, count, in) : 0;
    fclose(in);
    bytes.resize(got);
    return bytes;
}

// The byte makeFile puts at `offset` (dense part only).
char Pattern(uint64_t offset)
{
    return static_cast<char>((offset * 7 + 3) & 0xFF);
}

class Files : public ::testing::Test {
  protected:
    TempDir dir;
};

} // namespace

TEST_F(Files, CreationDispositions)
{
    const std::string path = dir.makeFile("take.raw", 100);
    EXPECT_EQ(OpenError(path, GENERIC_WRITE, 0, CREATE_NEW), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(OpenError(dir.file("none.raw"), GENERIC_READ, 0, OPEN_EXISTING),
              static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(OpenError(dir.file("no/none.raw"), GENERIC_READ, 0, OPEN_EXISTING),
              static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(ReadWholeFile(path).size(), 100u);
    EXPECT_EQ(OpenError(dir.file("new.raw"), GENERIC_WRITE, 0, CREATE_NEW), 0u);
}

TEST_F(Files, ReadsAndWritesFollowTheHandlesPosition)
{
    const std::string path = dir.makeFile("take.raw", 1000);
    HANDLE file = Open(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);

    char buffer[2000];
    DWORD count = 0;
    ASSERT_EQ(SetFilePointer(file, 990, nullptr, FILE_BEGIN), 990u);
    ASSERT_TRUE(ReadFile(file, buffer, sizeof(buffer), &count, nullptr));
    EXPECT_EQ(count, 10u); // end of file: success with less
    EXPECT_EQ(buffer[0], Pattern(990));
    ASSERT_TRUE(ReadFile(file, buffer, sizeof(buffer), &count, nullptr));
    EXPECT_EQ(count, 0u);

    ASSERT_EQ(SetFilePointer(file, -500, nullptr, FILE_END), 500u);
    ASSERT_TRUE(WriteFile(file, "WXYZ", 4, &count, nullptr));
    EXPECT_EQ(count, 4u);
    EXPECT_EQ(Position(file), 504u);
    ASSERT_EQ(SetFilePointer(file, -5, nullptr, FILE_CURRENT), 499u);
    ASSERT_TRUE(ReadFile(file, buffer, 6, &count, nullptr));
    EXPECT_EQ(std::string(buffer, 6), std::string(1, Pattern(499)) + "WXYZ" + Pattern(504));

    ASSERT_EQ(SetFilePointer(file, 100, nullptr, FILE_BEGIN), 100u);
    ASSERT_TRUE(SetEndOfFile(file));
    EXPECT_EQ(GetFileSize(file, nullptr), 100u);
    EXPECT_EQ(Position(file), 100u);
    EXPECT_TRUE(CloseHandle(file));
}

TEST_F(Files, SizesAndPositionsBeyondFourGiB)
{
    const std::string path = dir.makeFile("big.raw", 6 * kGiB);
    HANDLE file = Open(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);

    DWORD high = 0;
    EXPECT_EQ(GetFileSize(file, &high), 0x80000000u);
    EXPECT_EQ(high, 1u);

    // With a high half, the low half counts as unsigned: 0xFFFFFFFF is +4 GiB - 1.
    LONG moveHigh = 0;
    EXPECT_EQ(SetFilePointer(file, static_cast<LONG>(0xFFFFFFFFu), &moveHigh, FILE_BEGIN),
              0xFFFFFFFFu);
    EXPECT_EQ(moveHigh, 0);

    // Write across the 4 GiB boundary and read it back independently.
    ASSERT_EQ(SetFilePointer(file, -2, nullptr, FILE_CURRENT), 0xFFFFFFFDu);
    DWORD count = 0;
    ASSERT_TRUE(WriteFile(file, "ABCDEF", 6, &count, nullptr));
    EXPECT_EQ(Position(file), 4 * kGiB + 3);

    // 5 GiB from the start, then 16 bytes before the end, with 64-bit distances.
    moveHigh = 1;
    EXPECT_EQ(SetFilePointer(file, 0x40000000, &moveHigh, FILE_BEGIN), 0x40000000u);
    EXPECT_EQ(moveHigh, 1);
    moveHigh = -1;
    EXPECT_EQ(SetFilePointer(file, -16, &moveHigh, FILE_END), 0x7FFFFFF0u);
    EXPECT_EQ(moveHigh, 1);

    // Before the start: ERROR_NEGATIVE_SEEK, by either form.
    EXPECT_EQ(SetFilePointer(file, -1, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
    moveHigh = -2;
    EXPECT_EQ(SetFilePointer(file, 0, &moveHigh, FILE_END), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
    EXPECT_EQ(Position(file), 6 * kGiB - 16);

    // Grow to 7 GiB at the position.
    moveHigh = 1;
    ASSERT_EQ(SetFilePointer(file, static_cast<LONG>(0xC0000000u), &moveHigh, FILE_BEGIN),
              0xC0000000u);
    ASSERT_TRUE(SetEndOfFile(file));
    EXPECT_EQ(GetFileSize(file, &high), 0xC0000000u);
    EXPECT_EQ(high, 1u);
    EXPECT_TRUE(CloseHandle(file));
    // Read back without the calls under test (once the unshared handle is closed).
    EXPECT_EQ(ReadAt(path, 4 * kGiB - 3, 6), "ABCDEF");
}

// What the low half of a position cannot say: a low half of 0xFFFFFFFF is told from a failure
// by a last error of 0, and without a high half a position past 32 bits is refused.
TEST_F(Files, SetFilePointerTellsWhatTheLowHalfCannotSay)
{
    SKIP_UNDER_WINE("its SetFilePointer leaves the last error as it was on success, and "
                    "without a high half moves past 4 GiB and returns the low half");
    const std::string path = dir.makeFile("big.raw", 6 * kGiB);
    HANDLE file = Open(path, GENERIC_READ, 0, OPEN_EXISTING);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LONG moveHigh = 0;
    SetLastError(ERROR_GEN_FAILURE);
    EXPECT_EQ(SetFilePointer(file, static_cast<LONG>(0xFFFFFFFFu), &moveHigh, FILE_BEGIN),
              0xFFFFFFFFu);
    EXPECT_EQ(GetLastError(), 0u);

    moveHigh = 1;
    ASSERT_EQ(SetFilePointer(file, 0, &moveHigh, FILE_BEGIN), 0u);
    SetLastError(0);
    EXPECT_EQ(SetFilePointer(file, -16, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(Position(file), 4 * kGiB);
    EXPECT_TRUE(CloseHandle(file));
}

TEST_F(Files, SizeOfExactlyFourGiBMinusOne)
{
    const std::string path = dir.makeFile("edge.raw", 4294967295ull);
    HANDLE file = Open(path, GENERIC_READ, 0, OPEN_EXISTING);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD high = 7;
    SetLastError(ERROR_GEN_FAILURE);
    EXPECT_EQ(GetFileSize(file, &high), 0xFFFFFFFFu);
    EXPECT_EQ(high, 0u);
    EXPECT_EQ(GetLastError(), 0u); // how a caller tells this size from INVALID_FILE_SIZE
    EXPECT_TRUE(CloseHandle(file));
}

TEST_F(Files, UnsharedOpenKeepsOthersOut)
{
    const std::string path = dir.makeFile("take.raw", 64);
    HANDLE held = Open(path, GENERIC_READ, 0, OPEN_EXISTING);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const DWORD sharing = ERROR_SHARING_VIOLATION;
    EXPECT_EQ(OpenError(path, GENERIC_READ, 0, OPEN_EXISTING), sharing);
    EXPECT_EQ(OpenError(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), sharing);
    // A refused delete or replace must not have removed it, nor the file meant to replace it
    // (a replace is refused as access denied, a delete as a sharing violation).
    SetLastError(0);
    EXPECT_FALSE(DeleteFileA(path.c_str()));
    EXPECT_EQ(GetLastError(), sharing);
    const std::string newer = dir.makeFile("newer.wav", 16);
    SetLastError(0);
    EXPECT_FALSE(MoveFileExA(newer.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(OpenInOtherProcess(path, 0), static_cast<int>(sharing));
    EXPECT_EQ(OpenInOtherProcess(path, FILE_SHARE_READ), static_cast<int>(sharing));
    EXPECT_TRUE(CloseHandle(held));
    // Read once it is let go: on Windows nobody else can read it while it is held.
    EXPECT_EQ(ReadWholeFile(path).size(), 64u);
    EXPECT_EQ(ReadWholeFile(newer).size(), 16u);

    EXPECT_EQ(OpenError(path, GENERIC_READ, 0, OPEN_EXISTING), 0u);
    HANDLE shared = Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_NE(shared, INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenError(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), 0u);
    EXPECT_EQ(OpenInOtherProcess(path, FILE_SHARE_READ), 0);
    EXPECT_EQ(OpenError(path, GENERIC_READ, 0, OPEN_EXISTING), sharing);
    EXPECT_EQ(OpenInOtherProcess(path, 0), static_cast<int>(sharing));
    EXPECT_TRUE(CloseHandle(shared));
    EXPECT_TRUE(DeleteFileA(path.c_str()));
}

TEST_F(Files, FoldersDoNotOpenAsFiles)
{
    EXPECT_EQ(OpenError(dir.path(), GENERIC_READ, 0, OPEN_EXISTING),
              static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(OpenError(dir.path(), GENERIC_WRITE, 0, OPEN_EXISTING),
              static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(Files, PathLengthCountsCharacters)
{
    const std::string base = dir.path() + "/";
    ASSERT_LT(base.size(), 100u);
    const std::string fits = base + std::string(259 - base.size(), 'n');
    EXPECT_EQ(OpenError(fits, GENERIC_READ, 0, OPEN_EXISTING),
              static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    // 120 two-byte letters: more than 260 bytes, far fewer characters.
    std::string accented = base;
    for (int i = 0; i < 120; ++i) {
        accented += "\xC3\xA9";
    }
    ASSERT_GT(accented.size(), 260u);
    EXPECT_EQ(OpenError(accented, GENERIC_WRITE, 0, CREATE_NEW), 0u);
}

// MAX_PATH counts the terminating NUL: 260 characters are one too many.
TEST_F(Files, APathOfMaxPathCharactersIsTooLong)
{
    SKIP_UNDER_WINE("its A calls take paths of 260 characters (its buffer for the wide path "
                    "holds one more), so the open fails only as not found");
    const std::string base = dir.path() + "/";
    const std::string tooLong = base + std::string(260 - base.size(), 'n');
    EXPECT_EQ(OpenError(tooLong, GENERIC_READ, 0, OPEN_EXISTING),
              static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    SetLastError(0);
    EXPECT_FALSE(DeleteFileA(tooLong.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
}

TEST_F(Files, MovesRefuseOrReplaceAsAsked)
{
    const std::string source = dir.makeFile("source.raw", 10);
    const std::string target = dir.makeFile("target.wav", 20);
    SetLastError(0);
    EXPECT_FALSE(MoveFileExA(source.c_str(), target.c_str(), 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(ReadWholeFile(source).size(), 10u);
    EXPECT_EQ(ReadWholeFile(target).size(), 20u);

    EXPECT_TRUE(MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(ReadWholeFile(target).size(), 10u);
    EXPECT_EQ(Exists(source), false);

    EXPECT_TRUE(MoveFileExA(target.c_str(), source.c_str(), 0));
    EXPECT_EQ(ReadWholeFile(source).size(), 10u);
    EXPECT_EQ(Exists(target), false);

    const std::string folder = dir.file("folder");
    ASSERT_TRUE(MakeFolder(folder));
    EXPECT_FALSE(MoveFileExA(source.c_str(), folder.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(MoveFileExA(dir.file("missing").c_str(), target.c_str(), 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(MoveFileExA(source.c_str(), dir.file("nowhere/target.wav").c_str(), 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(Files, DeleteRefusesFolders)
{
    SetLastError(0);
    EXPECT_FALSE(DeleteFileA(dir.path().c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(DeleteFileA(dir.file("missing").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    const std::string path = dir.makeFile("gone.raw", 1);
    EXPECT_TRUE(DeleteFileA(path.c_str()));
    EXPECT_EQ(Exists(path), false);
}

TEST_F(Files, FindFirstFileFindsTheNamedFile)
{
    dir.makeFile("take1.raw", 5 * kGiB + 7);
    ASSERT_TRUE(MakeFolder(dir.file("sub.d")));

    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(dir.file("take1.raw").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(data.cFileName, "take1.raw");
    EXPECT_EQ(data.nFileSizeHigh, 1u);
    EXPECT_EQ(data.nFileSizeLow, 0x40000007u);
    EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_TRUE(FindClose(find));

    find = FindFirstFileA(dir.file("sub.d").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_NE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_TRUE(FindClose(find));

    SetLastError(0);
    EXPECT_EQ(FindFirstFileA(dir.file("none.raw").c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(FindFirstFileA(dir.file("nowhere/take1.raw").c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(Files, CurrentDirectory)
{
    char saved[4096];
    const DWORD savedLength = GetCurrentDirectoryA(sizeof(saved), saved);
    ASSERT_GT(savedLength, 0u);
    ASSERT_LT(savedLength, sizeof(saved));

    ASSERT_TRUE(SetCurrentDirectoryA(dir.path().c_str()));
    const DWORD length = static_cast<DWORD>(dir.path().size());
    EXPECT_EQ(GetCurrentDirectoryA(0, nullptr), length + 1);
    std::vector<char> buffer(length + 1, 'X');
    EXPECT_EQ(GetCurrentDirectoryA(length, buffer.data()), length + 1);
    EXPECT_EQ(buffer[0], 'X');
    EXPECT_EQ(GetCurrentDirectoryA(length + 1, buffer.data()), length);
    EXPECT_EQ(std::string(buffer.data()), dir.path());

    // Relative names now resolve in the new directory.
    dir.makeFile("here.raw", 4);
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA("here.raw", &data);
    EXPECT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(FindClose(find));

    SetLastError(0);
    EXPECT_FALSE(SetCurrentDirectoryA("here.raw"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
    EXPECT_TRUE(SetCurrentDirectoryA(saved));
}

TEST_F(Files, StaleAndWrongHandlesAreRefused)
{
    const std::string path = dir.makeFile("take.raw", 10);
    HANDLE writeOnly = Open(path, GENERIC_WRITE, 0, OPEN_EXISTING);
    ASSERT_NE(writeOnly, INVALID_HANDLE_VALUE);
    char buffer[4];
    DWORD count = 99;
    EXPECT_FALSE(ReadFile(writeOnly, buffer, sizeof(buffer), &count, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(count, 0u);
    EXPECT_FALSE(FindClose(writeOnly));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_TRUE(CloseHandle(writeOnly));

    EXPECT_FALSE(CloseHandle(writeOnly));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(ReadFile(writeOnly, buffer, sizeof(buffer), &count, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(GetFileSize(INVALID_HANDLE_VALUE, nullptr), INVALID_FILE_SIZE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(Files, InjectedFailuresLookLikeRealOnes)
{
    const std::string path = dir.makeFile("take.raw", 100);
    FaultInject("CreateFileA", 2, ERROR_TOO_MANY_OPEN_FILES);
    HANDLE first = Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    EXPECT_NE(first, INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenError(dir.file("never.raw"), GENERIC_WRITE, 0, CREATE_NEW),
              static_cast<DWORD>(ERROR_TOO_MANY_OPEN_FILES));
    EXPECT_EQ(Exists(dir.file("never.raw")), false);

    FaultInject("ReadFile", 2, ERROR_READ_FAULT);
    char buffer[10];
    DWORD count = 0;
    EXPECT_TRUE(ReadFile(first, buffer, sizeof(buffer), &count, nullptr));
    EXPECT_FALSE(ReadFile(first, buffer, sizeof(buffer), &count, nullptr));
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_READ_FAULT));
    EXPECT_EQ(Position(first), 10u) << "a failed read does not move";
    EXPECT_TRUE(ReadFile(first, buffer, sizeof(buffer), &count, nullptr));
    EXPECT_EQ(buffer[0], Pattern(10));
    EXPECT_EQ(FaultCallCount("ReadFile"), 3);

    FaultInject("GetFileSize", 1, ERROR_IO_DEVICE);
    DWORD high = 5;
    EXPECT_EQ(GetFileSize(first, &high), INVALID_FILE_SIZE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_DEVICE));
    EXPECT_EQ(GetFileSize(first, &high), 100u);

    FaultInject("MoveFileExA", 1, ERROR_ACCESS_DENIED);
    EXPECT_FALSE(MoveFileExA(path.c_str(), dir.file("moved.raw").c_str(), 0));
    EXPECT_EQ(Exists(path), true);
    EXPECT_TRUE(CloseHandle(first));
}
