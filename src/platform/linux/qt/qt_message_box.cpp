// MessageBoxA on QMessageBox; in the testing library's build the seams log and script it.
#include <QMessageBox>

#include "platform/linux/qt/qt_internal.h"
#include "platform/linux/seam_points.h"

namespace {

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
    // Logged when it appears, so boxes raised while it is up come after it.
    const size_t entry = MessageBoxLogOpen(owner, text, caption, type);
    const bool ownerWasEnabled = ownerWindow && ownerWindow->enabled;
    if (ownerWindow) {
        ownerWindow->enabled = false;
    }
    int answer = IDCANCEL;
    if (!MessageBoxScriptAnswer(&answer)) {
        if (qtplat::SessionEnding()) {
            answer = (type & 0xF) == MB_OK ? IDOK : IDCANCEL; // the session ends: nobody answers
        } else {
            answer = AskForReal(ownerWindow ? ownerWindow->widget.data() : nullptr, record);
        }
    }
    if (ownerWindow && !ownerWindow->destroyed && ownerWasEnabled) {
        ownerWindow->enabled = true;
    }
    MessageBoxLogAnswer(entry, answer);
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
