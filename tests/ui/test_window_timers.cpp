// SetTimer and KillTimer as the end of playback uses them, on each flavour's own: Qt's on
// Linux, the system's under Wine.
#include <vector>

#include "support/main_dialog_fixture.h"

namespace {

std::vector<UINT_PTR> g_ticks;

INT_PTR TickRecordingProc(HWND, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_TIMER) {
        g_ticks.push_back(wParam);
        return TRUE;
    }
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

bool OnlyTicksOf(UINT_PTR id)
{
    for (UINT_PTR tick : g_ticks) {
        if (tick != id) {
            return false;
        }
    }
    return !g_ticks.empty();
}

} // namespace

TEST(WindowTimers, TickAsWmTimerUntilKilledAndRestartWithTheirNewPeriod)
{
    ModuleInstance = &ResourceModule;
    HWND window = CreateDialogParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                     TickRecordingProc, 0);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SetTimer(window, 7, 20, nullptr), 7u);
    EXPECT_EQ(SetTimer(window, 8, 60000, nullptr), 8u);
    PumpWhile([] { return g_ticks.size() < 3; });
    EXPECT_TRUE(OnlyTicksOf(7)) << g_ticks.size();

    EXPECT_TRUE(KillTimer(window, 7));
    EXPECT_EQ(SetTimer(window, 8, 10, nullptr), 8u); // the same timer, sooner
    g_ticks.clear();
    PumpWhile([] { return g_ticks.size() < 2; });
    EXPECT_TRUE(OnlyTicksOf(8)) << g_ticks.size();

    EXPECT_TRUE(KillTimer(window, 8));
    g_ticks.clear();
    PumpWhile([] { return true; }, std::chrono::milliseconds(80));
    EXPECT_TRUE(g_ticks.empty());
    EXPECT_FALSE(KillTimer(window, 8));
    DestroyWindow(window);
    EXPECT_EQ(SetTimer(window, 9, 10, nullptr), 0u);
}
