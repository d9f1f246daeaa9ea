// The "msctls_progress32" class: keeps Win32's numbers (range, position, step) in the
// record and only shows them in a QProgressBar.
#include <QProgressBar>

#include <algorithm>

#include "platform/linux/qt/qt_control_class.h"

namespace qtplat {
namespace {

void ShowProgress(Window& window, QWidget* = nullptr)
{
    auto* bar = qobject_cast<QProgressBar*>(window.widget.data());
    if (bar == nullptr) {
        return;
    }
    // Qt shows a busy indicator for an empty range; Win32 shows an empty bar.
    bar->setRange(window.pbMin, std::max(window.pbMax, window.pbMin + 1));
    bar->setValue(window.pbPos);
}

int Clamp(const Window& window, long long position)
{
    const long long high = std::max(window.pbMin, window.pbMax);
    return static_cast<int>(std::clamp<long long>(position, window.pbMin, high));
}

LRESULT ProgressMessage(Window& window, QWidget*, UINT message, WPARAM wParam, LPARAM lParam)
{
    const int previous = window.pbPos;
    switch (message) {
    case PBM_SETRANGE:
    case PBM_SETRANGE32: {
        const LRESULT old = MAKELONG(window.pbMin, window.pbMax);
        if (message == PBM_SETRANGE) {
            window.pbMin = LOWORD(lParam);
            window.pbMax = HIWORD(lParam);
        } else {
            window.pbMin = static_cast<int>(static_cast<INT_PTR>(wParam));
            window.pbMax = static_cast<int>(lParam);
        }
        window.pbPos = Clamp(window, window.pbPos);
        ShowProgress(window);
        return old;
    }
    case PBM_SETPOS:
        window.pbPos = Clamp(window, static_cast<int>(static_cast<INT_PTR>(wParam)));
        break;
    case PBM_DELTAPOS:
        window.pbPos = Clamp(window, static_cast<long long>(window.pbPos) +
                                         static_cast<int>(static_cast<INT_PTR>(wParam)));
        break;
    case PBM_SETSTEP: {
        const int oldStep = window.pbStep;
        window.pbStep = static_cast<int>(static_cast<INT_PTR>(wParam));
        return oldStep;
    }
    case PBM_STEPIT: {
        // Past the end the bar starts over from the beginning.
        long long next = static_cast<long long>(window.pbPos) + window.pbStep;
        const long long span = static_cast<long long>(window.pbMax) - window.pbMin;
        if (span > 0 && next > window.pbMax) {
            next = window.pbMin + (next - window.pbMin) % span;
        } else if (span > 0 && next < window.pbMin) {
            next = window.pbMax - (window.pbMin - next) % span;
        }
        window.pbPos = Clamp(window, next);
        break;
    }
    case PBM_GETPOS:
        return window.pbPos;
    default:
        return 0;
    }
    ShowProgress(window);
    return previous;
}

QWidget* CreateProgressBar(const WindowRef& dialog, const DLGITEM_DATA&, Kind* kind,
                           Qt::FocusPolicy* focus)
{
    *kind = Kind::Progress;
    auto* bar = new QProgressBar(dialog->client);
    bar->setTextVisible(false);
    *focus = Qt::NoFocus;
    return bar;
}

} // namespace

const ControlClass kProgressBarClass = {"msctls_progress32",
                                        CreateProgressBar,
                                        ShowProgress,
                                        nullptr,
                                        nullptr,
                                        ProgressMessage,
                                        nullptr};

} // namespace qtplat
