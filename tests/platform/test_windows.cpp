// Dialogs and controls built from templates, driven as a user would: against the Linux
// flavour and, on Windows, the system's own dialog manager and common controls.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/resources/test_resources.h"
#include "platform/testing/seams.h"
#include "platform/win32.h"
#include "support/under_wine.h"

namespace {

struct Message {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

std::vector<Message> g_messages;
std::function<INT_PTR(HWND, UINT, WPARAM, LPARAM)> g_handler;

INT_PTR RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    g_messages.push_back({window, message, wParam, lParam});
    if (g_handler) {
        return g_handler(window, message, wParam, lParam);
    }
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

// The notifications the program listens to: a button's click, the rate combo box's change of
// row and of typed text, and commands from the menu or keys. The system sends more (a combo box
// gaining and losing the focus, its text about to change), which these tests do not count.
bool NotListenedTo(const Message& m)
{
    if (m.message != WM_COMMAND || m.lParam == 0) {
        return false;
    }
    const WORD code = HIWORD(m.wParam);
    if (LOWORD(m.wParam) == IDC_RATE) {
        return code != CBN_SELCHANGE && code != CBN_EDITCHANGE;
    }
    return code != BN_CLICKED;
}

std::vector<Message> Received(UINT message)
{
    std::vector<Message> found;
    for (const Message& m : g_messages) {
        if (m.message == message && !NotListenedTo(m)) {
            found.push_back(m);
        }
    }
    return found;
}

// Whether `window` (a focus) is `control`: on Windows a drop-down combo box keeps its focus in
// its edit field, a child of it.
bool IsOrIsIn(HWND window, HWND control)
{
#ifdef _WIN32
    return window == control || (window != nullptr && GetParent(window) == control);
#else
    return window == control;
#endif
}

class Windows : public ::testing::Test {
  protected:
    void SetUp() override
    {
        g_messages.clear();
        g_handler = nullptr;
    }
    void TearDown() override
    {
        for (HWND dialog : opened_) {
            if (IsWindow(dialog)) {
                DestroyWindow(dialog);
            }
        }
        PumpMessages();
        g_handler = nullptr;
    }

    HWND Open(int id, HWND parent = nullptr)
    {
        HWND dialog =
            CreateDialogParamA(&TestModule, MAKEINTRESOURCEA(id), parent, RecordingProc, 0);
        EXPECT_NE(dialog, nullptr);
        opened_.push_back(dialog);
        return dialog;
    }

    std::vector<HWND> opened_;
};

RECT WindowRect(HWND window)
{
    RECT rect{};
    EXPECT_TRUE(GetWindowRect(window, &rect));
    return rect;
}

RECT Mapped(HWND dialog, LONG left, LONG top, LONG right, LONG bottom)
{
    RECT rect{left, top, right, bottom};
    EXPECT_TRUE(MapDialogRect(dialog, &rect));
    return rect;
}

TEST_F(Windows, LayoutComesFromDialogUnitsAndTheFontMetrics)
{
    HWND dialog = Open(IDD_MAIN);
    const RECT units = Mapped(dialog, 0, 0, 4, 8);
    // Base units of a real text font: an average letter is narrower than a line is high.
    EXPECT_GT(units.right, 2);
    EXPECT_GT(units.bottom, units.right);

    RECT client{};
    ASSERT_TRUE(GetClientRect(dialog, &client));
    const RECT size = Mapped(dialog, 0, 0, 200, 120);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);

    // The label sits at the client origin; the others are placed relative to it.
    const RECT origin = WindowRect(GetDlgItem(dialog, IDC_LABEL));
    const RECT radio = WindowRect(GetDlgItem(dialog, IDC_BITS16));
    const RECT place = Mapped(dialog, 10, 34, 0, 0);
    const RECT extent = Mapped(dialog, 0, 0, 40, 10); // each value is mapped on its own
    EXPECT_EQ(radio.left - origin.left, place.left);
    EXPECT_EQ(radio.top - origin.top, place.top);
    EXPECT_EQ(radio.right - radio.left, extent.right);
    EXPECT_EQ(radio.bottom - radio.top, extent.bottom);

