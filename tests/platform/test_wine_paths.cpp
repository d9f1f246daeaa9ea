// Windows drive paths mapped into a Wine prefix as Wine maps them.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/linux/wine/wine_paths.h"
#include "support/temp_dir.h"

namespace {

class WinePathsTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        std::filesystem::create_directories(prefix_.file("drive_c/users/root/Temp/Quorbel"));
        std::filesystem::create_directories(prefix_.file("dosdevices"));
        ASSERT_EQ(symlink("../drive_c", prefix_.file("dosdevices/c:").c_str()), 0);
        ASSERT_EQ(setenv("WINEPREFIX", prefix_.path().c_str(), 1), 0);
        char real[PATH_MAX];
        ASSERT_NE(realpath(prefix_.file("drive_c").c_str(), real), nullptr);
        driveC_ = real;
    }

    std::string Map(const char* path)
    {
        std::string host;
        EXPECT_TRUE(MapWindowsPathToHost(path, &host)) << path;
        return host;
    }

    TempDir prefix_;
    std::string driveC_;
};

TEST_F(WinePathsTest, DrivePathsGoThroughTheDriveLink)
{
    EXPECT_EQ(Map("C:\\users\\root\\Temp\\Quorbel"), driveC_ + "/users/root/Temp/Quorbel");
    EXPECT_EQ(Map("c:/users/root/Temp/"), driveC_ + "/users/root/Temp");
    EXPECT_EQ(Map("C:\\"), driveC_);
    EXPECT_EQ(Map("C:"), driveC_);
    EXPECT_EQ(Map("C:\\users\\\\root\\.\\x\\..\\Temp"), driveC_ + "/users/root/Temp");
    EXPECT_EQ(Map("C:\\..\\..\\users"), driveC_ + "/users"); // no way out above the root
}

TEST_F(WinePathsTest, NamesMatchTheDiskWithoutRegardToCase)
{
    EXPECT_EQ(Map("C:\\USERS\\Root\\temp\\QUORBEL"), driveC_ + "/users/root/Temp/Quorbel");
    // An exact name wins over one that differs only in case.
    std::filesystem::create_directories(prefix_.file("drive_c/users/root/TEMP"));
    EXPECT_EQ(Map("C:\\users\\root\\TEMP"), driveC_ + "/users/root/TEMP");
}

TEST_F(WinePathsTest, AMissingComponentStaysAsWritten)
{
    EXPECT_EQ(Map("C:\\users\\Nobody\\TEMP\\x"), driveC_ + "/users/Nobody/TEMP/x");
    // A drive without a link maps to where its link would be, and fails there.
    EXPECT_EQ(Map("D:\\Rec"), prefix_.path() + "/dosdevices/d:/Rec");
}

TEST_F(WinePathsTest, OtherPathsAreNotMapped)
{
    std::string host = "unchanged";
    EXPECT_FALSE(MapWindowsPathToHost("/tmp/x", &host));
    EXPECT_FALSE(MapWindowsPathToHost("relative\\dir", &host));
    EXPECT_FALSE(MapWindowsPathToHost("\\\\server\\share\\x", &host));
    EXPECT_FALSE(MapWindowsPathToHost("\\rooted", &host));
    EXPECT_FALSE(MapWindowsPathToHost("C:relative", &host));
    EXPECT_FALSE(MapWindowsPathToHost("1:\\x", &host));
    EXPECT_FALSE(MapWindowsPathToHost("", &host));
    EXPECT_FALSE(MapWindowsPathToHost(nullptr, &host));
    EXPECT_EQ(host, "unchanged");
}

TEST_F(WinePathsTest, HomeWineIsThePrefixWhenNoneIsSet)
{
    ASSERT_EQ(unsetenv("WINEPREFIX"), 0);
    ASSERT_EQ(setenv("HOME", "/nonexistent-home", 1), 0);
    EXPECT_EQ(Map("C:\\x"), "/nonexistent-home/.wine/dosdevices/c:/x");
    ASSERT_EQ(unsetenv("HOME"), 0);
    std::string host;
    EXPECT_FALSE(MapWindowsPathToHost("C:\\x", &host));
}

TEST_F(WinePathsTest, TheMappedPathCanBeEntered)
{
    const std::string host = Map("c:\\Users\\ROOT\\temp\\quorbel");
    ASSERT_EQ(chdir(host.c_str()), 0);
    char cwd[PATH_MAX];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(std::string(cwd), driveC_ + "/users/root/Temp/Quorbel");
}

} // namespace
