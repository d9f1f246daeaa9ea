// The toolkit application object (one per process, created before any window) and the
// GUI thread's own queue.
//
// Posted messages and calls carried over from other threads go through one FIFO guarded by
// a std::mutex and woken by an eventfd watched by a QSocketNotifier. Every Qt event loop
// polls that notifier, so nested loops (dialogs, message boxes, file dialogs) deliver posted
// messages as Win32's do, and other threads never touch a Qt object.
#include <QApplication>
#include <QSocketNotifier>
#include <QThread>

#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/common/system_messages.h"
#include "platform/linux/qt/qt_internal.h"
#include "platform/linux/seam_points.h"
#include "platform/startup.h"

#if defined(__SANITIZE_ADDRESS__)
// Fontconfig keeps a cache it never frees, and so does libdbus for the session bus that Qt
// opens when a desktop (or the accessibility bus) is there, and libpulse for the sound
// server connection that SDL keeps for the whole process; they are not ours to fix, and
// every program that shows a window (or plays through a sound server) would otherwise
// fail the leak check.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n"
           "leak:libdbus-1.so\n"
           "leak:libpulse.so\n";
}
#endif
#if defined(__SANITIZE_THREAD__)
// Qt is not built for ThreadSanitizer: its own hand-overs (futex-based locks, the QtGui
// thread pool that parallel fills use) are invisible to it, so the allocations and copies
// Qt makes itself look racy. Ignoring the interceptors Qt calls hides only those; accesses
// in the program's code, and its std::mutex and eventfd hand-overs, are still checked.
extern "C" const char* __tsan_default_suppressions()
{
    return "called_from_lib:libQt6Core.so.6\n"
           "called_from_lib:libQt6Gui.so.6\n"
           "called_from_lib:libQt6Widgets.so.6\n"
           "called_from_lib:libglib-2.0.so.0\n";
}
#endif

namespace {
int g_argc = 1;
char g_arg0[] = "salvorin";
char* g_defaultArgv[] = {g_arg0, nullptr};
// Qt keeps the count and the vector for the application's life and removes its own
// options from them; the strings stay main's.
char** g_argv = g_defaultArgv;
QApplication* g_application = nullptr;
// The program's own arguments, the program's name first; the toolkit's are left out.
std::vector<char*>* g_programArguments = nullptr;

std::mutex g_queueMutex;
std::condition_variable g_queueDone;
std::deque<std::function<void()>>* g_queue = nullptr; // guarded by g_queueMutex
int g_wakeFd = -1;
QSocketNotifier* g_notifier = nullptr;

void WakeGuiThread()
{
    if (g_wakeFd < 0) {
        return;
    }
    const uint64_t one = 1;
    for (;;) {
        const ssize_t written = write(g_wakeFd, &one, sizeof one);
        // EAGAIN means the counter is already far from zero: the GUI thread is woken anyway.
        if (written == static_cast<ssize_t>(sizeof one) || (written < 0 && errno == EAGAIN)) {
            return;
        }
        if (written < 0 && errno != EINTR) {
            return;
        }
    }
}

// Delivers queued items one at a time. Before running one, the wake-up is re-armed if more
// wait, so that a nested loop started by the item delivers the rest.
void DrainQueue()
{
    for (;;) {
        std::function<void()> item;
        bool more = false;
        {
            std::lock_guard<std::mutex> lock(g_queueMutex);
            if (g_queue == nullptr || g_queue->empty()) {
                return;
            }
            item = std::move(g_queue->front());
            g_queue->pop_front();
            more = !g_queue->empty();
        }
        if (more) {
            WakeGuiThread();
        }
        item();
    }
}

QtMessageHandler g_previousMessageHandler = nullptr;

// Qt's notices that a user can do nothing about and that change nothing for this program:
// started through sudo or outside a login session there is no XDG_RUNTIME_DIR, and Qt makes
// a private one of its own; on a GNOME Wayland session Qt runs through XWayland. Every
// other message, real errors included, is printed as before.
void QuietMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg &&
        (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")) ||
         message.startsWith(QLatin1String("Ignoring XDG_SESSION_TYPE=wayland on Gnome")))) {
        return;
    }
    if (g_previousMessageHandler != nullptr) {
        g_previousMessageHandler(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    }
}

void OnWake()
{
    uint64_t count = 0;
    const ssize_t got = read(g_wakeFd, &count, sizeof count);
    (void)got; // EAGAIN: another loop level already took the wake-up; the queue tells all
    DrainQueue();
}

// The toolkit's command-line options, as Qt's application classes and its X11 platform take
// them (also with "--"), so the program can tell its own arguments without starting Qt,
// which needs a display. Each takes the next argument as its value, or none.
struct ToolkitOption {
    const char* name;
    bool takesValue;
};
constexpr ToolkitOption ToolkitOptions[] = {
    {"platform", true},
    {"platformpluginpath", true},
    {"platformtheme", true},
    {"plugin", true},
    {"qwindowgeometry", true},
    {"qwindowtitle", true},
    {"qwindowicon", true},
    {"session", true},
    {"qmljsdebugger", true},
    {"style", true},
    {"stylesheet", true},
    {"display", true},
    {"name", true},
    {"visual", true},
    {"geometry", true},
    {"title", true},
    {"icon", true},
    {"reverse", false},
    {"testability", false},
    {"widgetcount", false},
    {"nograb", false},
    {"dograb", false},
    {"sync", false},
};

