// SIGTERM (logout, kill), SIGINT (Ctrl+C in a terminal) and SIGHUP (the terminal went away)
// end the session as Windows ends it for its programs at logout: every dialog is sent
// WM_ENDSESSION, open message boxes and file dialogs close unanswered, and none opens
// again, so the program ends in order and without a question. The handler only notes the
// signal and writes to a pipe; the GUI loop that is running, nested ones included, reads it
// and does the rest. Once the program has ended its main dialog the process ends by the
// same signal, so whoever sent it sees it reported as usual. A second signal before that
// ends the process at once.
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QSocketNotifier>

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>

#include "platform/linux/qt/qt_internal.h"
#include "platform/startup.h"

namespace {

constexpr int EndingSignals[] = {SIGTERM, SIGINT, SIGHUP};

volatile sig_atomic_t g_signal = 0;
int g_pipe[2] = {-1, -1};
bool g_ending = false; // GUI thread only

void OnSignal(int number)
{
    if (g_signal != 0) {
        signal(number, SIG_DFL);
        raise(number); // delivered once this handler returns
        return;
    }
    g_signal = number;
    const char byte = 1;
    if (write(g_pipe[1], &byte, 1) != 1) {
        // The pipe holds a byte already: the GUI loop will look.
    }
}

// A child made by fork is another program from then on: it gets the usual dispositions
// back and none of this process's pipe.
void ForgetInChild()
{
    for (int number : EndingSignals) {
        signal(number, SIG_DFL);
    }
    close(g_pipe[0]);
    close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
    g_signal = 0;
}

void EndWithTheSignal()
{
    const int number = g_signal;
    if (number != 0) {
        signal(number, SIG_DFL);
        raise(number);
    }
}

// Newest first: a dialog owned by another hears of the end before its owner does.
void SendEndSession(HWND owner)
{
    std::vector<qtplat::WindowRef> dialogs = qtplat::OwnedDialogs(owner);
    std::sort(dialogs.begin(), dialogs.end(), [](const auto& a, const auto& b) {
        return reinterpret_cast<uintptr_t>(a->handle) > reinterpret_cast<uintptr_t>(b->handle);
    });
    for (const qtplat::WindowRef& dialog : dialogs) {
        SendEndSession(dialog->handle);
        if (!dialog->destroyed) {
            SendMessageA(dialog->handle, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
        }
    }
}

void EndSession()
{
    char bytes[16];
    while (read(g_pipe[0], bytes, sizeof bytes) > 0) {
    }
    if (g_ending || g_signal == 0) {
        return;
    }
    g_ending = true;
    // Boxes and file dialogs are the platform's own: they close as if cancelled.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(window); box != nullptr && box->isVisible()) {
            box->done(-1);
        } else if (auto* chooser = qobject_cast<QFileDialog*>(window);
                   chooser != nullptr && chooser->isVisible()) {
            chooser->reject();
        }
    }
    SendEndSession(nullptr);
}

} // namespace

namespace qtplat {

bool SessionEnding()
{
    return g_ending;
}

void WatchEndingSignals(QObject* parent)
{
    if (pipe2(g_pipe, O_NONBLOCK | O_CLOEXEC) != 0) {
        return; // the signals keep their usual effect
    }
    auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, parent);
    QObject::connect(notifier, &QSocketNotifier::activated, parent, [] { EndSession(); });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int number : EndingSignals) {
        sigaction(number, &action, nullptr);
    }
    pthread_atfork(nullptr, nullptr, ForgetInChild);
    std::atexit(EndWithTheSignal);
}

} // namespace qtplat
