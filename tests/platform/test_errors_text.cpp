// Error codes, message texts, bounded string calls and fault injection.
#include <gtest/gtest.h>

#include "support/utf8_check.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/posix/errno_map.h"
#include "platform/linux/posix/utf8.h"
#include "platform/testing/seams.h"
#include "platform/win32.h"

namespace {

std::string SystemText(DWORD code, DWORD flags = FORMAT_MESSAGE_MAX_WIDTH_MASK,
                       const char* const* arguments = nullptr)
{
    char buffer[1024] = "";
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | flags, nullptr, code, 0,
                                        buffer, sizeof(buffer), arguments);
    return length == 0 ? std::string() : std::string(buffer, length);
}

int Format(char* buffer, size_t size, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    const int stored = FormatTextV(buffer, size, format, arguments);
    va_end(arguments);
    return stored;
}

std::string WaveText(MMRESULT code)
{
    char buffer[MAXERRORLENGTH] = "";
    return waveOutGetErrorTextA(code, buffer, sizeof(buffer)) == MMSYSERR_NOERROR
               ? std::string(buffer)
               : std::string();
}

// The numeric values of every matching #define in win32.h, so that a code added there
// without a sentence is caught.
std::map<std::string, DWORD> HeaderCodes(const std::string& prefixPattern)
{
    std::string header = __FILE__;
    header = header.substr(0, header.rfind("/tests/")) + "/src/platform/win32.h";
    std::ifstream in(header);
    EXPECT_TRUE(in.good()) << header;
    std::map<std::string, DWORD> codes;
    const std::regex plain("#define (" + prefixPattern + "\\w*) (\\d+)L?\\s*$");
    const std::regex waveBased("#define (WAVERR_\\w+) \\(WAVERR_BASE \\+ (\\d+)\\)");
    std::string line;
    while (std::getline(in, line)) {
        std::smatch match;
        if (std::regex_search(line, match, plain)) {
            codes[match[1]] = static_cast<DWORD>(std::stoul(match[2]));
        } else if (prefixPattern.find("WAVERR") != std::string::npos &&
                   std::regex_search(line, match, waveBased)) {
            codes[match[1]] = WAVERR_BASE + static_cast<DWORD>(std::stoul(match[2]));
        }
    }
    return codes;
}

} // namespace

TEST(ErrnoMapping, FileErrorsBecomeTheirWin32Codes)
{
    const std::pair<int, DWORD> expected[] = {
        {ENOENT, 2},    {ENOTDIR, 3}, {EMFILE, 4},       {EACCES, 5},      {EPERM, 5},
        {EBADF, 6},     {ENOMEM, 8},  {EROFS, 19},       {EEXIST, 80},     {ENOSPC, 112},
        {EXDEV, 17},    {EISDIR, 5},  {EWOULDBLOCK, 32}, {ELOOP, 1921},    {EMLINK, 1142},
        {EINVAL, 87},   {EBUSY, 170}, {ETXTBSY, 170},    {ENOTEMPTY, 145}, {ENAMETOOLONG, 206},
        {EDQUOT, 1816}, {EIO, 1117},
    };
    for (const auto& [error, code] : expected) {
        EXPECT_EQ(Win32ErrorFromErrno(error), code) << strerror(error);
    }
}

TEST(ErrnoMapping, UnmappedErrnoKeepsANumberWithoutSentence)
{
    const DWORD code = Win32ErrorFromErrno(EDOM);
    EXPECT_EQ(code, 0x20000000u | EDOM);
    SetLastError(0);
    EXPECT_EQ(SystemText(code), "");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND));
    // What a caller's fallback then shows.
    EXPECT_EQ(code, 0x20000021u); // shown as Err.0x20000021
}

