// The file-dialog log and script, for both flavours. A scripted choice goes through the rules
// the dialog applies to a user's (must-exist flags, the replace question, a path too long),
// so the program meets the same answers as from a user. An answer's action runs outside the
// lock, as it may raise dialogs and boxes of its own.
#include "platform/testing/file_dialog_script.h"

#include <deque>
#include <mutex>

#include "platform/common/file_dialog_choice.h"
#include "platform/testing/seams.h"

namespace {

std::mutex g_mutex;
std::vector<FileDialogRecord> g_log;
std::deque<FileDialogAnswer> g_script;
bool g_scripted = false;
int g_unscripted = 0;

// The script's next answer; false when it has none left (counted as unscripted).
bool NextAnswer(FileDialogAnswer* answer)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_script.empty()) {
        ++g_unscripted;
        return false;
    }
    *answer = std::move(g_script.front());
    g_script.pop_front();
    return true;
}

} // namespace

size_t FileDialogLogOpen(const FileDialogRecord& record)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_log.push_back(record);
    return g_log.size() - 1;
}

void FileDialogLogClose(size_t entry, FileDialogRecord record)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (entry < g_log.size()) {
        g_log[entry] = std::move(record);
    }
}

bool FileDialogScriptAnswer(OPENFILENAMEA* ofn, FileDialogRecord* record, bool save, BOOL* result,
                            DWORD* error)
{
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (!g_scripted) {
            return false;
        }
    }
    *result = FALSE;
    *error = 0;
    // A scripted dialog refuses the records the system's refuses.
    if (ofn->lStructSize != OPENFILENAME_SIZE_VERSION_400A &&
        ofn->lStructSize != sizeof(OPENFILENAMEA)) {
        *error = CDERR_STRUCTSIZE;
        return true;
    }
    if (ofn->hwndOwner != nullptr && !IsWindow(ofn->hwndOwner)) {
        *error = CDERR_DIALOGFAILURE;
        return true;
    }
    std::string directory;
    std::string name;
    filechoice::StartPlace(*record, &directory, &name);
    const size_t pairs = record->filter.size() / 2;
    FileDialogAnswer answer;
    while (NextAnswer(&answer)) {
        if (answer.before) {
            answer.before();
        }
        if (!answer.choose) {
            return true;
        }
        const std::string path = filechoice::Join(directory, answer.path);
        if (filechoice::IsDirectory(path)) {
            // Choosing a folder opens it; the next answer is given there.
            directory = path;
            record->refusals.push_back("opened folder " + path);
            continue;
        }
        std::string refusal = filechoice::Refusal(path, record->flags, record->maxFile);
        if (refusal.empty() && !answer.replace &&
            filechoice::MustAskToReplace(path, record->flags, save)) {
            refusal = filechoice::ReplaceQuestion(path);
        }
        if (!refusal.empty()) {
            record->refusals.push_back(refusal);
            continue;
        }
        const DWORD pair = answer.filterIndex != 0
                               ? answer.filterIndex
                               : filechoice::EntryPair(record->filterIndex, pairs);
        record->chosen = path;
        *result = filechoice::Deliver(ofn, path, pair, error);
        return true;
    }
    return true;
}

void FileDialogScriptSet(std::vector<FileDialogAnswer> answers)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_script.assign(std::make_move_iterator(answers.begin()),
                    std::make_move_iterator(answers.end()));
    g_scripted = true;
    g_unscripted = 0;
}

void FileDialogScriptClear()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_script.clear();
    g_scripted = false;
}

const std::vector<FileDialogRecord>& FileDialogLog()
{
    return g_log;
}

void FileDialogLogClear()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_log.clear();
}

int FileDialogUnscriptedCount()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_unscripted;
}
