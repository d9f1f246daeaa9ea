// A test's action from inside the next modal loop of the Qt flavour: a dialog's, or a file
// dialog's. Each runs once, posted to the loop so that it comes when the loop delivers events.
#include <QObject>
#include <QTimer>

#include <functional>
#include <mutex>

#include "platform/testing/modal_actions.h"
#include "platform/testing/seams.h"

namespace {

std::mutex g_mutex;
std::function<void(HWND)> g_nextModalAction;  // guarded by g_mutex
std::function<void()> g_nextFileDialogAction; // guarded by g_mutex

template <typename Action> Action Take(Action* action)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    Action taken = std::move(*action);
    *action = nullptr;
    return taken;
}

} // namespace

void OnNextModalLoop(std::function<void(HWND dialog)> action)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_nextModalAction = std::move(action);
}

void OnNextFileDialog(std::function<void()> action)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_nextFileDialogAction = std::move(action);
}

void ModalLoopStarting(QObject* loopOwner, HWND dialog)
{
    std::function<void(HWND)> action = Take(&g_nextModalAction);
    if (action) {
        QTimer::singleShot(0, loopOwner, [action, dialog] { action(dialog); });
    }
}

void FileDialogLoopStarting(QObject* dialog)
{
    std::function<void()> action = Take(&g_nextFileDialogAction);
    if (action) {
        QTimer::singleShot(0, dialog, action);
    }
}
