// Message texts, bounded string calls and fault injection. (The errno table and our own
// catalogue of sentences are in test_errors_text_linux.cpp.)
#include <gtest/gtest.h>

#include "support/utf8_check.h"

#include <cstdarg>
#include <cstring>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "platform/testing/seams.h"
#include "platform/win32.h"
#include "support/under_wine.h"

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

} // namespace

TEST(FormatMessageText, InsertsAppearExactlyAsGiven)
{
    SKIP_UNDER_WINE("its sentence for ERROR_WRONG_DISK (\"Wrong disk.\") has no inserts");
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

TEST(FormatMessageText, InsertsWithoutArgumentsFail)
{
    SKIP_UNDER_WINE("its sentence for ERROR_WRONG_DISK (\"Wrong disk.\") has no inserts");
    SetLastError(0);
    EXPECT_EQ(SystemText(ERROR_WRONG_DISK), "");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    const char* const arguments[] = {"Z:", "?", "?"};
    EXPECT_EQ(SystemText(ERROR_WRONG_DISK, FORMAT_MESSAGE_MAX_WIDTH_MASK, arguments), "")
        << "an array needs ARGUMENT_ARRAY";
}

TEST(FormatMessageText, WidthIsOneLineOrTheSentenceWithItsBreak)
{
    const std::string unlimited = SystemText(ERROR_NOT_SAME_DEVICE, 0);
    ASSERT_FALSE(unlimited.empty());
    EXPECT_EQ(unlimited.back(), '\n');
    const std::string oneLine = SystemText(ERROR_NOT_SAME_DEVICE);
    ASSERT_FALSE(oneLine.empty());
    EXPECT_EQ(oneLine.find_first_of("\r\n"), std::string::npos);
}

TEST(FormatMessageText, BufferHandling)
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

TEST(FormatMessageText, AnUnknownCodeFails)
{
    char* block = reinterpret_cast<char*>(1);
    SetLastError(0);
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr,
                             0xDEAD, 0, reinterpret_cast<LPSTR>(&block), 0, nullptr),
              0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND));
    EXPECT_EQ(block, nullptr);
}

// English is there; a language the system has no sentences in is refused.
TEST(FormatMessageText, ALanguageWithoutSentencesFails)
{
    SKIP_UNDER_WINE("it carries its sentences in every language it is translated into, so "
                    "German is found where an English Windows has none");
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
    for (UINT size = 2; size <= full.size() + 1; ++size) {
        std::vector<char> small(size, 'X');
        ASSERT_EQ(waveOutGetErrorTextA(WAVERR_BADFORMAT, small.data(), size),
                  static_cast<MMRESULT>(MMSYSERR_NOERROR));
        EXPECT_EQ(std::string(small.data()), full.substr(0, size - 1));
    }
}

TEST(WaveErrorText, AOneByteBufferGetsAnEmptyText)
{
    SKIP_UNDER_WINE("its waveOutGetErrorTextA answers MMSYSERR_BADERRNUM when no character of "
                    "the text fits");
    char one = 'X';
    EXPECT_EQ(waveOutGetErrorTextA(WAVERR_BADFORMAT, &one, 1),
              static_cast<MMRESULT>(MMSYSERR_NOERROR));
    EXPECT_EQ(one, '\0');
}

TEST(Utf8Text, BoundedFormatsNeverSplitACharacter)
{
    // 1-, 2-, 3- and 4-byte characters in turn.
    const std::string source = "a\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E"
                               "b\xC3\xA9\xE2\x82\xAC";
    for (int count = 1; count <= static_cast<int>(source.size()) + 2; ++count) {
        std::vector<char> formatted(static_cast<size_t>(count), 'X');
        const int stored = Format(formatted.data(), formatted.size(), "%s!", source.c_str());
        const std::string text(formatted.data());
        EXPECT_EQ(stored, static_cast<int>(text.size()));
        EXPECT_TRUE(ValidUtf8(text)) << count;
        EXPECT_EQ((source + "!").compare(0, text.size(), text), 0) << count;
    }
}

TEST(Utf8Text, CaseInsensitiveCompare)
{
    EXPECT_EQ(lstrcmpiA("Take.WAV", "take.wav"), 0);
    EXPECT_LT(lstrcmpiA("abc", "ABD"), 0);
    EXPECT_GT(lstrcmpiA("abcd", "ABC"), 0);
    // Every letter folds, not only ASCII's: é/É, ä/Ä, Cyrillic а/А.
    EXPECT_EQ(lstrcmpiA("Caf\xC3\xA9.WAV", "caf\xC3\x89.wav"), 0);
    EXPECT_EQ(lstrcmpiA("\xC3\xA4rger", "\xC3\x84RGER"), 0);
    EXPECT_EQ(lstrcmpiA("\xD0\xB0", "\xD0\x90"), 0);
    EXPECT_NE(lstrcmpiA("\xC3\xA9", "e"), 0);
}

class FaultInjection : public ::testing::Test {
  protected:
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
