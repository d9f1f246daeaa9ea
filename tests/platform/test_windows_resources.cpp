// Module resources (strings, icons) and message boxes answered from a script.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/resources/test_resources.h"
#include "platform/testing/seams.h"
#include "platform/win32.h"
#include "support/under_wine.h"

namespace {

class WindowsResources : public ::testing::Test {
  protected:
};

TEST_F(WindowsResources, LoadStringCutsOnlyBetweenCharacters)
{
    char buffer[32];
    EXPECT_EQ(LoadStringA(&TestModule, IDS_HELLO, buffer, sizeof buffer), 5);
    EXPECT_STREQ(buffer, "Hello");
    EXPECT_EQ(LoadStringA(&TestModule, IDS_HELLO, buffer, 3), 2);
    EXPECT_STREQ(buffer, "He");

    EXPECT_EQ(LoadStringA(&TestModule, IDS_GREETING, buffer, sizeof buffer), 7);
    // Room for three bytes: the ü would be split, so only "Gr" is kept.
    EXPECT_EQ(LoadStringA(&TestModule, IDS_GREETING, buffer, 4), 2);
    EXPECT_STREQ(buffer, "Gr");
    EXPECT_EQ(LoadStringA(&TestModule, IDS_GREETING, buffer, 5), 4);
    EXPECT_STREQ(buffer, "Gr\xC3\xBC");

    SetLastError(0);
    strcpy(buffer, "junk");
    EXPECT_EQ(LoadStringA(&TestModule, 99, buffer, sizeof buffer), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_STREQ(buffer, "");

    FaultInject("LoadStringA", 2, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(LoadStringA(&TestModule, IDS_HELLO, buffer, sizeof buffer), 5);
    EXPECT_EQ(LoadStringA(&TestModule, IDS_HELLO, buffer, sizeof buffer), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
}

TEST_F(WindowsResources, IconsAreSharedAndFoundByEitherName)
{
    HICON icon = LoadIconA(&TestModule, MAKEINTRESOURCEA(IDI_APP));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(LoadIconA(&TestModule, MAKEINTRESOURCEA(IDI_APP)), icon); // shared
    EXPECT_EQ(LoadIconA(&TestModule, "#310"), icon);
    EXPECT_EQ(IconPixel(icon, 1, 0, 0), RGB(0, 0, 0)); // the top left pixel is black

    FaultInject("LoadIconA", 1, ERROR_OUTOFMEMORY);
    EXPECT_EQ(LoadIconA(&TestModule, MAKEINTRESOURCEA(IDI_APP)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_OUTOFMEMORY));
}

TEST_F(WindowsResources, AMissingIconIsNotFoundByName)
{
    SKIP_UNDER_WINE("its LoadIconA looks for an animated icon last and reports that the type "
                    "is not found (ERROR_RESOURCE_TYPE_NOT_FOUND)");
    SetLastError(0);
    EXPECT_EQ(LoadIconA(&TestModule, MAKEINTRESOURCEA(999)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST_F(WindowsResources, MessageBoxesAreAnsweredFromTheScriptAndLogged)
{
    int ranBefore = 0;
    MessageBoxScriptSet({{IDYES, [&] { ++ranBefore; }}, {IDCANCEL, nullptr}});
    EXPECT_EQ(MessageBoxA(nullptr, "Replace the file?", "Salvorin", MB_YESNO | MB_ICONQUESTION),
              IDYES);
    EXPECT_EQ(ranBefore, 1);
    EXPECT_EQ(MessageBoxA(nullptr, "Really?", nullptr, MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBoxUnscriptedCount(), 0);
    EXPECT_EQ(MessageBoxA(nullptr, "Unexpected", "Salvorin", MB_OK | MB_ICONERROR), IDCANCEL);
    EXPECT_EQ(MessageBoxUnscriptedCount(), 1);

    const std::vector<MessageBoxRecord>& log = MessageBoxLog();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].owner, nullptr);
    EXPECT_EQ(log[0].text, "Replace the file?");
    EXPECT_EQ(log[0].caption, "Salvorin");
    EXPECT_EQ(log[0].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(log[0].answer, IDYES);
    EXPECT_EQ(log[1].caption, "Error"); // Win32's caption when none is given
    EXPECT_EQ(log[2].answer, IDCANCEL);

    // A box inside a box is logged after it, in the order they appeared.
    MessageBoxLogClear();
    MessageBoxScriptSet({{IDOK, [] { MessageBoxA(nullptr, "inner", "c", MB_OK); }}, {IDOK, {}}});
    MessageBoxA(nullptr, "outer", "c", MB_OK);
    ASSERT_EQ(MessageBoxLog().size(), 2u);
    EXPECT_EQ(MessageBoxLog()[0].text, "outer");
    EXPECT_EQ(MessageBoxLog()[1].text, "inner");

    FaultInject("MessageBoxA", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(MessageBoxA(nullptr, "x", "y", MB_OK), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(MessageBoxLog().size(), 2u);
    SetLastError(0);
    EXPECT_EQ(MessageBoxA(reinterpret_cast<HWND>(0x4321), "x", "y", MB_OK), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

} // namespace
