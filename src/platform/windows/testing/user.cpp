// Acting as the user on the system's own windows, and the modal loops a test reaches into.
// A user action sends what the system would send for it (the notification to the dialog),
// and does nothing where a user could not act: a disabled control or window.
#include <atomic>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <shlobj.h>

#include "platform/windows/testing/wrap.h"

namespace {

// The dialog procedures of the modal dialogs, so the seam's procedure can stand in front.
struct ModalDialog {
    DLGPROC proc;
    LPARAM param;
};
thread_local ModalDialog t_starting = {nullptr, 0};
std::map<HWND, DLGPROC> g_procedures; // GUI thread only
std::vector<HWND> g_modal;            // innermost last
std::function<void(HWND)> g_nextModalAction;
const UINT g_runAction = RegisterWindowMessageA("SalvorinTestRunModalAction");
// While a modal action waits to run, another thread's SendMessageA waits for it. The Linux
// flavour delivers sent and posted messages in the order they came, so the action (posted
// when the dialog starts) runs before a worker's later wait is answered; Windows answers sent
// messages first, and the action would land at a point that depends on the machine's speed.
std::atomic<bool> g_actionAwaited{false};
DWORD g_actionThread = 0;
HANDLE g_actionRan = CreateEventA(nullptr, TRUE, TRUE, nullptr);

void ActionDone()
{
    g_actionAwaited = false;
    SetEvent(g_actionRan);
}

SEAM_REAL_ENTRY(DialogBoxParamA)
SEAM_REAL_ENTRY(CreateDialogParamA)

INT_PTR CALLBACK ModalProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto found = g_procedures.find(dialog);
    if (found == g_procedures.end()) {
        if (t_starting.proc == nullptr) {
            return FALSE;
        }
        found = g_procedures.emplace(dialog, t_starting.proc).first;
        g_modal.push_back(dialog);
    }
    const DLGPROC proc = found->second;
    if (message == g_runAction && g_runAction != 0) {
        std::function<void(HWND)> action = std::move(g_nextModalAction);
        g_nextModalAction = nullptr;
        if (action) {
            action(dialog);
        }
        ActionDone();
        return TRUE;
    }
    if (message == WM_INITDIALOG) {
        const LPARAM param = t_starting.param;
        t_starting = {nullptr, 0};
        const INT_PTR result = proc(dialog, message, wParam, param);
        if (g_nextModalAction) {
            PostSystemMessage(dialog, g_runAction, 0, 0); // runs once the loop has started
        }
        return result;
    }
    const INT_PTR result = proc(dialog, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        if (g_nextModalAction == nullptr) {
            ActionDone(); // ended before its action ran: nobody waits for it any more
        }
        g_procedures.erase(dialog);
        std::erase(g_modal, dialog);
    }
    return result;
}

INT_PTR WINAPI SeamDialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc,
                                   LPARAM param)
{
    DWORD code = 0;
    if (FaultShouldFail("DialogBoxParamA", &code)) {
        SetLastError(code);
        return -1;
    }
    t_starting = {proc, param};
    using Call = INT_PTR(WINAPI*)(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM);
    const INT_PTR result =
        SEAM_REAL(Call, DialogBoxParamA)(instance, name, parent, ModalProc, param);
    t_starting = {nullptr, 0};
    return result;
}

HWND WINAPI SeamCreateDialogParamA(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc,
                                   LPARAM param)
{
    DWORD code = 0;
    if (FaultShouldFail("CreateDialogParamA", &code)) {
        SetLastError(code);
        return nullptr;
    }
    using Call = HWND(WINAPI*)(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM);
    return SEAM_REAL(Call, CreateDialogParamA)(instance, name, parent, proc, param);
}

// Whether a user could act on `window` now: it and its dialog are enabled.
bool CanAct(HWND window)
{
    if (!IsWindow(window) || !IsWindowEnabled(window)) {
        return false;
    }
    const HWND root = GetAncestor(window, GA_ROOT);
    return root == nullptr || IsWindowEnabled(root);
}

void Notify(HWND control, WORD code)
{
    SendMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
                 reinterpret_cast<LPARAM>(control));
}

} // namespace

SEAM_REAL_ENTRY(SendMessageA)

LRESULT WINAPI SeamSendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (g_actionAwaited && GetCurrentThreadId() != g_actionThread) {
        WaitForSingleObject(g_actionRan, 60000);
    }
    using Call = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
    return SEAM_REAL(Call, SendMessageA)(window, message, wParam, lParam);
}

SEAM_INSTALL(DialogBoxParamA, SeamDialogBoxParamA)
SEAM_INSTALL(SendMessageA, SeamSendMessageA)
SEAM_INSTALL(CreateDialogParamA, SeamCreateDialogParamA)

