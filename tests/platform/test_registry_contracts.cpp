// The registry calls' Win32 contracts, over values put where each implementation reads them:
// on Linux a Wine prefix's user hive, on Windows the user's own registry (under a key of this
// process's own, removed when the test ends, so that test programs running side by side in one
// prefix do not meet).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/testing/seams.h"
#include "platform/win32.h"
#include "support/temp_dir.h"

#ifndef _WIN32
#include "support/wine_prefix.h"
#endif

namespace {

struct Value {
    std::string key; // below the test's root key
    std::string name;
    std::string data; // REG_SZ
};

class RegistryContract : public ::testing::Test {
  protected:
    void TearDown() override
    {
#ifdef _WIN32
        RegDeleteTreeA(HKEY_CURRENT_USER, root_.c_str());
#endif
    }

    // The test's own key below HKEY_CURRENT_USER.
    std::string Key(const std::string& below = "") const
    {
        return below.empty() ? root_ : root_ + "\\" + below;
    }

    void Store(const std::vector<Value>& values)
    {
#ifdef _WIN32
        for (const Value& value : values) {
            HKEY key = nullptr;
            ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, Key(value.key).c_str(), 0, nullptr, 0,
                                      KEY_SET_VALUE, nullptr, &key, nullptr),
                      ERROR_SUCCESS);
            EXPECT_EQ(RegSetValueExA(key, value.name.c_str(), 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(value.data.c_str()),
                                     static_cast<DWORD>(value.data.size() + 1)),
                      ERROR_SUCCESS);
            RegCloseKey(key);
        }
#else
        // As Wine writes its hive: backslashes doubled, characters beyond ASCII as \x escapes.
        std::string text = "WINE REGISTRY Version 2\n;; All keys relative to "
                           "REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win64\n";
        for (const Value& value : values) {
            text += "\n[" + Escaped(Key(value.key)) + "] 1\n";
            text += "\"" + Escaped(value.name) + "\"=\"" + Escaped(value.data) + "\"\n";
        }
        UseWinePrefix(prefix_, text);
#endif
    }

#ifdef _WIN32
    std::string root_ = "Software\\SalvorinContract" + std::to_string(GetCurrentProcessId());
#else
    static std::string Escaped(const std::string& utf8)
    {
        std::string out;
        for (size_t i = 0; i < utf8.size(); ++i) {
            const auto byte = static_cast<unsigned char>(utf8[i]);
            if (byte == '\\') {
                out += "\\\\";
            } else if (byte < 0x80) {
                out += static_cast<char>(byte);
            } else { // two-byte characters are all these tests use
                const unsigned point = ((byte & 0x1Fu) << 6) | (utf8[++i] & 0x3Fu);
                char escape[8];
                snprintf(escape, sizeof escape, "\\x%x", point);
                out += escape;
            }
        }
        return out;
    }
    std::string root_ = "Software\\SalvorinContract";
    TempDir prefix_;
#endif
};