TEST(ErrnoMapping, EveryMappedErrnoHasASentence)
{
    for (int error = 1; error < 200; ++error) {
        const DWORD code = Win32ErrorFromErrno(error);
        if ((code & 0x20000000u) == 0) {
            EXPECT_NE(SystemText(code), "") << "errno " << error << " -> " << code;
        }
    }
}

TEST(MessageCatalogue, EveryCodeInTheHeaderHasText)
{
    const auto errors = HeaderCodes("ERROR_");
    EXPECT_GT(errors.size(), 40u);
    for (const auto& [name, code] : errors) {
        EXPECT_NE(SystemText(code, FORMAT_MESSAGE_MAX_WIDTH_MASK | FORMAT_MESSAGE_IGNORE_INSERTS),
                  "")
            << name;
    }
    const auto wave = HeaderCodes("(?:MMSYSERR_|WAVERR_)");
    EXPECT_GT(wave.size(), 25u);
    for (const auto& [name, code] : wave) {
        if (name != "WAVERR_BASE") {
            EXPECT_NE(WaveText(code), "") << name;
        }
    }
}

TEST(MessageCatalogue, SentencesSayWhatTheUserNeedsToKnow)
{
    const std::string move = SystemText(ERROR_NOT_SAME_DEVICE);
    EXPECT_NE(move.find("another disk"), std::string::npos) << move;
    EXPECT_NE(move.find("file system"), std::string::npos) << move;
    const std::string sharing = SystemText(ERROR_SHARING_VIOLATION);
    EXPECT_NE(sharing.find("nother program (or this one)"), std::string::npos) << sharing;
    EXPECT_NE(SystemText(ERROR_BAD_FILE_TYPE).find("not a regular file"), std::string::npos);
    EXPECT_NE(WaveText(MMSYSERR_NODRIVER).find("no sound device or audio server"),
              std::string::npos);
    EXPECT_NE(WaveText(MMSYSERR_BADDEVICEID).find("no sound device or audio server"),
              std::string::npos);
    EXPECT_NE(WaveText(WAVERR_BADFORMAT).find("refused"), std::string::npos);
}

TEST(FormatMessage, InsertsAppearExactlyAsGiven)
{
    const char* const arguments[] = {"Z:", "?", "?"};
    const std::string raw =
        SystemText(ERROR_WRONG_DISK, FORMAT_MESSAGE_MAX_WIDTH_MASK | FORMAT_MESSAGE_IGNORE_INSERTS);
    ASSERT_NE(raw.find("%1"), std::string::npos) << "inserts are kept when ignored";
    std::string expected = std::regex_replace(raw, std::regex("%1"), "Z:");
    expected = std::regex_replace(expected, std::regex("%[23]"), "?");
    EXPECT_EQ(SystemText(ERROR_WRONG_DISK,
                         FORMAT_MESSAGE_MAX_WIDTH_MASK | FORMAT_MESSAGE_ARGUMENT_ARRAY, arguments),
              expected);
}

TEST(FormatMessage, InsertsWithoutArgumentsFail)
{
    SetLastError(0);
    EXPECT_EQ(SystemText(ERROR_WRONG_DISK), "");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    const char* const arguments[] = {"Z:", "?", "?"};
    EXPECT_EQ(SystemText(ERROR_WRONG_DISK, FORMAT_MESSAGE_MAX_WIDTH_MASK, arguments), "")
        << "an array needs ARGUMENT_ARRAY";
}