    // A drop-down's template height is its open list; closed it is one line.
    const RECT combo = WindowRect(GetDlgItem(dialog, IDC_RATE));
    const RECT list = Mapped(dialog, 0, 0, 60, 80);
    EXPECT_EQ(combo.right - combo.left, list.right);
    EXPECT_GT(combo.bottom - combo.top, 0);
    EXPECT_LT(combo.bottom - combo.top, list.bottom / 2);

    // The menu bar is above the client area, outside it.
    const RECT frame = WindowRect(dialog);
    EXPECT_GT(origin.top, frame.top);
    EXPECT_GE(frame.bottom - frame.top, client.bottom + (origin.top - frame.top));
}

TEST_F(Windows, TemplateStylesGiveInitialStates)
{
    HWND dialog = Open(IDD_MAIN);
    HWND play = GetDlgItem(dialog, IDC_PLAY);
    HWND hidden = GetDlgItem(dialog, IDC_HIDDEN);
    EXPECT_FALSE(IsWindowEnabled(play));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
    EXPECT_FALSE(IsWindowVisible(hidden));
    EXPECT_TRUE(IsWindowVisible(play));

    UserClick(play);
    EXPECT_TRUE(Received(WM_COMMAND).empty());

    EXPECT_TRUE(EnableWindow(play, TRUE));  // was disabled
    EXPECT_FALSE(EnableWindow(play, TRUE)); // was not
    EXPECT_TRUE(IsWindowEnabled(play));
    UserClick(play);
    ASSERT_EQ(Received(WM_COMMAND).size(), 1u);
    EXPECT_EQ(Received(WM_COMMAND)[0].wParam, MAKEWPARAM(IDC_PLAY, BN_CLICKED));
    EXPECT_EQ(Received(WM_COMMAND)[0].lParam, reinterpret_cast<LPARAM>(play));

    EXPECT_FALSE(ShowWindow(hidden, SW_SHOW));
    EXPECT_TRUE(IsWindowVisible(hidden));
    EXPECT_TRUE(ShowWindow(hidden, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(hidden));
}

TEST_F(Windows, RadioButtonsOnlyChangeWhenTheProgramSaysSo)
{
    HWND dialog = Open(IDD_MAIN);
    HWND bits8 = GetDlgItem(dialog, IDC_BITS8);
    HWND bits16 = GetDlgItem(dialog, IDC_BITS16);

    UserClick(bits8);
    ASSERT_EQ(Received(WM_COMMAND).size(), 1u);
    EXPECT_EQ(Received(WM_COMMAND)[0].wParam, MAKEWPARAM(IDC_BITS8, BN_CLICKED));
    EXPECT_EQ(SendMessageA(bits8, BM_GETCHECK, 0, 0), BST_UNCHECKED);

    SendMessageA(bits8, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(bits16, BM_SETCHECK, BST_CHECKED, 0);
    // Not auto radio buttons: checking one leaves the other alone, and a click changes neither.
    EXPECT_EQ(SendMessageA(bits8, BM_GETCHECK, 0, 0), BST_CHECKED);
    UserClick(bits16);
    EXPECT_EQ(SendMessageA(bits16, BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageA(bits8, BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_EQ(SendMessageA(bits8, BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(Windows, ComboTellsAPickedRowFromTypedText)
{
    HWND dialog = Open(IDD_MAIN);
    HWND combo = GetDlgItem(dialog, IDC_RATE);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    for (const char* rate : {"11025", "22050", "44100"}) {
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(rate));
    }
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 1, 0), 1);
    EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 7, 0), CB_ERR);
    EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 1, 0), 1);
    EXPECT_TRUE(Received(WM_COMMAND).empty()); // the program's own changes notify nothing

    std::string textAtSelChange;
    g_handler = [&](HWND, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
        if (message == WM_COMMAND && HIWORD(wParam) == CBN_SELCHANGE) {
            char text[16];
            GetWindowTextA(combo, text, sizeof text);
            textAtSelChange = text;
        }
        return FALSE;
    };
    UserPickComboRow(combo, 2);
    ASSERT_EQ(Received(WM_COMMAND).size(), 1u);
    EXPECT_EQ(Received(WM_COMMAND)[0].wParam, MAKEWPARAM(IDC_RATE, CBN_SELCHANGE));
    EXPECT_EQ(Received(WM_COMMAND)[0].lParam, reinterpret_cast<LPARAM>(combo));
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(textAtSelChange, "44100");
    g_handler = nullptr;
    char row[16] = "";
    EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(row)), 5);
    EXPECT_STREQ(row, "44100");
    EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXT, 3, reinterpret_cast<LPARAM>(row)), CB_ERR);

    g_messages.clear();
    UserTypeComboText(combo, "4");
    ASSERT_EQ(Received(WM_COMMAND).size(), 1u);
    EXPECT_EQ(Received(WM_COMMAND)[0].wParam, MAKEWPARAM(IDC_RATE, CBN_EDITCHANGE));
    char text[16] = "";
    GetWindowTextA(combo, text, sizeof text);
    EXPECT_STREQ(text, "4"); // nothing completed behind the user's back
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);

    SendMessageA(combo, CB_LIMITTEXT, 5, 0);
    UserTypeComboText(combo, "1234567");
    GetWindowTextA(combo, text, sizeof text);
    EXPECT_STREQ(text, "12345");
}