void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void UserClick(HWND control)
{
    if (CanAct(control)) {
        Notify(control, BN_CLICKED);
    }
}

void UserPickComboRow(HWND combo, int row)
{
    if (CanAct(combo) && SendMessageA(combo, CB_SETCURSEL, row, 0) != CB_ERR) {
        Notify(combo, CBN_SELCHANGE);
    }
}

void UserTypeComboText(HWND combo, const char* text)
{
    // Keystrokes into the combo box's edit field over its whole text, so its limit holds and
    // the combo box itself tells the dialog of each change.
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    if (!CanAct(combo) || !GetComboBoxInfo(combo, &info) || info.hwndItem == nullptr) {
        return;
    }
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0); // typing leaves the list
    if (*text == '\0') {
        // Emptied with Backspace: Wine's edit field does not report a cleared selection.
        SetWindowTextA(combo, "");
        Notify(combo, CBN_EDITCHANGE);
        return;
    }
    SendMessageA(info.hwndItem, EM_SETSEL, 0, -1);
    for (const char* c = text; *c != '\0'; ++c) {
        SendMessageA(info.hwndItem, WM_CHAR, static_cast<unsigned char>(*c), 0);
    }
}

// What the dialog manager does with the key (IsDialogMessage): Escape is Cancel, Enter
// the default button.
void UserPressKey(HWND window, int key)
{
    if (!CanAct(window)) {
        return;
    }
    const HWND dialog = GetAncestor(window, GA_ROOT);
    WORD id = IDCANCEL;
    if (key == PlatformKeyEnter) {
        const LRESULT defaultId = SendMessageA(dialog, DM_GETDEFID, 0, 0);
        id = HIWORD(defaultId) == DC_HASDEFID ? LOWORD(defaultId) : IDOK;
        const HWND button = GetDlgItem(dialog, id);
        if (button != nullptr && !IsWindowEnabled(button)) {
            return;
        }
    }
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void UserCloseWindow(HWND window)
{
    if (CanAct(window)) {
        SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
}

void UserOpenMenu(HWND window, int index)
{
    const HMENU menu = GetMenu(window);
    if (!CanAct(window) || menu == nullptr) {
        return;
    }
    SendMessageA(window, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
    SendMessageA(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(GetSubMenu(menu, index)),
                 index);
}

void UserChooseMenuItem(HWND window, UINT id)
{
    const HMENU menu = GetMenu(window);
    if (!CanAct(window) || menu == nullptr) {
        return;
    }
    for (int index = 0; index < GetMenuItemCount(menu); ++index) {
        const HMENU popup = GetSubMenu(menu, index);
        if (popup != nullptr && GetMenuState(popup, id, MF_BYCOMMAND) != static_cast<UINT>(-1)) {
            UserOpenMenu(window, index);
            break;
        }
    }
    const UINT state = GetMenuState(menu, id, MF_BYCOMMAND);
    if (state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED)) == 0) {
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    }
}

// Keys go to the trackbar itself, which moves and tells the dialog as it does for a user
// (the code on the key, TB_ENDTRACK when it is let go); the thumb is moved as the mouse
// would drag it.
void UserSlider(HWND slider, int scrollCode, int position)
{
    if (!CanAct(slider)) {
        return;
    }
    const HWND dialog = GetParent(slider);
    const LPARAM from = reinterpret_cast<LPARAM>(slider);
    WPARAM key = 0;
    switch (scrollCode) {
    case TB_LINEUP:
        key = VK_LEFT;
        break;
    case TB_LINEDOWN:
        key = VK_RIGHT;
        break;
    case TB_PAGEUP:
        key = VK_PRIOR;
        break;
    case TB_PAGEDOWN:
        key = VK_NEXT;
        break;
    case TB_TOP:
        key = VK_HOME;
        break;
    case TB_BOTTOM:
        key = VK_END;
        break;
    case TB_THUMBTRACK:
        SendMessageA(slider, TBM_SETPOS, TRUE, position);
        SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, position), from);
        return;
    case TB_THUMBPOSITION:
        // The thumb is dragged there, then let go.
        SendMessageA(slider, TBM_SETPOS, TRUE, position);
        SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, position), from);
        SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position), from);
        SendMessageA(dialog, WM_HSCROLL, TB_ENDTRACK, from);
        return;
    default:
        return;
    }
    SendMessageA(slider, WM_KEYDOWN, key, 1);
    SendMessageA(slider, WM_KEYUP, key, (1u << 31) | (1u << 30) | 1);
}