TEST(FormatMessage, WidthIsOneLineOrTheSentenceWithItsBreak)
{
    const std::string unlimited = SystemText(ERROR_NOT_SAME_DEVICE, 0);
    ASSERT_FALSE(unlimited.empty());
    const std::string oneLine = SystemText(ERROR_NOT_SAME_DEVICE);
    EXPECT_EQ(oneLine.find('\n'), std::string::npos);
    EXPECT_EQ(oneLine + "\n", unlimited);
    SetLastError(0);
    EXPECT_EQ(SystemText(ERROR_NOT_SAME_DEVICE, 20), "") << "no other widths";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(FormatMessage, BufferHandling)
{
    const std::string text = SystemText(ERROR_DISK_FULL);
    ASSERT_FALSE(text.empty());

    char* block = nullptr;
    DWORD length = FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_MAX_WIDTH_MASK,
        nullptr, ERROR_DISK_FULL, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<LPSTR>(&block), 0, nullptr);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(length, text.size());
    EXPECT_EQ(std::string(block), text);
    EXPECT_EQ(LocalFree(block), nullptr);

    std::vector<char> exact(text.size() + 1);
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_MAX_WIDTH_MASK, nullptr,
                             ERROR_DISK_FULL, 0, exact.data(), static_cast<DWORD>(exact.size()),
                             nullptr),
              text.size());
    SetLastError(0);
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_MAX_WIDTH_MASK, nullptr,
                             ERROR_DISK_FULL, 0, exact.data(), static_cast<DWORD>(text.size()),
                             nullptr),
              0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(FormatMessage, UnknownCodeAndLanguageFail)
{
    char* block = reinterpret_cast<char*>(1);
    SetLastError(0);
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr,
                             0xDEAD, 0, reinterpret_cast<LPSTR>(&block), 0, nullptr),
              0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND));
    EXPECT_EQ(block, nullptr);

    char buffer[256];
    EXPECT_NE(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0x0409,
                             buffer, sizeof(buffer), nullptr),
              0u);
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0x0407,
                             buffer, sizeof(buffer), nullptr),
              0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_LANG_NOT_FOUND));
}

TEST(WaveErrorText, UnknownCodesAndShortBuffers)
{
    char buffer[MAXERRORLENGTH];
    for (MMRESULT code : {22u, 31u, 36u, 165u, 166u, 167u, 999u}) {
        EXPECT_EQ(waveOutGetErrorTextA(code, buffer, sizeof(buffer)),
                  static_cast<MMRESULT>(MMSYSERR_BADERRNUM))
            << code;
    }
    const std::string full = WaveText(WAVERR_BADFORMAT);
    for (UINT size = 1; size <= full.size() + 1; ++size) {
        std::vector<char> small(size, 'X');
        ASSERT_EQ(waveOutGetErrorTextA(WAVERR_BADFORMAT, small.data(), size),
                  static_cast<MMRESULT>(MMSYSERR_NOERROR));
        EXPECT_EQ(std::string(small.data()), full.substr(0, size - 1));
    }
}

TEST(Utf8Text, BoundedCopiesNeverSplitACharacter)
{
    // 1-, 2-, 3- and 4-byte characters in turn.
    const std::string source = "a\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E"
                               "b\xC3\xA9\xE2\x82\xAC";
    for (int count = 1; count <= static_cast<int>(source.size()) + 2; ++count) {
        std::vector<char> copy(static_cast<size_t>(count), 'X');
        ASSERT_EQ(lstrcpynA(copy.data(), source.c_str(), count), copy.data());
        const std::string copied(copy.data());
        EXPECT_TRUE(ValidUtf8(copied)) << count;
        EXPECT_EQ(source.compare(0, copied.size(), copied), 0) << count;
        EXPECT_LE(copied.size(), static_cast<size_t>(count - 1));
        // Only an incomplete character may be dropped, never a whole one.
        EXPECT_GT(copied.size() + 4, static_cast<size_t>(count - 1) < source.size()
                                         ? static_cast<size_t>(count - 1)
                                         : source.size())
            << count;

        std::vector<char> formatted(static_cast<size_t>(count), 'X');
        const int stored = Format(formatted.data(), formatted.size(), "%s!", source.c_str());
        const std::string text(formatted.data());
        EXPECT_EQ(stored, static_cast<int>(text.size()));
        EXPECT_TRUE(ValidUtf8(text)) << count;
        EXPECT_EQ((source + "!").compare(0, text.size(), text), 0) << count;
    }
}

