// MessageBoxA through the message-box log and script (platform/testing/message_box_script).
#include "platform/testing/message_box_script.h"
#include "platform/windows/testing/wrap.h"

namespace {

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
    const size_t entry = MessageBoxLogOpen(owner, text, caption, type);
    int answer = 0;
    if (!MessageBoxScriptAnswer(&answer)) {
        answer = SEAM_REAL(decltype(&SeamMessageBoxA), MessageBoxA)(owner, text, caption, type);
    }
    MessageBoxLogAnswer(entry, answer);
    return answer;
}

} // namespace

SEAM_INSTALL(MessageBoxA, SeamMessageBoxA)