bool QueryStaticTextColor(HWND control, COLORREF* color, HBRUSH* brush)
{
    const HDC dc = GetDC(control);
    if (dc == nullptr) {
        return false;
    }
    const COLORREF before = GetTextColor(dc);
    // The dialog procedure itself: through SendMessage the system's default handling would
    // answer with the dialog's own brush for every static the procedure leaves alone.
    const HWND dialog = GetParent(control);
    const auto proc = reinterpret_cast<DLGPROC>(GetWindowLongPtrA(dialog, DWLP_DLGPROC));
    const HBRUSH answer =
        proc == nullptr
            ? nullptr
            : reinterpret_cast<HBRUSH>(proc(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                            reinterpret_cast<LPARAM>(control)));
    *color = answer != nullptr ? GetTextColor(dc) : before;
    *brush = answer;
    ReleaseDC(control, dc);
    return answer != nullptr;
}

std::string MenuItemText(HMENU menu, UINT id)
{
    char text[256] = "";
    if (GetMenuStringA(menu, id, text, sizeof text, MF_BYCOMMAND) <= 0) {
        return "";
    }
    return text;
}

HICON WindowIcon(HWND window, int which)
{
    return reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, which, 0));
}

// The icon drawn at `scale` over black and over white: a pixel that differs is clear.
COLORREF IconPixel(HICON icon, int scale, int x, int y)
{
    ICONINFO info = {};
    if (icon == nullptr || !GetIconInfo(icon, &info)) {
        return 0xFFFFFFFF;
    }
    BITMAP bitmap = {};
    GetObjectA(info.hbmMask, sizeof bitmap, &bitmap);
    const int width = bitmap.bmWidth;
    const int height = info.hbmColor != nullptr ? bitmap.bmHeight : bitmap.bmHeight / 2;
    DeleteObject(info.hbmMask);
    if (info.hbmColor != nullptr) {
        DeleteObject(info.hbmColor);
    }
    if (x < 0 || y < 0 || x >= width * scale || y >= height * scale) {
        return 0xFFFFFFFF;
    }
    COLORREF seen[2] = {0, 0};
    const HDC screen = GetDC(nullptr);
    for (int pass = 0; pass < 2; ++pass) {
        const HDC dc = CreateCompatibleDC(screen);
        const HBITMAP target = CreateCompatibleBitmap(screen, width * scale, height * scale);
        const HGDIOBJ old = SelectObject(dc, target);
        const RECT all = {0, 0, width * scale, height * scale};
        FillRect(dc, &all,
                 static_cast<HBRUSH>(GetStockObject(pass == 0 ? BLACK_BRUSH : WHITE_BRUSH)));
        DrawIconEx(dc, 0, 0, icon, width * scale, height * scale, 0, nullptr, DI_NORMAL);
        seen[pass] = GetPixel(dc, x, y);
        SelectObject(dc, old);
        DeleteObject(target);
        DeleteDC(dc);
    }
    ReleaseDC(nullptr, screen);
    return seen[0] == seen[1] ? seen[0] : 0xFFFFFFFF;
}

HWND ActiveModalDialog()
{
    return g_modal.empty() ? nullptr : g_modal.back();
}

void OnNextModalLoop(std::function<void(HWND dialog)> action)
{
    g_nextModalAction = std::move(action);
    g_actionThread = GetCurrentThreadId();
    if (g_nextModalAction) {
        ResetEvent(g_actionRan);
        g_actionAwaited = true;
    } else {
        ActionDone();
    }
}

// What the shell does when files are dropped on a window that accepts them: the paths in
// one DROPFILES block, posted as WM_DROPFILES; DragFinish frees it. Anything that is not a
// local file (a web link) never becomes WM_DROPFILES.
bool UserDropUrls(HWND window, const std::vector<std::string>& urls)
{
    if ((GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) == 0 || urls.empty()) {
        return false;
    }
    const std::string scheme = "file://";
    std::string paths;
    for (const std::string& url : urls) {
        if (url.compare(0, scheme.size(), scheme) != 0) {
            return false;
        }
        paths += url.substr(scheme.size());
        paths += '\0';
    }
    paths += '\0';
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + paths.size());
    if (block == nullptr) {
        return false;
    }
    auto* header = static_cast<DROPFILES*>(GlobalLock(block));
    if (header == nullptr) {
        GlobalFree(block);
        return false;
    }
    header->pFiles = sizeof(DROPFILES);
    header->fWide = FALSE;
    memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), paths.data(), paths.size());
    GlobalUnlock(block);
    if (!PostSystemMessage(window, WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0)) {
        GlobalFree(block);
        return false;
    }
    return true;
}
