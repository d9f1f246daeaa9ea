// Small promises of the Linux flavour that Win32 does not make: it checks what it is handed
// where the system takes it on trust.
#include <gtest/gtest.h>

#include <vector>

#include "platform/resources/test_resources.h"
#include "platform/testing/seams.h"
#include "platform/win32.h"

namespace {

const ICON_DATA BrokenIcons[] = {{311, 2, 2, "0g.."}};
const RESOURCE_MODULE BrokenModule = {nullptr, 0, nullptr, 0, nullptr, 0, BrokenIcons, 1};

} // namespace

// Our flavour draws icons from their pixel text itself; on Windows the build writes the icon
// file and the system reads it.
TEST(LinuxFlavour, AnIconWithAPixelThatIsNoColourIsNotLoaded)
{
    EXPECT_EQ(LoadIconA(&BrokenModule, MAKEINTRESOURCEA(311)), nullptr);
}

// Win32 starts a thread at a null address, which then crashes the process.
TEST(LinuxFlavour, AThreadWithoutAStartIsRefused)
{
    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

// Our flavour builds dialogs from its own template data and refuses one whose menu is not
// there; the system makes such a dialog without a menu.
TEST(LinuxFlavour, ADialogWhoseMenuIsMissingIsNotMade)
{
    EXPECT_EQ(CreateDialogParamA(
                  &TestModule, MAKEINTRESOURCEA(IDD_BAD_MENU), nullptr,
                  [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return TRUE; }, 0),
              nullptr);
}

// Our flavour draws an icon at the size of its data, in the 16-colour palette, and scales it by
// whole pixels; the system loads an icon at its own icon size.
TEST(LinuxFlavour, IconsUseThe16ColourPaletteAndScaleSharply)
{
    HICON icon = LoadIconA(&TestModule, MAKEINTRESOURCEA(IDI_APP));
    ASSERT_NE(icon, nullptr);
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
}

TEST(LinuxFlavour, IconStaticShowsTheModuleIconAtItsSize)
{
    HWND about = CreateDialogParamA(
        &TestModule, MAKEINTRESOURCEA(IDD_ABOUT), nullptr,
        [](HWND, UINT message, WPARAM, LPARAM) -> INT_PTR { return message == WM_INITDIALOG; }, 0);
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

// Enter on a push button the program focused presses that button, default or not (the system
// makes a button the default only when the dialog manager moves the focus to it).
TEST(LinuxFlavour, EnterPressesTheFocusedPushButton)
{
    static std::vector<WPARAM> commands;
    commands.clear();
    HWND dialog = CreateDialogParamA(
        &TestModule, MAKEINTRESOURCEA(IDD_MAIN), nullptr,
        [](HWND, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
            if (message == WM_COMMAND) {
                commands.push_back(wParam);
            }
            return message == WM_INITDIALOG;
        },
        0);
    ASSERT_NE(dialog, nullptr);
    HWND play = GetDlgItem(dialog, IDC_PLAY);
    EnableWindow(play, TRUE);
    SetFocus(play);
    UserPressKey(dialog, PlatformKeyEnter);
    EXPECT_EQ(commands, (std::vector<WPARAM>{MAKEWPARAM(IDC_PLAY, BN_CLICKED)}));
    EXPECT_TRUE(DestroyWindow(dialog));
}
