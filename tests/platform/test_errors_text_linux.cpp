// What only the Linux flavour has of errors and texts: the table from errno to Win32 codes,
// our own catalogue of sentences (one for every code the header names), the exact shape of
// FormatMessageA's widths, and the UTF-8 cut the bounded copies use.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "platform/linux/posix/errno_map.h"
#include "platform/linux/posix/utf8.h"
#include "platform/win32.h"
#include "support/utf8_check.h"

namespace {

std::string SystemText(DWORD code, DWORD flags = FORMAT_MESSAGE_MAX_WIDTH_MASK)
{
    char buffer[1024] = "";
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | flags, nullptr, code, 0,
                                        buffer, sizeof(buffer), nullptr);
    return length == 0 ? std::string() : std::string(buffer, length);
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

// One line, or the same sentence with its line break; the system also wraps at other widths,
// which the program never asks for.
TEST(FormatMessage, WidthIsOneLineOrOurSentenceWithItsBreak)
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

TEST(Utf8Text, CutsOfNonUtf8BytesAreLeftAlone)
{
    const char latin1[] = "caf\xE9s";
    EXPECT_EQ(Utf8SafeCut(latin1, 4), 4u);
    const char stray[] = "ab\x80\x80\x80\x80\x80";
    EXPECT_EQ(Utf8SafeCut(stray, 5), 5u);
    EXPECT_EQ(Utf8SafeCut("\xE2\x82\xAC", 2), 0u);
    EXPECT_EQ(Utf8SafeCut("\xE2\x82\xAC", 3), 3u);
}

// lstrcpynA of the Linux flavour keeps whole characters (the UTF-8 counterpart of treating
// double-byte characters as units); the system's copies bytes.
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
    }
}
