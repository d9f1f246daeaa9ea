// The registry calls over hives written by Wine itself: every value form Wine writes, and
// what only a hive read from a prefix does.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "platform/testing/seams.h"
#include "platform/win32.h"
#include "support/wine_prefix.h"

namespace {

const char RecorderKey[] = "Software\\Vintrel\\Quorbel";

std::string Bytes(const char* text, size_t size)
{
    return std::string(text, size);
}

// A literal with its own terminating NUL, as strings come back from the query.
template <size_t N> std::string WithNul(const char (&text)[N])
{
    return std::string(text, N);
}

std::string Utf16Bytes(const std::string& ascii)
{
    std::string bytes;
    for (char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

struct Expected {
    LONG openStatus;
    LONG queryStatus;
    DWORD type;
    std::string data; // as RegQueryValueExA returns it
};

// What each Wine-written fixture yields for TmpDir, spelled out byte for byte.
std::map<std::string, Expected> ExpectedLookups()
{
    std::string longPath = "C:\\Temp";
    for (int i = 1; i <= 10; ++i) {
        longPath +=
            "\\Quorbel-Aufnahmen-Ordner-" + std::string(i < 10 ? "0" : "") + std::to_string(i);
    }
    longPath += "\\Quorbel\\-END";
    return {
        {"user-expand.reg", {0, 0, REG_EXPAND_SZ, WithNul("%TEMP%\\Quorbel")}},
        {"user-sz.reg", {0, 0, REG_SZ, WithNul("C:\\Temp\\Quorbel")}},
        {"user-dword.reg", {0, 0, REG_DWORD, Bytes("\x78\x56\x34\x12", 4)}},
        {"user-multi.reg", {0, 0, REG_MULTI_SZ, WithNul("C:\\Temp\\A\0D:\\Rec\\B\0")}},
        {"user-binary.reg", {0, 0, REG_BINARY, Utf16Bytes("C:\\Temp\\Quorbel") + Bytes("\0\0", 2)}},
        {"user-long.reg", {0, 0, REG_SZ, longPath + Bytes("\0", 1)}},
        {"user-nonascii.reg",
         {0, 0, REG_SZ,
          WithNul("C:\\Temp\\Aufnahmen-\xC3\xA4\xC3\xB6\xC3\xBC\\\xC3\x9C"
                  "bung")}},
        {"user-quotes.reg", {0, 0, REG_SZ, WithNul("C:\\Temp\\say \"hi\"\\end\\")}},
        {"user-empty.reg", {0, 0, REG_SZ, WithNul("")}},
        {"user-missing-value.reg", {0, ERROR_FILE_NOT_FOUND, REG_NONE, ""}},
        {"user-missing-key.reg", {ERROR_FILE_NOT_FOUND, 0, REG_NONE, ""}},
        {"user-case.reg", {0, 0, REG_SZ, WithNul("C:\\Temp\\Case")}},
    };
}

const char* TypeName(DWORD type)
{
    switch (type) {
    case REG_SZ:
        return "REG_SZ";
    case REG_EXPAND_SZ:
        return "REG_EXPAND_SZ";
    case REG_DWORD:
        return "REG_DWORD";
    case REG_MULTI_SZ:
        return "REG_MULTI_SZ";
    case REG_BINARY:
        return "REG_BINARY";
    default:
        return "-";
    }
}

class RegistryTest : public ::testing::Test {
  protected:
    void UseFixture(const std::string& name) { UseWinePrefix(prefix_, ReadWineHiveFixture(name)); }
    void UseHive(const std::string& text) { UseWinePrefix(prefix_, text); }

    TempDir prefix_;
};

TEST_F(RegistryTest, EveryFixtureYieldsItsExpectedTmpDir)
{
    const std::map<std::string, Expected> expected = ExpectedLookups();
    std::ifstream table(WineHiveFixturePath("expected.tsv"));
    std::string line;
    int rows = 0;
    while (std::getline(table, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const std::string fixture = line.substr(0, line.find('\t'));
        const std::string rest = line.substr(fixture.size() + 1);
        const std::string typeColumn = rest.substr(0, rest.find('\t'));
        SCOPED_TRACE(fixture);
        ++rows;
        const auto found = expected.find(fixture);
        ASSERT_NE(found, expected.end()) << "a row of expected.tsv without a test";
        const Expected& want = found->second;
        EXPECT_EQ(typeColumn, TypeName(want.type));

        UseFixture(fixture);
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, RecorderKey, 0, KEY_QUERY_VALUE, &key),
                  want.openStatus);
        if (want.openStatus != 0) {
            EXPECT_EQ(key, nullptr);
            continue;
        }
        DWORD type = 0xDEAD;
        unsigned char data[512];
        memset(data, 0xAA, sizeof data);
        DWORD size = sizeof data;
        EXPECT_EQ(RegQueryValueExA(key, "TmpDir", nullptr, &type, data, &size), want.queryStatus);
        if (want.queryStatus == 0) {
            EXPECT_EQ(type, want.type);
            EXPECT_EQ(std::string(reinterpret_cast<char*>(data), size), want.data);
        }
        EXPECT_EQ(RegCloseKey(key), 0);
    }
    EXPECT_EQ(rows, static_cast<int>(expected.size()));
}

TEST_F(RegistryTest, TheHiveIsReadWhenAKeyIsOpened)
{
    UseHive(MakeHive({"[Software\\\\Vintrel\\\\Quorbel] 1", "\"TmpDir\"=\"first\""}));
    HKEY first = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, RecorderKey, 0, KEY_READ, &first), 0);
    UseHive(MakeHive({"[Software\\\\Vintrel\\\\Quorbel] 1", "\"TmpDir\"=\"second\""}));
    HKEY second = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, RecorderKey, 0, KEY_READ, &second), 0);

    char value[16];
    DWORD size = sizeof value;
    ASSERT_EQ(
        RegQueryValueExA(first, "TmpDir", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size),
        0);
    EXPECT_STREQ(value, "first");
    size = sizeof value;
    ASSERT_EQ(
        RegQueryValueExA(second, "TmpDir", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size),
        0);
    EXPECT_STREQ(value, "second");
    EXPECT_EQ(RegCloseKey(first), 0);
    EXPECT_EQ(RegCloseKey(second), 0);
}

