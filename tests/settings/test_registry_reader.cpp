// The registry reader: key path texts, failure records and the value rules.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/testing/seams.h"
#include "settings/registry_reader.h"
#include "support/wine_prefix.h"

namespace {

const char RecorderKey[] = "Software\\Vintrel\\Quorbel";
const char RecorderPath[] = "HKEY_CURRENT_USER\\Software\\Vintrel\\Quorbel";

HKEY UnnamedKey()
{
    return reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x1234));
}

TEST(ComposeKeyPath, ANamedRootIsFollowedByOneBackslashAndTheSubkey)
{
    char text[KeyPathSize] = "left over";
    ComposeKeyPath(text, HKEY_CURRENT_USER, RecorderKey);
    EXPECT_STREQ(text, RecorderPath);

    const struct {
        HKEY root;
        const char* path;
    } roots[] = {{HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT\\x"},
                 {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE\\x"},
                 {HKEY_USERS, "HKEY_USERS\\x"},
                 {HKEY_PERFORMANCE_DATA, "HKEY_PERFORMANCE_DATA\\x"},
                 {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG\\x"},
                 {HKEY_DYN_DATA, "HKEY_DYN_DATA\\x"}};
    for (const auto& root : roots) {
        ComposeKeyPath(text, root.root, "x");
        EXPECT_STREQ(text, root.path);
    }
}

TEST(ComposeKeyPath, AnOpenedKeyContinuesThePathInTheBuffer)
{
    char text[KeyPathSize] = "HKEY_CURRENT_USER\\Software";
    ComposeKeyPath(text, UnnamedKey(), "Vintrel");
    EXPECT_STREQ(text, "HKEY_CURRENT_USER\\Software\\Vintrel");

    char withBackslash[KeyPathSize] = "HKEY_CURRENT_USER\\Software\\";
    ComposeKeyPath(withBackslash, UnnamedKey(), "Vintrel");
    EXPECT_STREQ(withBackslash, "HKEY_CURRENT_USER\\Software\\Vintrel");

    char empty[KeyPathSize] = "";
    ComposeKeyPath(empty, UnnamedKey(), "Vintrel");
    EXPECT_STREQ(empty, "\\Vintrel");
}

TEST(ComposeKeyPath, NeverGrowsBeyond255Characters)
{
    char full[KeyPathSize];
    memset(full, 'a', 255);
    full[255] = '\0';
    ComposeKeyPath(full, UnnamedKey(), "Vintrel");
    EXPECT_EQ(std::string(full), std::string(255, 'a'));

    char unterminated[KeyPathSize];
    memset(unterminated, 'a', sizeof unterminated);
    ComposeKeyPath(unterminated, UnnamedKey(), "Vintrel");
    EXPECT_EQ(std::string(unterminated), std::string(255, 'a'));

    char room[KeyPathSize]; // 254 characters: room for the backslash only
    memset(room, 'a', 254);
    room[254] = '\0';
    ComposeKeyPath(room, UnnamedKey(), "Vintrel");
    EXPECT_EQ(std::string(room), std::string(254, 'a') + "\\");

    char cut[KeyPathSize];
    memset(cut, 'a', 250);
    cut[250] = '\0';
    ComposeKeyPath(cut, UnnamedKey(), "Vintrel");
    EXPECT_EQ(std::string(cut), std::string(250, 'a') + "\\Vint");

    memset(cut, 'a', 250);
    cut[250] = '\0';
    ComposeKeyPath(cut, UnnamedKey(), "\xC3\xBC\xC3\xBC\xC3\xBC"); // üüü: 4 bytes left
    EXPECT_EQ(std::string(cut), std::string(250, 'a') + "\\\xC3\xBC\xC3\xBC");
}

class RegistryReaderTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(setenv("USER", "tester", 1), 0); }
    void TearDown() override { CloseKey(key_); }

    void UseFixture(const char* name) { UseWinePrefix(prefix_, ReadWineHiveFixture(name)); }
    void UseValue(const char* line)
    {
        UseWinePrefix(prefix_, MakeHive({"[Software\\\\Vintrel\\\\Quorbel] 1", line}));
    }

    void Open()
    {
        ASSERT_EQ(
            OpenKey(keyPath_, &record_, HKEY_CURRENT_USER, RecorderKey, KEY_QUERY_VALUE, &key_), 0);
        EXPECT_EQ(record_.kind, ErrorKindNone);
    }

    // Queries TmpDir into a buffer of `capacity` filled with 'X' beforehand.
    LONG Query(DWORD capacity, DWORD expectedType, DWORD* type = nullptr)
    {
        memset(data_, 'X', sizeof data_);
        size_ = capacity;
        return QueryValue(keyPath_, &record_, key_, "TmpDir", type, reinterpret_cast<BYTE*>(data_),
                          &size_, expectedType);
    }

    TempDir prefix_;
    char keyPath_[KeyPathSize] = {};
    ErrorInfo record_;
    HKEY key_ = nullptr;
    char data_[400];
    DWORD size_ = 0;
};

TEST_F(RegistryReaderTest, AMissingKeyIsDescribedByItsPath)
{
    UseFixture("user-missing-key.reg");
    Fill(&record_, ErrorKindMultimedia, 5, "stale", "stale");
    EXPECT_EQ(OpenKey(keyPath_, &record_, HKEY_CURRENT_USER, RecorderKey, KEY_QUERY_VALUE, &key_),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key_, nullptr);
    EXPECT_STREQ(keyPath_, RecorderPath);
    EXPECT_EQ(record_.kind, ErrorKindSystem);
    EXPECT_EQ(record_.code, 2u);
    EXPECT_STREQ(record_.operationName, "RegOpenKeyEx");
    EXPECT_STREQ(record_.context, RecorderPath);
    EXPECT_STRNE(record_.messageText, "");
}

TEST_F(RegistryReaderTest, AMissingValueNamesTheKeyAndTheValue)
{
    UseFixture("user-missing-value.reg");
    Open();
    EXPECT_EQ(Query(260, ANY_STRING_TYPE), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(record_.kind, ErrorKindSystem);
    EXPECT_EQ(record_.code, 2u);
    EXPECT_STREQ(record_.operationName, "RegQueryValueEx");
    EXPECT_STREQ(record_.context, "HKEY_CURRENT_USER\\Software\\Vintrel\\Quorbel(TmpDir)");
}

TEST_F(RegistryReaderTest, TheFailureContextIsCutAt255Characters)
{
    UseFixture("user-missing-value.reg");
    Open();
    memset(keyPath_, 'k', 250);
    keyPath_[250] = '\0';
    Query(260, ANY_STRING_TYPE);
    EXPECT_EQ(std::string(record_.context), std::string(250, 'k') + "(TmpD");
}

TEST_F(RegistryReaderTest, AValueLargerThanTheBufferIsRefused)
{
    UseFixture("user-long.reg");
    Open();
    EXPECT_EQ(Query(260, ANY_STRING_TYPE), ERROR_MORE_DATA);
    EXPECT_EQ(size_, 301u);
    EXPECT_EQ(record_.code, 234u);
    EXPECT_STREQ(record_.operationName, "RegQueryValueEx");
    EXPECT_STREQ(record_.context, "HKEY_CURRENT_USER\\Software\\Vintrel\\Quorbel(TmpDir)");
}

TEST_F(RegistryReaderTest, TypeRules)
{
    UseFixture("user-dword.reg");
    Open();
    DWORD type = 0;
    EXPECT_EQ(Query(260, ANY_STRING_TYPE, &type), 0); // the status is the registry's alone
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(record_.kind, ErrorKindTypeMismatch);
    EXPECT_EQ(record_.code, 0u);
    EXPECT_STREQ(record_.operationName, "");
    EXPECT_STREQ(record_.context, "HKEY_CURRENT_USER\\Software\\Vintrel\\Quorbel(TmpDir)");
    EXPECT_EQ(data_[4], 'X'); // not a string: nothing terminated

    EXPECT_EQ(Query(260, REG_DWORD), 0);
    EXPECT_EQ(record_.kind, ErrorKindNone);
    EXPECT_EQ(Query(260, 0), 0); // any type
    EXPECT_EQ(record_.kind, ErrorKindNone);
    EXPECT_EQ(Query(260, REG_SZ), 0);
    EXPECT_EQ(record_.kind, ErrorKindTypeMismatch);
}

TEST_F(RegistryReaderTest, ExpansionOnlyForAnyStringType)
{
    UseFixture("user-expand.reg");
    Open();
    EXPECT_EQ(Query(260, ANY_STRING_TYPE), 0);
    EXPECT_EQ(record_.kind, ErrorKindNone);
    EXPECT_STREQ(data_, "C:\\users\\root\\Temp\\Quorbel");

    EXPECT_EQ(Query(260, REG_EXPAND_SZ), 0);
    EXPECT_STREQ(data_, "%TEMP%\\Quorbel");
    EXPECT_EQ(Query(260, REG_SZ), 0);
    EXPECT_EQ(record_.kind, ErrorKindTypeMismatch);
}

TEST_F(RegistryReaderTest, StringsAreTerminatedAtTheReturnedSizeOrTheBufferEnd)
{
    UseValue(R"("TmpDir"=hex(1):61,00,62,00,63,00)"); // "abc" stored without its NUL
    Open();
    EXPECT_EQ(Query(10, ANY_STRING_TYPE), 0);
    EXPECT_EQ(size_, 3u);
    EXPECT_EQ(std::string(data_, 5), std::string("abc\0X", 5));
    EXPECT_EQ(Query(3, ANY_STRING_TYPE), 0);
    EXPECT_EQ(std::string(data_, 4), std::string("ab\0X", 4));
    CloseKey(key_);

    UseValue(R"("TmpDir"="abc")"); // with its NUL, the size counts it
    Open();
    EXPECT_EQ(Query(10, ANY_STRING_TYPE), 0);
    EXPECT_EQ(std::string(data_, 6), std::string("abc\0\0X", 6));
}

TEST_F(RegistryReaderTest, AFailedExpansionShowsOnlyInTheRecord)
{
    ASSERT_EQ(setenv("SALVORIN_LONG", std::string(300, 'L').c_str(), 1), 0);
    UseValue(R"("TmpDir"=str(2):"%SALVORIN_LONG%")");
    Open();
    EXPECT_EQ(Query(260, ANY_STRING_TYPE), 0);
    EXPECT_EQ(record_.kind, ErrorKindSystem);
    EXPECT_EQ(record_.code, 122u);
    EXPECT_STREQ(record_.operationName, "ExpandEnvironmentStrings");
    EXPECT_STREQ(record_.context, "HKEY_CURRENT_USER\\Software\\Vintrel\\Quorbel(TmpDir)");
}

TEST(ExpandInPlace, ReportsEachFailureWithItsCode)
{
    ErrorInfo record;
    char unterminated[4] = {'%', 'A', '%', 'x'};
    EXPECT_EQ(ExpandInPlace(&record, unterminated, sizeof unterminated), 1u);
    EXPECT_EQ(record.code, 87u);
    EXPECT_STREQ(record.operationName, "BaRe_ExpandSz");

    char text[32] = "plain";
    FaultInject("ExpandEnvironmentStringsA", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(ExpandInPlace(&record, text, sizeof text), 8u);
    EXPECT_EQ(record.code, 8u);
    EXPECT_STREQ(record.operationName, "ExpandEnvironmentStrings");

    FaultInject("ExpandEnvironmentStringsA", 1, 0); // failed without saying why
    EXPECT_EQ(ExpandInPlace(&record, text, sizeof text), 1u);
    EXPECT_EQ(record.code, 1u);
    FaultClearAll();

    EXPECT_EQ(ExpandInPlace(&record, text, sizeof text), 0u);
    EXPECT_EQ(record.kind, ErrorKindNone);
    EXPECT_STREQ(text, "plain");
}

TEST(CloseKey, ANullHandleIsNotClosed)
{
    CloseKey(nullptr);
    EXPECT_EQ(FaultCallCount("RegCloseKey"), 0);
    CloseKey(HKEY_CURRENT_USER);
    EXPECT_EQ(FaultCallCount("RegCloseKey"), 1);
}

} // namespace
