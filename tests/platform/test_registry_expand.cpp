// ExpandEnvironmentStringsA: the prefix's own variables first, then the process's.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/testing/seams.h"
#include "platform/win32.h"
#include "support/wine_prefix.h"

namespace {

class ExpandTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ASSERT_EQ(setenv("USER", "tester", 1), 0);
        ASSERT_EQ(setenv("TEMP", "/tmp/linux-temp", 1), 0);
        ASSERT_EQ(unsetenv("USERPROFILE"), 0);
    }

    std::string Expand(const char* text)
    {
        char buffer[512];
        memset(buffer, '#', sizeof buffer);
        const DWORD needed = ExpandEnvironmentStringsA(text, buffer, sizeof buffer);
        EXPECT_GT(needed, 0u) << text;
        EXPECT_EQ(needed, strlen(buffer) + 1) << text; // the count includes the NUL
        return buffer;
    }

    TempDir prefix_;
};

TEST_F(ExpandTest, ThePrefixEnvironmentComesFirst)
{
    UseWinePrefix(prefix_, ReadWineHiveFixture("user-expand.reg"));
    EXPECT_EQ(Expand("%TEMP%\\Quorbel"), "C:\\users\\root\\Temp\\Quorbel");
    EXPECT_EQ(Expand("%tmp%"), "C:\\users\\root\\Temp");
    EXPECT_EQ(Expand("%USERPROFILE%"), "C:\\users\\root"); // [Volatile Environment]
    EXPECT_EQ(Expand("%LocalAppData%"), "C:\\users\\root\\AppData\\Local");
}

TEST_F(ExpandTest, StoredReferencesAreExpandedInTurn)
{
    UseWinePrefix(prefix_, MakeHive({"[Environment] 1",
                                     R"("TEMP"=str(2):"%USERPROFILE%\\AppData\\Local\\Temp")",
                                     R"("LOOP"=str(2):"%LOOP%x")", R"("PLAIN"="%USERPROFILE%")"}));
    // No [Volatile Environment]: the profile is derived from the user's name.
    EXPECT_EQ(Expand("%TEMP%\\Quorbel"), "C:\\users\\tester\\AppData\\Local\\Temp\\Quorbel");
    EXPECT_EQ(Expand("%PLAIN%"), "%USERPROFILE%"); // a REG_SZ variable is not expanded
    // A variable that names itself ends after a few rounds instead of running away.
    const std::string loop = Expand("%LOOP%");
    EXPECT_NE(loop.find("%LOOP%x"), std::string::npos);
    EXPECT_LT(loop.size(), 40u);
}

TEST_F(ExpandTest, TheProcessEnvironmentComesNext)
{
    ASSERT_EQ(setenv("WINEPREFIX", prefix_.path().c_str(), 1), 0); // a prefix without a hive
    ASSERT_EQ(setenv("SALVORIN_EXPAND_TEST", "value", 1), 0);
    EXPECT_EQ(Expand("%TEMP%/x"), "/tmp/linux-temp/x");
    EXPECT_EQ(Expand("[%salvorin_expand_test%]"), "[value]");
    EXPECT_EQ(Expand("%USERPROFILE%"), "%USERPROFILE%");
}

TEST_F(ExpandTest, WhatIsNotAKnownReferenceStaysAsWritten)
{
    ASSERT_EQ(setenv("WINEPREFIX", prefix_.path().c_str(), 1), 0);
    ASSERT_EQ(setenv("SALVORIN_B", "b", 1), 0);
    EXPECT_EQ(Expand("%NO_SUCH_NAME%\\x"), "%NO_SUCH_NAME%\\x");
    EXPECT_EQ(Expand("100% sure"), "100% sure");
    EXPECT_EQ(Expand("%%"), "%%");
    EXPECT_EQ(Expand("%NO_SUCH%SALVORIN_B%"), "%NO_SUCHb");
    EXPECT_EQ(Expand("%NO_SUCH%%SALVORIN_B%"), "%NO_SUCH%b");
    EXPECT_EQ(Expand(""), "");
}

TEST_F(ExpandTest, ASmallBufferGetsTheNeededSizeAndStaysTerminated)
{
    ASSERT_EQ(setenv("WINEPREFIX", prefix_.path().c_str(), 1), 0);
    ASSERT_EQ(setenv("SALVORIN_WORD", "\xC3\xBC\xC3\xBC", 1), 0); // üü
    EXPECT_EQ(ExpandEnvironmentStringsA("a%SALVORIN_WORD%", nullptr, 0), 6u);

    char buffer[8];
    memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(ExpandEnvironmentStringsA("a%SALVORIN_WORD%", buffer, 4), 6u);
    EXPECT_STREQ(buffer, "a\xC3\xBC"); // no half character
    EXPECT_EQ(buffer[4], '#');         // nothing beyond the size

    memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(ExpandEnvironmentStringsA("a%SALVORIN_WORD%", buffer, 6), 6u);
    EXPECT_STREQ(buffer, "a\xC3\xBC\xC3\xBC");
}

TEST_F(ExpandTest, FailuresReturnZeroWithALastError)
{
    char buffer[16];
    SetLastError(0);
    EXPECT_EQ(ExpandEnvironmentStringsA(nullptr, buffer, sizeof buffer), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    FaultInject("ExpandEnvironmentStringsA", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(ExpandEnvironmentStringsA("x", buffer, sizeof buffer), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    FaultClearAll();

    // References that multiply beyond any environment string's limit.
    UseWinePrefix(prefix_, MakeHive({"[Environment] 1", R"("A"=str(2):"%B%%B%%B%%B%%B%%B%%B%%B%")",
                                     R"("B"=str(2):"%C%%C%%C%%C%%C%%C%%C%%C%")",
                                     R"("C"=str(2):"%D%%D%%D%%D%%D%%D%%D%%D%")",
                                     R"("D"=str(2):"%E%%E%%E%%E%")",
                                     R"("E"="0123456789012345678901234567890123456789")"}));
    EXPECT_EQ(ExpandEnvironmentStringsA("%A%", buffer, sizeof buffer), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

} // namespace