TEST_F(Windows, GetDlgItemIntFollowsWin32Rules)
{
    HWND dialog = Open(IDD_MAIN);
    struct Case {
        const char* text;
        BOOL isSigned;
        BOOL translated;
        UINT value;
    };
    const Case cases[] = {
        {"  42  ", FALSE, TRUE, 42},
        {"0", TRUE, TRUE, 0},
        {"-7", TRUE, TRUE, static_cast<UINT>(-7)},
        {"4294967295", FALSE, TRUE, 4294967295u},
        {"4294967296", FALSE, FALSE, 0},
        {"2147483648", TRUE, FALSE, 0},
        {"-2147483649", TRUE, FALSE, 0},
        {"", FALSE, FALSE, 0},
        {"-", TRUE, FALSE, 0},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(SetWindowTextA(GetDlgItem(dialog, IDC_STATUS), c.text));
        BOOL translated = 2;
        EXPECT_EQ(GetDlgItemInt(dialog, IDC_STATUS, &translated, c.isSigned), c.value) << c.text;
        EXPECT_EQ(translated, c.translated) << c.text;
    }
    BOOL translated = TRUE;
    EXPECT_EQ(GetDlgItemInt(dialog, 4242, &translated, FALSE), 0u);
    EXPECT_FALSE(translated);
}

// As documented: a character that is not a digit is an error, a minus only where the value is
// signed, and the ends of the signed range are values like any other.
TEST_F(Windows, GetDlgItemIntRefusesWhatIsNotADecimalNumber)
{
    SKIP_UNDER_WINE("its GetDlgItemInt reads a number as far as it goes (\"12a\" is 12, \"+5\" is "
                    "5, \"-7\" unsigned is 4294967289) and refuses INT_MAX and INT_MIN themselves");
    HWND dialog = Open(IDD_MAIN);
    const struct {
        const char* text;
        BOOL isSigned;
        BOOL translated;
        UINT value;
    } cases[] = {
        {"-7", FALSE, FALSE, 0},
        {"2147483647", TRUE, TRUE, 2147483647u},
        {"-2147483648", TRUE, TRUE, 0x80000000u},
        {"12a", FALSE, FALSE, 0},
        {"1 2", FALSE, FALSE, 0},
        {"+5", TRUE, FALSE, 0},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(SetWindowTextA(GetDlgItem(dialog, IDC_STATUS), c.text));
        BOOL translated = 2;
        EXPECT_EQ(GetDlgItemInt(dialog, IDC_STATUS, &translated, c.isSigned), c.value) << c.text;
        EXPECT_EQ(translated, c.translated) << c.text;
    }
}

