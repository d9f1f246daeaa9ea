// Window timers as Win32 has them: a QTimer per window and identifier, child of the
// window's widget (so it goes with the window), whose ticks reach the window's procedure
// as WM_TIMER from whatever loop runs, nested ones included.
#include <QTimer>

#include <algorithm>
#include <map>
#include <utility>

#include "platform/linux/qt/qt_internal.h"
#include "platform/linux/seam_points.h"

namespace {

// A window's timers by identifier; GUI thread only, like the calls.
using TimerMap = std::map<std::pair<HWND, UINT_PTR>, QPointer<QTimer>>;
TimerMap* g_timers = nullptr; // never destroyed

TimerMap& Timers()
{
    if (g_timers == nullptr) {
        g_timers = new TimerMap;
    }
    return *g_timers;
}

} // namespace

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc)
{
    DWORD code = 0;
    if (FaultShouldFail("SetTimer", &code)) {
        SetLastError(code);
        return 0;
    }
    qtplat::WindowRef target = qtplat::FindWindow(window);
    if (!target || target->widget.isNull()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (proc != nullptr || !qtplat::OnGuiThread()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    QPointer<QTimer>& timer = Timers()[{window, id}];
    if (timer.isNull()) {
        timer = new QTimer(target->widget);
        QObject::connect(timer, &QTimer::timeout, [window, id] {
            qtplat::WindowRef live = qtplat::LookupWindow(window);
            if (live) {
                qtplat::DispatchMessage(live, WM_TIMER, id, 0);
            }
        });
    }
    // Win32 takes at least 10 ms and at most about 24 days.
    timer->start(static_cast<int>(std::clamp<UINT>(elapse, 10, 0x7FFFFFFF)));
    return id;
}

BOOL KillTimer(HWND window, UINT_PTR id)
{
    DWORD code = 0;
    if (FaultShouldFail("KillTimer", &code)) {
        SetLastError(code);
        return FALSE;
    }
    if (!qtplat::OnGuiThread()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto& timers = Timers();
    auto found = timers.find({window, id});
    if (found == timers.end() || found->second.isNull()) {
        if (found != timers.end()) {
            timers.erase(found); // its window, and the timer with it, are gone
        }
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // Deleted later: the call may come from this timer's own tick.
    found->second->stop();
    found->second->deleteLater();
    timers.erase(found);
    return TRUE;
}
