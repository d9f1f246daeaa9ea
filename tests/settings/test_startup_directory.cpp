// The start-up directory: the recorder's TmpDir becomes the current directory.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "platform/testing/seams.h"
#include "platform/win32.h"
#include "settings/startup_directory.h"
#include "support/wine_prefix.h"

namespace {

std::string CurrentDirectory()
{
    char cwd[PATH_MAX];
    return getcwd(cwd, sizeof cwd) == nullptr ? std::string() : std::string(cwd);
}

std::string RealPath(const std::string& path)
{
    char real[PATH_MAX];
    return realpath(path.c_str(), real) == nullptr ? std::string() : std::string(real);
}

class StartupDirectoryTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ASSERT_EQ(setenv("USER", "tester", 1), 0);
        ASSERT_EQ(chdir(work_.path().c_str()), 0);
        start_ = CurrentDirectory();
    }

    void UseValue(const char* line)
    {
        UseWinePrefix(prefix_, MakeHive({"[Software\\\\Vintrel\\\\Quorbel] 1", line}));
    }

    TempDir prefix_;
    TempDir work_; // the directory the program was started in
    std::string start_;
};

// Whether each Wine-written fixture's value reaches SetCurrentDirectoryA at all: strings
// do; other types, missing values and values too long for the buffer do not.
TEST_F(StartupDirectoryTest, OnlyStringValuesThatFitAreApplied)
{
    const std::map<std::string, bool> applied = {
        {"user-expand.reg", true},       {"user-sz.reg", true},
        {"user-dword.reg", false},       {"user-multi.reg", false},
        {"user-binary.reg", false},      {"user-long.reg", false},
        {"user-nonascii.reg", true},     {"user-quotes.reg", true},
        {"user-empty.reg", true},        {"user-missing-value.reg", false},
        {"user-missing-key.reg", false}, {"user-case.reg", true},
    };
    for (const auto& [fixture, expected] : applied) {
        SCOPED_TRACE(fixture);
        UseWinePrefix(prefix_, ReadWineHiveFixture(fixture));
        FaultClearAll();
        ApplyStartupDirectory();
        EXPECT_EQ(FaultCallCount("SetCurrentDirectoryA"), expected ? 1 : 0);
        EXPECT_EQ(CurrentDirectory(), start_); // the prefix has no drive_c to go to
    }
}

TEST_F(StartupDirectoryTest, ExpandableValuesAreAppliedExpandedPlainOnesAsWritten)
{
    std::filesystem::create_directories(work_.file("expanded/sub"));
    std::filesystem::create_directories(work_.file("%SALVORIN_START%/sub"));
    ASSERT_EQ(setenv("SALVORIN_START", work_.file("expanded").c_str(), 1), 0);

    UseValue(R"("TmpDir"=str(2):"%SALVORIN_START%/sub")");
    ApplyStartupDirectory();
    EXPECT_EQ(CurrentDirectory(), RealPath(work_.file("expanded/sub")));

    ASSERT_EQ(chdir(work_.path().c_str()), 0);
    UseValue(R"("TmpDir"="%SALVORIN_START%/sub")");
    ApplyStartupDirectory();
    EXPECT_EQ(CurrentDirectory(), RealPath(work_.file("%SALVORIN_START%/sub")));
}

TEST_F(StartupDirectoryTest, ABinaryValueIsNeverTakenForADirectory)
{
    // The blob's bytes read as the one-letter path "C": such a folder is right here.
    ASSERT_EQ(mkdir(work_.file("C").c_str(), 0700), 0);
    UseWinePrefix(prefix_, ReadWineHiveFixture("user-binary.reg"));
    ApplyStartupDirectory();
    EXPECT_EQ(CurrentDirectory(), start_);
    EXPECT_EQ(FaultCallCount("SetCurrentDirectoryA"), 0);
}

TEST_F(StartupDirectoryTest, NoHiveOrABrokenOneChangesNothing)
{
    ASSERT_EQ(setenv("WINEPREFIX", prefix_.path().c_str(), 1), 0);
    ApplyStartupDirectory();
    EXPECT_EQ(CurrentDirectory(), start_);

    std::string cut = MakeHive({"[Software\\\\Vintrel\\\\Quorbel] 1", R"("TmpDir"="/")"});
    cut.pop_back();
    UseWinePrefix(prefix_, cut);
    ApplyStartupDirectory();
    EXPECT_EQ(CurrentDirectory(), start_);

    UseWinePrefix(prefix_, std::string("\x7f"
                                       "ELF\x02\x01\x01\0\0\0",
                                       10));
    ApplyStartupDirectory();
    EXPECT_EQ(CurrentDirectory(), start_);
    EXPECT_EQ(FaultCallCount("SetCurrentDirectoryA"), 0);
}

TEST_F(StartupDirectoryTest, TheRecordersTemporaryDirectoryInsideTheWinePrefix)
{
    // A prefix as Wine makes it: drive C is a link to drive_c, the user's TEMP is set in
    // [Environment], and the folders on disk differ in case from what the values say.
    std::filesystem::create_directories(prefix_.file("drive_c/users/tester/Temp/quorbel"));
    std::filesystem::create_directories(prefix_.file("dosdevices"));
    ASSERT_EQ(symlink("../drive_c", prefix_.file("dosdevices/c:").c_str()), 0);
    UseWinePrefix(prefix_, MakeHive({"[Environment] 1", R"("TEMP"=str(2):"%USERPROFILE%\\Temp")",
                                     "", "[Software\\\\Vintrel\\\\Quorbel] 1",
                                     R"("TmpDir"=str(2):"%TEMP%\\Quorbel")"}));
    ApplyStartupDirectory();
    EXPECT_EQ(CurrentDirectory(), RealPath(prefix_.file("drive_c/users/tester/Temp/quorbel")));
}

} // namespace
