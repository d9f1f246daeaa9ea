// MessageBoxA's log and script. Boxes come from the GUI thread and the copy worker alike,
// so the records are guarded; a scripted answer's action runs outside the lock.
#include <deque>
#include <mutex>

#include "platform/windows/testing/wrap.h"

namespace {

std::mutex g_mutex;
std::vector<MessageBoxRecord> g_log;
std::deque<ScriptedAnswer> g_script;
bool g_scripted = false;
int g_unscripted = 0;

SEAM_REAL_ENTRY(MessageBoxA)

int WINAPI SeamMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    DWORD code = 0;
    if (FaultShouldFail("MessageBoxA", &code)) {
        SetLastError(code);
        return 0;
    }
    // A scripted box is refused where the system's would be: an owner that is no window.
    if (owner != nullptr && !IsWindow(owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    // Without a caption the system's box says "Error".
    MessageBoxRecord record{owner, text != nullptr ? text : "",
                            caption != nullptr ? caption : "Error", type, 0};
    std::unique_lock<std::mutex> lock(g_mutex);
    if (!g_scripted) {
        lock.unlock();
        record.answer =
            SEAM_REAL(decltype(&SeamMessageBoxA), MessageBoxA)(owner, text, caption, type);
        lock.lock();
        g_log.push_back(record);
        return record.answer;
    }
    const size_t entry = g_log.size();
    g_log.push_back(record);
    if (g_script.empty()) {
        ++g_unscripted;
        g_log[entry].answer = IDCANCEL;
        return IDCANCEL;
    }
    ScriptedAnswer answer = std::move(g_script.front());
    g_script.pop_front();
    lock.unlock();
    if (answer.before) {
        answer.before();
    }
    lock.lock();
    g_log[entry].answer = answer.answer;
    return answer.answer;
}

} // namespace

SEAM_INSTALL(MessageBoxA, SeamMessageBoxA)

void MessageBoxScriptSet(std::vector<ScriptedAnswer> answers)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_script.assign(std::make_move_iterator(answers.begin()),
                    std::make_move_iterator(answers.end()));
    g_scripted = true;
    g_unscripted = 0;
}

void MessageBoxScriptClear()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_script.clear();
    g_scripted = false;
}

const std::vector<MessageBoxRecord>& MessageBoxLog()
{
    return g_log;
}

void MessageBoxLogClear()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_log.clear();
}

int MessageBoxUnscriptedCount()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_unscripted;
}
