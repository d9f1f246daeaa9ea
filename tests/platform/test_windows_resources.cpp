// Module resources (strings, icons) and message boxes answered from a script.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/testing/seams.h"
#include "platform/win32.h"

namespace {

enum {
    IDS_HELLO = 1,
    IDS_GREETING = 2,
    IDS_EMPTY = 3,
    IDI_APP = 300,
    IDI_BROKEN = 301,
    IDD_ABOUT = 120
};

const STRING_DATA kStrings[] = {
    {IDS_HELLO, "Hello"},
    {IDS_GREETING, "Gr\xC3\xBC\xC3\x9F"
                   "e"}, // "Grüße": ü and ß take two bytes each
    {IDS_EMPTY, ""},
};
// Row by row: black white red clear / blue clear lime aqua.
const ICON_DATA kIcons[] = {
    {IDI_APP, 4, 2, "0f9.c.ae"},
    {IDI_BROKEN, 2, 2, "0g.."},
};
const DLGITEM_DATA kAboutItems[] = {
    {"static", "#300", -1, 7, 7, 21, 20, SS_ICON | WS_VISIBLE, 0},
    {"button", "OK", IDOK, 40, 30, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 0},
};
const DLGTEMPLATE_DATA kDialogs[] = {
    {IDD_ABOUT, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, 0, 0, 100, 50, "About",
     "MS Sans Serif", 8, 0, kAboutItems, static_cast<int>(std::size(kAboutItems))},
};
const RESOURCE_MODULE kModule = {kDialogs, 1,
                                 nullptr,  0,
                                 kStrings, static_cast<int>(std::size(kStrings)),
                                 kIcons,   static_cast<int>(std::size(kIcons))};

INT_PTR QuietProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

class WindowsResources : public ::testing::Test {
  protected:
    void SetUp() override
    {
        FaultClearAll();
        MessageBoxLogClear();
        MessageBoxScriptClear();
    }
    void TearDown() override { MessageBoxScriptClear(); }
};

TEST_F(WindowsResources, LoadStringCutsOnlyBetweenCharacters)
{
    char buffer[32];
    EXPECT_EQ(LoadStringA(&kModule, IDS_HELLO, buffer, sizeof buffer), 5);
    EXPECT_STREQ(buffer, "Hello");
    EXPECT_EQ(LoadStringA(&kModule, IDS_HELLO, buffer, 3), 2);
    EXPECT_STREQ(buffer, "He");

    EXPECT_EQ(LoadStringA(&kModule, IDS_GREETING, buffer, sizeof buffer), 7);
    // Room for three bytes: the ü would be split, so only "Gr" is kept.
    EXPECT_EQ(LoadStringA(&kModule, IDS_GREETING, buffer, 4), 2);
    EXPECT_STREQ(buffer, "Gr");
    EXPECT_EQ(LoadStringA(&kModule, IDS_GREETING, buffer, 5), 4);
    EXPECT_STREQ(buffer, "Gr\xC3\xBC");

    SetLastError(0);
    strcpy(buffer, "junk");
    EXPECT_EQ(LoadStringA(&kModule, 99, buffer, sizeof buffer), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_STREQ(buffer, "");

    FaultInject("LoadStringA", 2, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(LoadStringA(&kModule, IDS_HELLO, buffer, sizeof buffer), 5);
    EXPECT_EQ(LoadStringA(&kModule, IDS_HELLO, buffer, sizeof buffer), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
}

TEST_F(WindowsResources, IconsUseThe16ColourPaletteAndScaleSharply)
{
    HICON icon = LoadIconA(&kModule, MAKEINTRESOURCEA(IDI_APP));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(LoadIconA(&kModule, MAKEINTRESOURCEA(IDI_APP)), icon); // shared
    EXPECT_EQ(LoadIconA(&kModule, "#300"), icon);

    EXPECT_EQ(IconPixel(icon, 1, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(IconPixel(icon, 1, 1, 0), RGB(255, 255, 255));
    EXPECT_EQ(IconPixel(icon, 1, 2, 0), RGB(255, 0, 0));
    EXPECT_EQ(IconPixel(icon, 1, 3, 0), 0xFFFFFFFFu);
    EXPECT_EQ(IconPixel(icon, 1, 0, 1), RGB(0, 0, 255));
    EXPECT_EQ(IconPixel(icon, 1, 1, 1), 0xFFFFFFFFu);
    EXPECT_EQ(IconPixel(icon, 1, 2, 1), RGB(0, 255, 0));
    EXPECT_EQ(IconPixel(icon, 1, 3, 1), RGB(0, 255, 255));
    // Three times the size: every source pixel is a 3x3 block of exactly its colour.
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 12; ++x) {
            EXPECT_EQ(IconPixel(icon, 3, x, y), IconPixel(icon, 1, x / 3, y / 3)) << x << "," << y;
        }
    }

    SetLastError(0);
    EXPECT_EQ(LoadIconA(&kModule, MAKEINTRESOURCEA(999)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(LoadIconA(&kModule, MAKEINTRESOURCEA(IDI_BROKEN)), nullptr);
    FaultInject("LoadIconA", 1, ERROR_OUTOFMEMORY);
    EXPECT_EQ(LoadIconA(&kModule, MAKEINTRESOURCEA(IDI_APP)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_OUTOFMEMORY));
}

TEST_F(WindowsResources, IconStaticShowsTheModuleIconAtItsSize)
{
    HWND about = CreateDialogParamA(&kModule, MAKEINTRESOURCEA(IDD_ABOUT), nullptr, QuietProc, 0);
    ASSERT_NE(about, nullptr);
    HWND ok = GetDlgItem(about, IDOK);
    HWND icon = GetDlgItem(about, -1);
    RECT rect{};
    ASSERT_NE(icon, nullptr);
    ASSERT_NE(icon, ok);
    ASSERT_TRUE(GetWindowRect(icon, &rect));
    EXPECT_EQ(rect.right - rect.left, 4);
    EXPECT_EQ(rect.bottom - rect.top, 2);
    EXPECT_FALSE(IsWindowVisible(about)); // no WS_VISIBLE in the template
    EXPECT_TRUE(DestroyWindow(about));
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