// How many arguments the toolkit takes at `argument` (0: none, it is the program's).
int ToolkitArgumentsAt(const char* argument, bool valueFollows)
{
    if (argument[0] != '-') {
        return 0;
    }
    const char* name = argument + (argument[1] == '-' ? 2 : 1);
    for (const ToolkitOption& option : ToolkitOptions) {
        const size_t length = std::strlen(option.name);
        if (std::strncmp(name, option.name, length) != 0) {
            continue;
        }
        if (name[length] == '\0') {
            return option.takesValue ? (valueFollows ? 2 : 1) : 1;
        }
        if (name[length] == '=' && option.takesValue) { // -style=fusion
            return 1;
        }
    }
    return 0;
}
} // namespace

void PlatformReadCommandLine(int argc, char** argv)
{
    if (g_programArguments != nullptr) {
        return;
    }
    g_programArguments = new std::vector<char*>;
    if (argc <= 0 || argv == nullptr || argv[0] == nullptr) {
        g_programArguments->push_back(g_arg0);
        return;
    }
    g_programArguments->push_back(argv[0]);
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        // After "--" every argument is the program's, as the program reads it.
        const int taken = optionsEnded ? 0 : ToolkitArgumentsAt(argv[i], i + 1 < argc);
        if (taken == 0) {
            optionsEnded = optionsEnded || std::strcmp(argv[i], "--") == 0;
            g_programArguments->push_back(argv[i]);
        }
        i += taken > 0 ? taken - 1 : 0;
    }
}

void ShowStartupText(StartupTextKind kind, const char* /*caption*/, const char* text)
{
    // A box is never needed: a program started without a terminal has its output
    // collected by whatever started it (the desktop's journal).
    std::FILE* stream = kind == StartupError ? stderr : stdout;
    std::fputs(text, stream);
    std::fflush(stream);
}

void PlatformStartup(int argc, char** argv)
{
    if (g_application != nullptr) {
        return;
    }
    PlatformReadCommandLine(argc, argv);
    if (argc > 0 && argv != nullptr && argv[0] != nullptr) {
        g_argv = new char*[static_cast<size_t>(argc) + 1];
        for (int i = 0; i < argc; ++i) {
            g_argv[i] = argv[i];
        }
        g_argv[argc] = nullptr;
        g_argc = argc;
    }
    g_previousMessageHandler = qInstallMessageHandler(QuietMessageHandler);
    g_application = new QApplication(g_argc, g_argv);
    // The launcher's id: a Wayland compositor finds the name and icon for the window by it.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.salvorin.salvorin"));
    {
        std::lock_guard<std::mutex> lock(g_queueMutex);
        g_queue = new std::deque<std::function<void()>>;
    }
    g_wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (g_wakeFd >= 0) {
        g_notifier = new QSocketNotifier(g_wakeFd, QSocketNotifier::Read, g_application);
        QObject::connect(g_notifier, &QSocketNotifier::activated, g_application, [] { OnWake(); });
    }
    qtplat::WatchEndingSignals(g_application);
}

int CommandLineArgumentCount()
{
    return g_programArguments != nullptr ? static_cast<int>(g_programArguments->size()) : 0;
}

const char* CommandLineArgument(int index)
{
    return index >= 0 && index < CommandLineArgumentCount() ? (*g_programArguments)[index]
                                                            : nullptr;
}

namespace qtplat {

void DrainGuiQueue()
{
    DrainQueue();
}

bool OnGuiThread()
{
    return g_application == nullptr || QThread::currentThread() == g_application->thread();
}

void QueueForGui(std::function<void()> work)
{
    bool wasEmpty = false;
    {
        std::lock_guard<std::mutex> lock(g_queueMutex);
        if (g_queue == nullptr) {
            return;
        }
        wasEmpty = g_queue->empty();
        g_queue->push_back(std::move(work));
    }
    // A queue that already held items has a wake-up pending (DrainQueue re-arms while more
    // wait), so a burst of progress posts costs one system call, not one each.
    if (wasEmpty) {
        WakeGuiThread();
    }
}

void RunOnGui(const std::function<void()>& work)
{
    if (OnGuiThread()) {
        work();
        return;
    }
    // Like Win32's cross-thread SendMessage: blocks until the GUI thread has run it.
    bool finished = false;
    DWORD error = 0;
    QueueForGui([&] {
        work();
        const DWORD code = GetLastError();
        std::lock_guard<std::mutex> lock(g_queueMutex);
        error = code;
        finished = true;
        g_queueDone.notify_all();
    });
    std::unique_lock<std::mutex> lock(g_queueMutex);
    g_queueDone.wait(lock, [&] { return finished; });
    const DWORD code = error;
    lock.unlock();
    SetLastError(code);
}

} // namespace qtplat

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD code = 0;
    if (FaultShouldFail("PostMessageA", &code)) {
        SetLastError(code);
        return FALSE;
    }
    return PostSystemMessage(window, message, wParam, lParam);
}

BOOL PostSystemMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    qtplat::QueueForGui([window, message, wParam, lParam] {
        // A window destroyed since the post no longer gets its messages.
        qtplat::WindowRef target = qtplat::LookupWindow(window);
        if (target) {
            qtplat::DispatchMessage(target, message, wParam, lParam);
        }
    });
    return TRUE;
}
