#include "support/main_dialog_fixture.h"

#include "core/wave_format.h"
#include "playback/playback_state.h"
#include "ui/format_controls.h"
#include "ui/open_source_file.h"

namespace {

class FormatControlsTest : public MainDialogTest {
  protected:
    void SetUp() override
    {
        MainDialogTest::SetUp();
        // One second of data at the starting format: 176400 bytes after the header region.
        OpenSourceFile(temp.makeFile("one-second.tmp", 44 + 176400).c_str());
        ASSERT_TRUE(IsSourceFileOpen());
    }

    // Makes the file look longer without telling the window, so a recompute (and only a
    // recompute) shows up as a changed duration text.
    void ChangeLengthBehindTheWindow()
    {
        SourceFile.effectiveLength = 44 + 3600u * 176400u;
        SourceFile.wholeLength = SourceFile.effectiveLength; // the duration's length
    }
    bool Recomputed() const { return Text(IDC_DURATION) != "0:00:01"; }
};

} // namespace

TEST_F(FormatControlsTest, RadioButtonsChangeWidthAndChannels)
{
    UserClick(Item(IDC_8BIT));
    EXPECT_TRUE(Checked(IDC_8BIT));
    EXPECT_FALSE(Checked(IDC_16BIT));
    EXPECT_EQ(Text(IDC_DURATION), "0:00:02");
    UserClick(Item(IDC_MONO));
    EXPECT_TRUE(Checked(IDC_MONO));
    EXPECT_FALSE(Checked(IDC_STEREO));
    EXPECT_EQ(CurrentFormat.nBlockAlign, 1);
    EXPECT_EQ(CurrentFormat.nAvgBytesPerSec, 44100u);
    EXPECT_EQ(Text(IDC_DURATION), "0:00:04");
    UserClick(Item(IDC_16BIT));
    UserClick(Item(IDC_STEREO));
    EXPECT_EQ(CurrentFormat.nBlockAlign, 4);
    EXPECT_TRUE(Checked(IDC_16BIT));
    EXPECT_TRUE(Checked(IDC_STEREO));
    EXPECT_FALSE(Checked(IDC_MONO));
}

TEST_F(FormatControlsTest, ClickingTheCheckedButtonDoesNothing)
{
    ChangeLengthBehindTheWindow();
    UserClick(Item(IDC_16BIT));
    UserClick(Item(IDC_STEREO));
    EXPECT_FALSE(Recomputed());
    EXPECT_TRUE(Checked(IDC_16BIT));
    EXPECT_TRUE(Checked(IDC_STEREO));
}

TEST_F(FormatControlsTest, PickedRates)
{
    UserPickComboRow(Item(IDC_RATE), 4);
    EXPECT_EQ(CurrentFormat.nSamplesPerSec, 22050u);
    EXPECT_EQ(CurrentFormat.nAvgBytesPerSec, 88200u);
    EXPECT_EQ(Text(IDC_DURATION), "0:00:02");

    // The row of the rate in force changes nothing, not even the warning label.
    UserTypeComboText(Item(IDC_RATE), "79");
    ASSERT_TRUE(Visible(IDC_INVALID_RATE));
    ChangeLengthBehindTheWindow();
    UserPickComboRow(Item(IDC_RATE), 4);
    EXPECT_TRUE(Visible(IDC_INVALID_RATE));
    EXPECT_EQ(Text(IDC_DURATION), "0:00:02");

    // A different row hides the label.
    UserPickComboRow(Item(IDC_RATE), 8);
    EXPECT_FALSE(Visible(IDC_INVALID_RATE));
    EXPECT_EQ(CurrentFormat.nSamplesPerSec, 8000u);
}

TEST_F(FormatControlsTest, TypedRatesBelow8000OrWithoutDigitsAreRejected)
{
    HWND combo = Item(IDC_RATE);
    UserTypeComboText(combo, "7999");
    EXPECT_TRUE(Visible(IDC_INVALID_RATE));
    EXPECT_EQ(CurrentFormat.nSamplesPerSec, 44100u);
    EXPECT_EQ(Text(IDC_DURATION), "0:00:01");
    UserTypeComboText(combo, "8000");
    EXPECT_FALSE(Visible(IDC_INVALID_RATE));
    EXPECT_EQ(CurrentFormat.nSamplesPerSec, 8000u);
    EXPECT_EQ(CurrentFormat.nAvgBytesPerSec, 32000u);
    for (const char* bad : {"", "abc", "12a45", "-9000"}) {
        UserTypeComboText(combo, bad);
        EXPECT_TRUE(Visible(IDC_INVALID_RATE)) << bad;
        EXPECT_EQ(CurrentFormat.nSamplesPerSec, 8000u) << bad;
    }
    // Key by key into an emptied field.
    for (const char* step : {"2", "22", "220", "2205"}) {
        UserTypeComboText(combo, step);
        EXPECT_TRUE(Visible(IDC_INVALID_RATE)) << step;
    }
    UserTypeComboText(combo, "22050");
    EXPECT_FALSE(Visible(IDC_INVALID_RATE));
    EXPECT_EQ(CurrentFormat.nSamplesPerSec, 22050u);
    // A typed rate does not move the list's selection.
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0) == 4, false);
}

TEST_F(FormatControlsTest, TypingTheRateInForceStillRecomputes)
{
    ChangeLengthBehindTheWindow();
    UserTypeComboText(Item(IDC_RATE), "44100");
    EXPECT_TRUE(Recomputed());
    EXPECT_EQ(Text(IDC_DURATION), "1:00:00");
}

TEST_F(FormatControlsTest, TheFieldTakesAtMostFiveCharacters)
{
    UserTypeComboText(Item(IDC_RATE), "1234567");
    EXPECT_LE(Text(IDC_RATE).size(), 5u);
    EXPECT_LE(CurrentFormat.nSamplesPerSec, 99999u);
}

TEST_F(FormatControlsTest, NoSelectionInTheListChangesNothing)
{
    SendMessageA(Item(IDC_RATE), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    ASSERT_EQ(SendMessageA(Item(IDC_RATE), CB_GETCURSEL, 0, 0), CB_ERR);
    FormatCommand(IDC_RATE, CBN_SELCHANGE);
    EXPECT_EQ(CurrentFormat.nSamplesPerSec, 44100u);
}

TEST_F(FormatControlsTest, OtherComboNotificationsChangeNothing)
{
    ChangeLengthBehindTheWindow();
    for (WORD code : {CBN_DBLCLK, CBN_SETFOCUS, CBN_KILLFOCUS, CBN_EDITUPDATE, CBN_DROPDOWN}) {
        FormatCommand(IDC_RATE, code);
    }
    EXPECT_FALSE(Recomputed());
}

TEST_F(FormatControlsTest, WithoutADeviceTheEngineStateIsUntouched)
{
    PlaybackState.playedPos = 10;
    PlaybackState.readPos = 77;
    UserClick(Item(IDC_MONO));
    EXPECT_EQ(PlaybackState.readPos, 77u);
    EXPECT_EQ(PlaybackState.formatChangePending, 0u);
}