TEST_F(RegistryContract, QueryFollowsTheWin32SizeContract)
{
    Store({{"", "TmpDir", "C:\\Temp\\Quorbel"}});
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, Key().c_str(), 0, KEY_READ, &key), 0);

    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "TmpDir", nullptr, &type, nullptr, &size), 0);
    EXPECT_EQ(size, 16u); // the text and its NUL
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));

    char small[15];
    memset(small, 'x', sizeof small);
    size = sizeof small;
    type = 0;
    EXPECT_EQ(
        RegQueryValueExA(key, "TmpDir", nullptr, &type, reinterpret_cast<BYTE*>(small), &size),
        ERROR_MORE_DATA);
    EXPECT_EQ(size, 16u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));

    char exact[16];
    size = sizeof exact;
    EXPECT_EQ(
        RegQueryValueExA(key, "TmpDir", nullptr, nullptr, reinterpret_cast<BYTE*>(exact), &size),
        0);
    EXPECT_STREQ(exact, "C:\\Temp\\Quorbel");

    // Only asking whether the value is there.
    EXPECT_EQ(RegQueryValueExA(key, "TmpDir", nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(RegQueryValueExA(key, "Other", nullptr, nullptr, nullptr, nullptr),
              ERROR_FILE_NOT_FOUND);

    DWORD reserved = 0;
    EXPECT_EQ(RegQueryValueExA(key, "TmpDir", &reserved, nullptr, nullptr, &size),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(
        RegQueryValueExA(key, "TmpDir", nullptr, nullptr, reinterpret_cast<BYTE*>(exact), nullptr),
        ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCloseKey(key), 0);
}

TEST_F(RegistryContract, KeysAreFoundWithoutRegardToCaseButAsWholePaths)
{
    Store({{"QuorbelOld", "TmpDir", "old"},
           {"Quorbel\\Recent", "TmpDir", "recent"},
           {"\xC3\x84rger", "\xC3\x9C", "umlaut"}});
    std::string upper = Key("QUORBEL");
    for (char& c : upper) {
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    HKEY key = nullptr;
    // Only a subkey of the name was written: the key itself is there, without values.
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, upper.c_str(), 0, KEY_READ, &key), 0);
    EXPECT_EQ(RegQueryValueExA(key, "TmpDir", nullptr, nullptr, nullptr, nullptr),
              ERROR_FILE_NOT_FOUND);

    // A subkey opened relative to an opened key.
    HKEY recent = nullptr;
    ASSERT_EQ(RegOpenKeyExA(key, "recent", 0, KEY_READ, &recent), 0);
    char value[32];
    DWORD size = sizeof value;
    EXPECT_EQ(
        RegQueryValueExA(recent, "TMPDIR", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size),
        0);
    EXPECT_STREQ(value, "recent");
    EXPECT_EQ(RegCloseKey(recent), 0);
    EXPECT_EQ(RegCloseKey(key), 0);

    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, Key("Quorb").c_str(), 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);

    // Case folding goes beyond ASCII: Ä/ä and Ü/ü.
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, Key("\xC3\xA4rger").c_str(), 0, KEY_READ, &key), 0);
    size = sizeof value;
    EXPECT_EQ(
        RegQueryValueExA(key, "\xC3\xBC", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size),
        0);
    EXPECT_STREQ(value, "umlaut");
    EXPECT_EQ(RegCloseKey(key), 0);
}

TEST_F(RegistryContract, RefusesWhatIsNotThereAndHandlesThatAreNot)
{
    Store({{"", "TmpDir", "C:\\Temp\\Quorbel"}});
    HKEY key = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, Key("Missing").c_str(), 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, Key().c_str(), 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);

    int notAKey = 0;
    EXPECT_EQ(RegOpenKeyExA(reinterpret_cast<HKEY>(&notAKey), "x", 0, KEY_READ, &key),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(
        RegQueryValueExA(reinterpret_cast<HKEY>(&notAKey), "x", nullptr, nullptr, nullptr, nullptr),
        ERROR_INVALID_HANDLE);

    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, Key().c_str(), 0, KEY_READ, &key), 0);
    EXPECT_EQ(RegCloseKey(key), 0);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), 0);
}

TEST_F(RegistryContract, InjectedFailuresReturnTheirCode)
{
    Store({{"", "TmpDir", "C:\\Temp\\Quorbel"}});
    FaultInject("RegOpenKeyExA", 1, ERROR_ACCESS_DENIED);
    HKEY key = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, Key().c_str(), 0, KEY_READ, &key),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(key, nullptr);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, Key().c_str(), 0, KEY_READ, &key), 0);
    FaultInject("RegQueryValueExA", 1, ERROR_MORE_DATA);
    EXPECT_EQ(RegQueryValueExA(key, "TmpDir", nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    EXPECT_EQ(RegCloseKey(key), 0);
}

} // namespace
