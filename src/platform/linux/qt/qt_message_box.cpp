// MessageBoxA on QMessageBox; the testing library's build adds the script and the log.
#include <QMessageBox>

#include <deque>

#include "platform/linux/qt/qt_internal.h"
#include "platform/linux/seam_points.h"

namespace {
#ifdef SALVORIN_SEAMS
// GUI thread only: MessageBoxA is carried there from any other thread.
std::vector<MessageBoxRecord> g_log;
std::deque<ScriptedAnswer> g_script;
bool g_scripted = false;
int g_unscripted = 0;
#endif

struct BoxRequest {
    std::string text;
    std::string caption;
    UINT type;
};

int AskForReal(QWidget* owner, const BoxRequest& record)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (record.type & 0xF0) {
    case MB_ICONHAND:
        icon = QMessageBox::Critical;
        break;
    case MB_ICONQUESTION:
        icon = QMessageBox::Question;
        break;
    case MB_ICONEXCLAMATION:
        icon = QMessageBox::Warning;
        break;
    case MB_ICONINFORMATION:
        icon = QMessageBox::Information;
        break;
    default:
        break;
    }
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    if ((record.type & 0xF) == MB_OKCANCEL) {
        buttons = QMessageBox::Ok | QMessageBox::Cancel;
    } else if ((record.type & 0xF) == MB_YESNO) {
        buttons = QMessageBox::Yes | QMessageBox::No;
    }
    QMessageBox box(icon, QString::fromUtf8(record.caption.c_str()),
                    QString::fromUtf8(record.text.c_str()), buttons, owner);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(owner != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
    // exec() runs a loop that also delivers posted messages (the GUI queue's notifier).
    switch (box.exec()) {
    case QMessageBox::Ok:
        return IDOK;
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    default:
        return (record.type & 0xF) == MB_OK ? IDOK : IDCANCEL;
    }
}

int ShowBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    qtplat::WindowRef ownerWindow;
    if (owner != nullptr) {
        ownerWindow = qtplat::FindWindow(owner);
        if (!ownerWindow) {
            return 0;
        }
        if (ownerWindow->kind != qtplat::Kind::Dialog) {
            ownerWindow = qtplat::LookupWindow(ownerWindow->dialog);
        }
    }
    const BoxRequest record{text != nullptr ? text : "", caption != nullptr ? caption : "Error",
                            type};
#ifdef SALVORIN_SEAMS
    // Logged when it appears, so boxes raised while it is up come after it.
    const size_t entry = g_log.size();
    g_log.push_back(MessageBoxRecord{owner, record.text, record.caption, type, 0});
#endif

    const bool ownerWasEnabled = ownerWindow && ownerWindow->enabled;
    if (ownerWindow) {
        ownerWindow->enabled = false;
    }
    int answer = IDCANCEL;
#ifdef SALVORIN_SEAMS
    if (g_scripted) {
        if (!g_script.empty()) {
            ScriptedAnswer scripted = std::move(g_script.front());
            g_script.pop_front();
            if (scripted.before) {
                scripted.before();
            }
            answer = scripted.answer;
        } else {
            ++g_unscripted;
        }
    } else
#endif
        if (qtplat::SessionEnding()) {
        answer = (type & 0xF) == MB_OK ? IDOK : IDCANCEL; // the session ends: nobody answers
    } else {
        answer = AskForReal(ownerWindow ? ownerWindow->widget.data() : nullptr, record);
    }
    if (ownerWindow && !ownerWindow->destroyed && ownerWasEnabled) {
        ownerWindow->enabled = true;
    }
#ifdef SALVORIN_SEAMS
    g_log[entry].answer = answer;
#endif
    return answer;
}
} // namespace

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    DWORD code = 0;
    if (FaultShouldFail("MessageBoxA", &code)) {
        SetLastError(code);
        return 0;
    }
    int answer = 0;
    qtplat::RunOnGui([&] { answer = ShowBox(owner, text, caption, type); });
    return answer;
}

#ifdef SALVORIN_SEAMS
void MessageBoxScriptSet(std::vector<ScriptedAnswer> answers)
{
    qtplat::RunOnGui([&] {
        g_script.assign(answers.begin(), answers.end());
        g_scripted = true;
        g_unscripted = 0;
    });
}

void MessageBoxScriptClear()
{
    qtplat::RunOnGui([] {
        g_script.clear();
        g_scripted = false;
    });
}

const std::vector<MessageBoxRecord>& MessageBoxLog()
{
    return g_log;
}

void MessageBoxLogClear()
{
    qtplat::RunOnGui([] { g_log.clear(); });
}

int MessageBoxUnscriptedCount()
{
    int count = 0;
    qtplat::RunOnGui([&] { count = g_unscripted; });
    return count;
}
#endif // SALVORIN_SEAMS