TEST(Utf8Text, CutsOfNonUtf8BytesAreLeftAlone)
{
    const char latin1[] = "caf\xE9s";
    EXPECT_EQ(Utf8SafeCut(latin1, 4), 4u);
    const char stray[] = "ab\x80\x80\x80\x80\x80";
    EXPECT_EQ(Utf8SafeCut(stray, 5), 5u);
    EXPECT_EQ(Utf8SafeCut("\xE2\x82\xAC", 2), 0u);
    EXPECT_EQ(Utf8SafeCut("\xE2\x82\xAC", 3), 3u);
}

TEST(Utf8Text, CaseInsensitiveCompare)
{
    EXPECT_EQ(lstrcmpiA("Take.WAV", "take.wav"), 0);
    EXPECT_LT(lstrcmpiA("abc", "ABD"), 0);
    EXPECT_GT(lstrcmpiA("abcd", "ABC"), 0);
    EXPECT_NE(lstrcmpiA("\xC3\xA9", "\xC3\x89"), 0); // only ASCII letters fold
}

class FaultInjection : public ::testing::Test {
  protected:
    void SetUp() override { FaultClearAll(); }
    void TearDown() override { FaultClearAll(); }
};

TEST_F(FaultInjection, FailsTheNthCallThenRecovers)
{
    char buffer[64];
    FaultInject("waveOutGetErrorTextA", 3, MMSYSERR_NOMEM);
    EXPECT_EQ(waveOutGetErrorTextA(MMSYSERR_ERROR, buffer, sizeof(buffer)), 0u);
    EXPECT_EQ(waveOutGetErrorTextA(MMSYSERR_ERROR, buffer, sizeof(buffer)), 0u);
    EXPECT_EQ(waveOutGetErrorTextA(MMSYSERR_ERROR, buffer, sizeof(buffer)),
              static_cast<MMRESULT>(MMSYSERR_NOMEM));
    EXPECT_EQ(waveOutGetErrorTextA(MMSYSERR_ERROR, buffer, sizeof(buffer)), 0u);
    EXPECT_EQ(FaultCallCount("waveOutGetErrorTextA"), 4);

    char* block = reinterpret_cast<char*>(1);
    FaultInject("FormatMessageA", 1, ERROR_NOT_ENOUGH_MEMORY, 2);
    for (int i = 0; i < 2; ++i) {
        SetLastError(0);
        EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                 nullptr, ERROR_ACCESS_DENIED, 0, reinterpret_cast<LPSTR>(&block),
                                 0, nullptr),
                  0u);
        EXPECT_EQ(block, nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    }
    EXPECT_NE(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr,
                             ERROR_ACCESS_DENIED, 0, reinterpret_cast<LPSTR>(&block), 0, nullptr),
              0u);
    EXPECT_EQ(LocalFree(block), nullptr);

    FaultInject("lstrcpynA", 1, ERROR_INVALID_PARAMETER, 0); // every call from now on
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(lstrcpynA(buffer, "text", sizeof(buffer)), nullptr);
    }
    FaultClearAll();
    EXPECT_EQ(FaultCallCount("lstrcpynA"), 0);
    EXPECT_EQ(lstrcpynA(buffer, "text", sizeof(buffer)), buffer);
}

TEST_F(FaultInjection, CountsAndFailsExactlyAcrossThreads)
{
    constexpr int kThreads = 8;
    constexpr int kCalls = 1000;
    FaultInject("ProbeCall", 2500, 77, 3);
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&failures] {
            for (int i = 0; i < kCalls; ++i) {
                DWORD code = 0;
                if (FaultShouldFail("ProbeCall", &code)) {
                    EXPECT_EQ(code, 77u);
                    ++failures;
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures.load(), 3);
    EXPECT_EQ(FaultCallCount("ProbeCall"), kThreads * kCalls);
}