TEST_F(Windows, TrackbarSendsWin32ScrollCodesAfterMoving)
{
    HWND dialog = Open(IDD_MAIN);
    HWND slider = GetDlgItem(dialog, IDC_POSITION);
    SendMessageA(slider, TBM_SETRANGEMIN, FALSE, 0);
    SendMessageA(slider, TBM_SETRANGEMAX, FALSE, 100);
    SendMessageA(slider, TBM_SETPOS, TRUE, 50);
    SendMessageA(slider, TBM_SETPOS, TRUE, 500);
    EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), 100); // clamped
    SendMessageA(slider, TBM_SETPOS, TRUE, 50);
    EXPECT_TRUE(Received(WM_HSCROLL).empty());

    struct Scroll {
        int code;
        int hiword;
        int position; // TBM_GETPOS inside the handler
    };
    std::vector<Scroll> scrolls;
    g_handler = [&](HWND, UINT message, WPARAM wParam, LPARAM lParam) -> INT_PTR {
        if (message == WM_HSCROLL) {
            EXPECT_EQ(lParam, reinterpret_cast<LPARAM>(slider));
            scrolls.push_back({LOWORD(wParam), HIWORD(wParam),
                               static_cast<int>(SendMessageA(slider, TBM_GETPOS, 0, 0))});
        }
        return FALSE;
    };
    auto expect = [&](std::vector<Scroll> wanted) {
        ASSERT_EQ(scrolls.size(), wanted.size());
        for (size_t i = 0; i < wanted.size(); ++i) {
            EXPECT_EQ(scrolls[i].code, wanted[i].code) << i;
            EXPECT_EQ(scrolls[i].hiword, wanted[i].hiword) << i;
            EXPECT_EQ(scrolls[i].position, wanted[i].position) << i;
        }
        scrolls.clear();
    };

    UserSlider(slider, TB_LINEUP, 0);
    expect({{TB_LINEUP, 0, 49}, {TB_ENDTRACK, 0, 49}});
    UserSlider(slider, TB_PAGEDOWN, 0); // a page is a fifth of the range
    expect({{TB_PAGEDOWN, 0, 69}, {TB_ENDTRACK, 0, 69}});
    UserSlider(slider, TB_PAGEUP, 0);
    expect({{TB_PAGEUP, 0, 49}, {TB_ENDTRACK, 0, 49}});
    UserSlider(slider, TB_BOTTOM, 0);
    expect({{TB_BOTTOM, 0, 100}, {TB_ENDTRACK, 0, 100}});
    // At the end the thumb stays, and the key ends with TB_ENDTRACK. (Whether the key is told
    // first as TB_LINEDOWN differs: our flavour tells it, Wine's trackbar does not.)
    UserSlider(slider, TB_LINEDOWN, 0);
    ASSERT_FALSE(scrolls.empty());
    EXPECT_EQ(scrolls.back().code, TB_ENDTRACK);
    for (const Scroll& scroll : scrolls) {
        EXPECT_EQ(scroll.position, 100);
    }
    scrolls.clear();
    UserSlider(slider, TB_TOP, 0);
    expect({{TB_TOP, 0, 0}, {TB_ENDTRACK, 0, 0}});
    UserSlider(slider, TB_THUMBTRACK, 30);
    expect({{TB_THUMBTRACK, 30, 30}});
    // While the thumb is held the program may move it: that is not the user's drag.
    SendMessageA(slider, TBM_SETPOS, TRUE, 35);
    expect({});
    UserSlider(slider, TB_THUMBPOSITION, 40);
    expect({{TB_THUMBTRACK, 40, 40}, {TB_THUMBPOSITION, 40, 40}, {TB_ENDTRACK, 0, 40}});
}