TEST_F(RegistryTest, HomeWineIsThePrefixWhenNoneIsSet)
{
    ASSERT_EQ(mkdir(prefix_.file(".wine").c_str(), 0700), 0);
    WriteTextFile(prefix_.file(".wine/user.reg"), ReadWineHiveFixture("user-sz.reg"));
    ASSERT_EQ(unsetenv("WINEPREFIX"), 0);
    ASSERT_EQ(setenv("HOME", prefix_.path().c_str(), 1), 0);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, RecorderKey, 0, KEY_READ, &key), 0);
    EXPECT_EQ(RegCloseKey(key), 0);
}

// What only a hive read from a Wine prefix refuses: no hive at all, a key opened to be written
// (the hive is read only), an empty step in a key's path, a null place for the key. (The rest of
// the calls' contracts are in test_registry_contracts.cpp, against the system's registry too.)
TEST_F(RegistryTest, RefusesWhatTheStoreCannotGive)
{
    HKEY key = reinterpret_cast<HKEY>(1);
    // No hive at all.
    ASSERT_EQ(setenv("WINEPREFIX", prefix_.path().c_str(), 1), 0);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, RecorderKey, 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);

    UseFixture("user-sz.reg");
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, RecorderKey, 0, KEY_SET_VALUE, &key),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\\\Vintrel", 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    // No place for the key: refused (the system's call may write through the null pointer).
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, RecorderKey, 0, KEY_READ, nullptr),
              ERROR_INVALID_PARAMETER);
}

} // namespace
