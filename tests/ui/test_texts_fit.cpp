// Every caption in every dialog fits its control, as the platform draws it in the
// control's own font: a label cut to "File size," or "Sample" is a fault a user sees at
// once. The values are set to the longest the program shows, and no control may reach
// into another to make room.
#include "support/main_dialog_fixture.h"

#include "platform/testing/seams_capture.h"
#include "save/save_as.h"
#include "ui/about_box.h"

namespace {

INT_PTR SavingWithoutCopy(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

bool Contains(const RECT& outer, const RECT& inner)
{
    return outer.left <= inner.left && outer.top <= inner.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool Overlap(const RECT& a, const RECT& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

void ExpectEveryTextFits(HWND dialog)
{
    ASSERT_NE(dialog, nullptr);
    const std::vector<ControlText> controls = MeasureDialogTexts(dialog);
    int captions = 0;
    for (size_t i = 0; i < controls.size(); ++i) {
        const ControlText& c = controls[i];
        if (!c.text.empty()) {
            ++captions;
            EXPECT_LE(c.needWidth, c.roomWidth) << '"' << c.text << "\" is cut";
            EXPECT_LE(c.needHeight, c.roomHeight) << '"' << c.text << "\" wraps out of sight";
        }
        for (size_t j = i + 1; j < controls.size(); ++j) {
            const RECT& a = c.place;
            const RECT& b = controls[j].place;
            // A group box frames the controls inside it.
            if (!Contains(a, b) && !Contains(b, a)) {
                EXPECT_FALSE(Overlap(a, b)) << '"' << c.text << "\" and \"" << controls[j].text
                                            << "\" (" << i << ", " << j << ") overlap";
            }
        }
    }
    EXPECT_GT(captions, 0);
}

class TextsFit : public MainDialogTest {};

TEST_F(TextsFit, MainAboutAndSavingDialogs)
{
    // The main window with its longest values: a size past 4 GiB, hours of 8-bit mono at
    // the lowest rate, the suggestion, the truncation note and the rate warning.
    SetWindowTextA(Item(IDC_FILE_SIZE), "17 179 869 228");
    SetWindowTextA(Item(IDC_DURATION), "149:07:50");
    ShowWindow(Item(IDC_OVERSIZE), SW_SHOW);
    ShowWindow(Item(IDC_INVALID_RATE), SW_SHOW);
    // The suggestion's longest lines: with a rate, and with identical pairs.
    for (const char* line :
         {"Suggested from the data: 16 bit, stereo, 48000 samples per second",
          "Suggested from the data: 16 bit; channels identical (stereo, or mono at twice the "
          "rate)"}) {
        SetWindowTextA(Item(IDC_SUGGESTION), line);
        SCOPED_TRACE(line);
        ExpectEveryTextFits(dialog);
    }
    for (int id : {IDD_ABOUT, IDD_SAVING}) {
        SCOPED_TRACE(id);
        HWND other = CreateDialogParamA(ModuleInstance, MAKEINTRESOURCEA(id), dialog,
                                        id == IDD_ABOUT ? AboutDialogProc : SavingWithoutCopy, 0);
        ExpectEveryTextFits(other);
        DestroyWindow(other);
    }
}

} // namespace