TEST_F(Windows, StaticColoursComeFromTheDialogProcedure)
{
    HWND dialog = Open(IDD_MAIN);
    HWND status = GetDlgItem(dialog, IDC_STATUS);
    g_handler = [&](HWND, UINT message, WPARAM wParam, LPARAM lParam) -> INT_PTR {
        if (message == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(lParam) == status) {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, RGB(200, 0, 0));
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
        }
        return FALSE;
    };
    COLORREF color = 0;
    HBRUSH brush = nullptr;
    ASSERT_TRUE(QueryStaticTextColor(status, &color, &brush));
    EXPECT_EQ(color, RGB(200, 0, 0));
    EXPECT_EQ(brush, GetSysColorBrush(COLOR_BTNFACE));
    EXPECT_NE(brush, nullptr);
    EXPECT_FALSE(QueryStaticTextColor(GetDlgItem(dialog, IDC_LABEL), &color, &brush));

    // Painting asks the same question.
    g_messages.clear();
    ShowWindow(dialog, SW_SHOW);
    PumpMessages();
    bool askedForStatus = false;
    for (const Message& m : Received(WM_CTLCOLORSTATIC)) {
        askedForStatus = askedForStatus || reinterpret_cast<HWND>(m.lParam) == status;
    }
    EXPECT_TRUE(askedForStatus);
    // A DC outside of the query is not a DC.
    EXPECT_EQ(SetTextColor(reinterpret_cast<HDC>(&color), 0), 0xFFFFFFFFu);
}

