// The message-box log and script, for both flavours. Boxes come from the GUI thread and the
// copy worker alike, so the records are guarded; a scripted answer's action runs outside the
// lock, as it may raise boxes of its own.
#include "platform/testing/message_box_script.h"

#include <deque>
#include <mutex>

#include "platform/testing/seams.h"

namespace {

std::mutex g_mutex;
std::vector<MessageBoxRecord> g_log;
std::deque<ScriptedAnswer> g_script;
bool g_scripted = false;
int g_unscripted = 0;

} // namespace

size_t MessageBoxLogOpen(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    // Without a caption the box says "Error".
    g_log.push_back(MessageBoxRecord{owner, text != nullptr ? text : "",
                                     caption != nullptr ? caption : "Error", type, 0});
    return g_log.size() - 1;
}

bool MessageBoxScriptAnswer(int* answer)
{
    std::unique_lock<std::mutex> lock(g_mutex);
    if (!g_scripted) {
        return false;
    }
    if (g_script.empty()) {
        ++g_unscripted;
        *answer = IDCANCEL;
        return true;
    }
    ScriptedAnswer next = std::move(g_script.front());
    g_script.pop_front();
    lock.unlock();
    if (next.before) {
        next.before();
    }
    *answer = next.answer;
    return true;
}

void MessageBoxLogAnswer(size_t entry, int answer)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (entry < g_log.size()) {
        g_log[entry].answer = answer;
    }
}

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
