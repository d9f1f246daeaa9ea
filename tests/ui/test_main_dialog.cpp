#include "support/main_dialog_fixture.h"

#include "core/wave_format.h"
#include "playback/playback_state.h"
#include "ui/open_source_file.h"

namespace {

constexpr int FileControls[] = {IDC_SLIDER, IDC_RATE,   IDC_8BIT, IDC_16BIT,
                                IDC_MONO,   IDC_STEREO, IDC_PLAY};

bool MenuItemGrey(HWND dialog, UINT id)
{
    return (GetMenuState(GetMenu(dialog), id, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

} // namespace

TEST_F(MainDialogTest, StartsEmptyWithTheStartingFormat)
{
    EXPECT_EQ(Text(dialog), "Salvorin");
    EXPECT_STREQ(Caption, "Salvorin");
    for (int id : FileControls) {
        EXPECT_FALSE(Enabled(id)) << id;
    }
    EXPECT_FALSE(Enabled(IDC_STOP));
    EXPECT_FALSE(Visible(IDC_OVERSIZE));
    EXPECT_FALSE(Visible(IDC_INVALID_RATE));
    EXPECT_EQ(Text(IDC_DURATION), "0:00:00");
    EXPECT_EQ(Text(IDC_OVERSIZE), "(will be truncated to  4 294 967 292 bytes)");

    HWND combo = Item(IDC_RATE);
    ASSERT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), SampleRateCount);
    const char* rates[] = {"48000", "44100", "32000", "24000", "22050",
                           "16000", "12000", "11025", "8000"};
    for (int row = 0; row < SampleRateCount; ++row) {
        char text[16] = "";
        SendMessageA(combo, CB_GETLBTEXT, row, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ(text, rates[row]);
    }
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(Text(combo), "44100");

    EXPECT_FALSE(Checked(IDC_8BIT));
    EXPECT_TRUE(Checked(IDC_16BIT));
    EXPECT_FALSE(Checked(IDC_MONO));
    EXPECT_TRUE(Checked(IDC_STEREO));
    EXPECT_EQ(CurrentFormat.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(CurrentFormat.nBlockAlign, 4);
    EXPECT_EQ(CurrentFormat.nAvgBytesPerSec, 176400u);
    EXPECT_EQ(CurrentFormat.cbSize, 0);

    EXPECT_EQ(SendMessageA(Item(IDC_SLIDER), TBM_GETRANGEMIN, 0, 0), 0);
    EXPECT_EQ(SendMessageA(Item(IDC_SLIDER), TBM_GETRANGEMAX, 0, 0), 100);
    EXPECT_NE(WindowIcon(dialog, ICON_BIG), nullptr);
    EXPECT_NE(WindowIcon(dialog, ICON_SMALL), nullptr);
    EXPECT_EQ(MainDialogWindow, dialog);
    EXPECT_EQ(CurrentOwnerWindow, dialog);
    EXPECT_TRUE(MessageBoxLog().empty());
}

TEST_F(MainDialogTest, ControlsStandWhereTheTemplatePutsThem)
{
    // Positions are converted from dialog units with the dialog font's metrics.
    RECT play;
    RECT stop;
    RECT slider;
    ASSERT_TRUE(GetWindowRect(Item(IDC_PLAY), &play));
    ASSERT_TRUE(GetWindowRect(Item(IDC_STOP), &stop));
    ASSERT_TRUE(GetWindowRect(Item(IDC_SLIDER), &slider));
    // Positions and sizes are each converted on their own, as the dialog manager does.
    RECT size = {0, 0, 56, 14};
    ASSERT_TRUE(MapDialogRect(dialog, &size));
    EXPECT_EQ(play.right - play.left, size.right);
    EXPECT_EQ(play.bottom - play.top, size.bottom);
    RECT xs = {33, 173, 97, 200};
    MapDialogRect(dialog, &xs);
    EXPECT_EQ(stop.left - play.left, xs.right - xs.left);
    EXPECT_EQ(play.top - slider.top, xs.bottom - xs.top);
    RECT track = {0, 0, 165, 15};
    MapDialogRect(dialog, &track);
    EXPECT_EQ(slider.right - slider.left, track.right);
    // The waveform strip keeps its template size (its picture is fitted to it), between
    // the duration line and the slider.
    RECT strip;
    RECT duration;
    ASSERT_TRUE(GetWindowRect(Item(IDC_WAVEFORM), &strip));
    ASSERT_TRUE(GetWindowRect(Item(IDC_DURATION), &duration));
    RECT stripSize = {0, 0, 159, 30};
    MapDialogRect(dialog, &stripSize);
    EXPECT_EQ(strip.right - strip.left, stripSize.right);
    EXPECT_EQ(strip.bottom - strip.top, stripSize.bottom);
    EXPECT_GE(strip.top, duration.bottom);
    EXPECT_LE(strip.bottom, slider.top);
    EXPECT_GT(strip.left, slider.left);
    EXPECT_LT(strip.right, slider.right);
    RECT client;
    ASSERT_TRUE(GetClientRect(dialog, &client));
    RECT whole = {0, 0, 186, 220};
    MapDialogRect(dialog, &whole);
    EXPECT_GE(client.right, whole.right);
    EXPECT_GE(client.bottom, whole.bottom);
}

TEST_F(MainDialogTest, MenuGreysItemsByState)
{
    UserOpenMenu(dialog, 0);
    EXPECT_TRUE(MenuItemGrey(dialog, IDM_SAVE_IN_PLACE));
    EXPECT_TRUE(MenuItemGrey(dialog, IDM_SAVE_AS));
    EXPECT_TRUE(MenuItemGrey(dialog, IDM_PLAY));
    EXPECT_TRUE(MenuItemGrey(dialog, IDM_STOP));
    EXPECT_FALSE(MenuItemGrey(dialog, IDM_OPEN));
    EXPECT_FALSE(MenuItemGrey(dialog, IDM_EXIT));
    EXPECT_FALSE(MenuItemGrey(dialog, IDM_ABOUT));
    EXPECT_EQ(MenuItemText(GetMenu(dialog), IDM_SAVE_IN_PLACE), "Sa&ve in place and rename");

    OpenSourceFile(temp.makeFile("a.tmp", 1000).c_str());
    UserOpenMenu(dialog, 1);
    EXPECT_FALSE(MenuItemGrey(dialog, IDM_SAVE_IN_PLACE));
    EXPECT_FALSE(MenuItemGrey(dialog, IDM_SAVE_AS));
    EXPECT_FALSE(MenuItemGrey(dialog, IDM_PLAY));
    EXPECT_TRUE(MenuItemGrey(dialog, IDM_STOP));

    // While the device is open: play grey, stop and both saves enabled.
    PlaybackState.device = reinterpret_cast<HWAVEOUT>(0x1);
    UserOpenMenu(dialog, 0);
    EXPECT_TRUE(MenuItemGrey(dialog, IDM_PLAY));
    EXPECT_FALSE(MenuItemGrey(dialog, IDM_STOP));
    EXPECT_FALSE(MenuItemGrey(dialog, IDM_SAVE_AS));
    EXPECT_FALSE(MenuItemGrey(dialog, IDM_SAVE_IN_PLACE));
    PlaybackState.device = nullptr;
}

TEST_F(MainDialogTest, OnlyTheInvalidRateLabelIsRed)
{
    COLORREF colour = 0;
    HBRUSH brush = nullptr;
    ASSERT_TRUE(QueryStaticTextColor(Item(IDC_INVALID_RATE), &colour, &brush));
    EXPECT_EQ(colour, RGB(200, 0, 0));
    EXPECT_EQ(brush, GetSysColorBrush(COLOR_BTNFACE));
    EXPECT_FALSE(QueryStaticTextColor(Item(IDC_FILE_SIZE), &colour, &brush));
    EXPECT_FALSE(QueryStaticTextColor(Item(IDC_OVERSIZE), &colour, &brush));
}

TEST_F(MainDialogTest, DispatchHandlesOnlyItsCommandsAndSliderCodes)
{
    EXPECT_EQ(MainDialogProc(dialog, WM_COMMAND, IDCANCEL, 0), FALSE);
    EXPECT_EQ(MainDialogProc(dialog, WM_COMMAND, 4242, 0), FALSE);
    const LPARAM slider = reinterpret_cast<LPARAM>(Item(IDC_SLIDER));
    EXPECT_EQ(MainDialogProc(dialog, WM_HSCROLL, TB_BOTTOM, slider), TRUE);
    EXPECT_EQ(MainDialogProc(dialog, WM_HSCROLL, TB_ENDTRACK, slider), FALSE);
    EXPECT_EQ(
        MainDialogProc(dialog, WM_HSCROLL, TB_LINEUP, reinterpret_cast<LPARAM>(Item(IDC_RATE))),
        FALSE);
    EXPECT_EQ(MainDialogProc(dialog, WM_USER + 77, 0, 0), FALSE);
    EXPECT_TRUE(MessageBoxLog().empty());
}