TEST_F(Windows, MenuBarInitialisesAndSendsCommands)
{
    HWND dialog = Open(IDD_MAIN);
    HMENU menu = GetMenu(dialog);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(MenuItemText(menu, IDM_OPEN), "&Open...");
    EXPECT_EQ(MenuItemText(menu, 4242), "");

    UserOpenMenu(dialog, 0);
    ASSERT_EQ(Received(WM_INITMENU).size(), 1u);
    EXPECT_EQ(Received(WM_INITMENU)[0].wParam, reinterpret_cast<WPARAM>(menu));

    EXPECT_EQ(EnableMenuItem(menu, IDM_OPEN, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
    EXPECT_EQ(EnableMenuItem(menu, IDM_OPEN, MF_BYCOMMAND | MF_GRAYED), MF_GRAYED);
    EXPECT_EQ(GetMenuState(menu, IDM_OPEN, MF_BYCOMMAND) & MF_GRAYED, static_cast<UINT>(MF_GRAYED));
    EXPECT_EQ(EnableMenuItem(menu, 4242, MF_BYCOMMAND | MF_GRAYED), -1);
    EXPECT_EQ(GetMenuState(menu, 4242, MF_BYCOMMAND), 0xFFFFFFFFu);

    g_messages.clear();
    UserChooseMenuItem(dialog, IDM_OPEN); // greyed: the menu opens, nothing is chosen
    EXPECT_EQ(Received(WM_INITMENU).size(), 1u);
    EXPECT_TRUE(Received(WM_COMMAND).empty());

    // The program may grey an item while the menu is being opened.
    EXPECT_EQ(EnableMenuItem(menu, IDM_OPEN, MF_BYCOMMAND | MF_ENABLED), MF_GRAYED);
    g_handler = [&](HWND, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
        if (message == WM_INITMENU) {
            EnableMenuItem(reinterpret_cast<HMENU>(wParam), IDM_EXIT, MF_BYCOMMAND | MF_GRAYED);
        }
        return FALSE;
    };
    UserChooseMenuItem(dialog, IDM_EXIT);
    EXPECT_TRUE(Received(WM_COMMAND).empty());

    UserChooseMenuItem(dialog, IDM_ABOUT);
    ASSERT_EQ(Received(WM_COMMAND).size(), 1u);
    EXPECT_EQ(Received(WM_COMMAND)[0].wParam, MAKEWPARAM(IDM_ABOUT, 0));
    EXPECT_EQ(Received(WM_COMMAND)[0].lParam, 0);

    FaultInject("EnableMenuItem", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(EnableMenuItem(menu, IDM_OPEN, MF_BYCOMMAND | MF_ENABLED), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
}

TEST_F(Windows, EscapeEnterAndTheCloseBoxReachTheProcedureOnly)
{
    HWND dialog = Open(IDD_MAIN);
    HWND ok = GetDlgItem(dialog, IDOK);
    SetFocus(GetDlgItem(dialog, IDC_RATE));

    UserPressKey(dialog, PlatformKeyEscape);
    UserPressKey(dialog, PlatformKeyEnter); // focus in the combo: the default button
    ASSERT_EQ(Received(WM_COMMAND).size(), 2u);
    EXPECT_EQ(Received(WM_COMMAND)[0].wParam, MAKEWPARAM(IDCANCEL, BN_CLICKED));
    EXPECT_EQ(Received(WM_COMMAND)[1].wParam, MAKEWPARAM(IDOK, BN_CLICKED));
    EXPECT_EQ(Received(WM_COMMAND)[1].lParam, reinterpret_cast<LPARAM>(ok));

    g_messages.clear();
    EnableWindow(ok, FALSE);
    UserPressKey(dialog, PlatformKeyEnter);
    EXPECT_TRUE(Received(WM_COMMAND).empty());

    UserCloseWindow(dialog);
    PumpMessages(); // the system's default WM_CLOSE posts the IDCANCEL command
    ASSERT_EQ(Received(WM_CLOSE).size(), 1u);
    ASSERT_EQ(Received(WM_COMMAND).size(), 1u);
    EXPECT_EQ(Received(WM_COMMAND)[0].wParam, MAKEWPARAM(IDCANCEL, BN_CLICKED));
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_TRUE(IsWindowVisible(dialog));

    // A procedure that handles WM_CLOSE itself gets no IDCANCEL.
    g_messages.clear();
    g_handler = [](HWND, UINT message, WPARAM, LPARAM) -> INT_PTR { return message == WM_CLOSE; };
    UserCloseWindow(dialog);
    PumpMessages();
    EXPECT_EQ(Received(WM_CLOSE).size(), 1u);
    EXPECT_TRUE(Received(WM_COMMAND).empty());

    // Without a default button, Enter means IDOK; Escape carries the Cancel button.
    HWND plain = Open(IDD_PLAIN);
    EXPECT_EQ(GetFocus(), GetDlgItem(plain, IDC_POSITION));
    g_messages.clear();
    UserPressKey(plain, PlatformKeyEnter);
    UserPressKey(plain, PlatformKeyEscape);
    ASSERT_EQ(Received(WM_COMMAND).size(), 2u);
    EXPECT_EQ(Received(WM_COMMAND)[0].wParam, MAKEWPARAM(IDOK, BN_CLICKED));
    EXPECT_EQ(Received(WM_COMMAND)[1].lParam,
              reinterpret_cast<LPARAM>(GetDlgItem(plain, IDCANCEL)));
}

TEST_F(Windows, ModalDialogRunsUntilEndDialogAndIsThenGone)
{
    HWND owner = Open(IDD_PLAIN);
    HWND seen = nullptr;
    HWND seenCombo = nullptr;
    g_handler = [&](HWND window, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
        if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL && window != owner) {
            EndDialog(window, 7);
            return TRUE;
        }
        return message == WM_INITDIALOG;
    };
    OnNextModalLoop([&](HWND dialog) {
        seen = dialog;
        seenCombo = GetDlgItem(dialog, IDC_RATE);
        EXPECT_EQ(ActiveModalDialog(), dialog);
        EXPECT_FALSE(IsWindowEnabled(owner));
        EXPECT_TRUE(IsOrIsIn(GetFocus(), seenCombo)); // the first enabled tab stop
        UserClick(GetDlgItem(owner, IDCANCEL));       // behind the modal dialog: unreachable
        UserPressKey(dialog, PlatformKeyEscape);
    });
    EXPECT_EQ(DialogBoxParamA(&TestModule, MAKEINTRESOURCEA(IDD_MAIN), owner, RecordingProc, 0), 7);
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(ActiveModalDialog(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(owner));
    for (const Message& m : Received(WM_COMMAND)) {
        EXPECT_NE(m.window, owner);
    }
    EXPECT_FALSE(Received(WM_DESTROY).empty());

    EXPECT_FALSE(IsWindow(seen));
    EXPECT_FALSE(IsWindow(seenCombo));
    SetLastError(0);
    EXPECT_EQ(SendMessageA(seenCombo, CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(GetDlgItem(seen, IDOK), nullptr);
}

TEST_F(Windows, EndDialogDuringInitDialogSkipsTheLoop)
{
    LPARAM received = 0;
    g_handler = [&](HWND window, UINT message, WPARAM, LPARAM lParam) -> INT_PTR {
        if (message == WM_INITDIALOG) {
            received = lParam;
            EXPECT_TRUE(EndDialog(window, 42));
        }
        return TRUE;
    };
    EXPECT_EQ(DialogBoxParamA(&TestModule, MAKEINTRESOURCEA(IDD_PLAIN), nullptr, RecordingProc, 99),
              42);
    EXPECT_EQ(received, 99);
}

TEST_F(Windows, DialogCreationFailuresReportWin32Errors)
{
    SetLastError(0);
    EXPECT_EQ(DialogBoxParamA(&TestModule, MAKEINTRESOURCEA(555), nullptr, RecordingProc, 0), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    // An owner that is no window: 0, not -1 (as older Windows did).
    EXPECT_EQ(DialogBoxParamA(&TestModule, MAKEINTRESOURCEA(IDD_PLAIN),
                              reinterpret_cast<HWND>(0x4321), RecordingProc, 0),
              0);

    FaultInject("DialogBoxParamA", 2, ERROR_NOT_ENOUGH_MEMORY);
    g_handler = [](HWND window, UINT message, WPARAM, LPARAM) -> INT_PTR {
        if (message == WM_INITDIALOG) {
            EndDialog(window, 1);
        }
        return TRUE;
    };
    EXPECT_EQ(DialogBoxParamA(&TestModule, MAKEINTRESOURCEA(IDD_PLAIN), nullptr, RecordingProc, 0),
              1);
    g_messages.clear();
    EXPECT_EQ(DialogBoxParamA(&TestModule, MAKEINTRESOURCEA(IDD_PLAIN), nullptr, RecordingProc, 0),
              -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_TRUE(g_messages.empty());
    EXPECT_EQ(FaultCallCount("DialogBoxParamA"), 4);

    FaultInject("CreateDialogParamA", 1, ERROR_OUTOFMEMORY);
    EXPECT_EQ(
        CreateDialogParamA(&TestModule, MAKEINTRESOURCEA(IDD_PLAIN), nullptr, RecordingProc, 0),
        nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_OUTOFMEMORY));
}

TEST_F(Windows, ADialogWithAnOwnerThatIsNoWindowSaysSo)
{
    SKIP_UNDER_WINE("its DialogBoxParamA returns 0 for such an owner without a last error");
    SetLastError(0);
    EXPECT_EQ(DialogBoxParamA(&TestModule, MAKEINTRESOURCEA(IDD_PLAIN),
                              reinterpret_cast<HWND>(0x4321), RecordingProc, 0),
              0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(Windows, StaleAndBogusHandlesFailSafely)
{
    HWND bogus = reinterpret_cast<HWND>(0x1234);
    EXPECT_FALSE(IsWindow(bogus));
    EXPECT_FALSE(IsWindow(nullptr));
    SetLastError(0);
    EXPECT_EQ(SendMessageA(bogus, WM_GETTEXTLENGTH, 0, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_FALSE(EnableWindow(bogus, FALSE));
    EXPECT_FALSE(SetWindowTextA(bogus, "x"));
    EXPECT_FALSE(EndDialog(bogus, 0));
    EXPECT_FALSE(PostMessageA(bogus, WM_APP, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));

    HWND dialog = Open(IDD_PLAIN);
    HWND cancel = GetDlgItem(dialog, IDCANCEL);
    ASSERT_TRUE(DestroyWindow(dialog));
    EXPECT_FALSE(DestroyWindow(dialog));
    EXPECT_FALSE(IsWindow(cancel));
    UserClick(cancel);
    UserPressKey(dialog, PlatformKeyEscape);
    EXPECT_TRUE(Received(WM_COMMAND).empty());
    char text[8] = "junk";
    EXPECT_EQ(GetWindowTextA(cancel, text, sizeof text), 0);
    EXPECT_STREQ(text, "");
}

TEST_F(Windows, FocusWorksHeadless)
{
    HWND dialog = Open(IDD_MAIN);
    HWND combo = GetDlgItem(dialog, IDC_RATE);
    HWND ok = GetDlgItem(dialog, IDOK);
    EXPECT_TRUE(IsOrIsIn(GetFocus(), combo)); // WM_INITDIALOG returned TRUE
    EXPECT_TRUE(IsOrIsIn(SetFocus(ok), combo));
    EXPECT_EQ(GetFocus(), ok);
    HWND bits8 = GetDlgItem(dialog, IDC_BITS8);
    EXPECT_EQ(SetFocus(bits8), ok);
    EXPECT_EQ(GetFocus(), bits8); // radio buttons are reachable from the keyboard
    EnableWindow(GetDlgItem(dialog, IDC_PLAY), TRUE);
    EXPECT_EQ(SetFocus(GetDlgItem(dialog, IDC_PLAY)), bits8);
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_PLAY));
}

TEST_F(Windows, TitleTextAndIcons)
{
    HWND dialog = Open(IDD_MAIN);
    char text[16];
    EXPECT_EQ(GetWindowTextA(dialog, text, sizeof text), 4);
    EXPECT_STREQ(text, "Main");
    ASSERT_TRUE(SetWindowTextA(dialog, "Grüße")); // "Gr", 2-byte ü, 2-byte ß, "e"
    EXPECT_EQ(SendMessageA(dialog, WM_GETTEXTLENGTH, 0, 0), 7);
    EXPECT_EQ(GetWindowTextA(dialog, text, 4), 2); // the ü does not fit whole
    EXPECT_STREQ(text, "Gr");

    HICON icon = LoadIconA(&TestModule, MAKEINTRESOURCEA(IDI_MAIN));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon)), 0);
    EXPECT_EQ(SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon)), 0);
    EXPECT_EQ(WindowIcon(dialog, ICON_BIG), icon);
    EXPECT_EQ(WindowIcon(dialog, ICON_SMALL), icon);
    EXPECT_EQ(SendMessageA(dialog, WM_SETICON, ICON_BIG, 0), reinterpret_cast<LRESULT>(icon));
    EXPECT_EQ(WindowIcon(dialog, ICON_BIG), nullptr);
}

TEST_F(Windows, ProgressBarKeepsWin32Arithmetic)
{
    HWND dialog = Open(IDD_MAIN);
    HWND bar = GetDlgItem(dialog, IDC_PROGRESS);
    EXPECT_EQ(SendMessageA(bar, PBM_SETRANGE32, 0, 1000), MAKELONG(0, 100));
    EXPECT_EQ(SendMessageA(bar, PBM_SETPOS, 10, 0), 0);
    EXPECT_EQ(SendMessageA(bar, PBM_DELTAPOS, 5, 0), 10);
    EXPECT_EQ(SendMessageA(bar, PBM_SETSTEP, 300, 0), 10);
    EXPECT_EQ(SendMessageA(bar, PBM_STEPIT, 0, 0), 15);
    EXPECT_EQ(SendMessageA(bar, PBM_STEPIT, 0, 0), 315);
    EXPECT_EQ(SendMessageA(bar, PBM_STEPIT, 0, 0), 615);
    EXPECT_EQ(SendMessageA(bar, PBM_STEPIT, 0, 0), 915);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 215); // past the end it starts over
    EXPECT_EQ(SendMessageA(bar, PBM_SETPOS, 5000, 0), 215);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 1000);
    EXPECT_EQ(SendMessageA(bar, PBM_SETRANGE, 0, MAKELONG(0, 50)), MAKELONG(0, 1000));
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 50);
}

} // namespace
