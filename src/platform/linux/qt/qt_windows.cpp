// Window handles and the calls that work on any window: the registry that makes a stale or
// bogus HWND fail instead of crashing, message dispatch, text, state, focus and geometry.
#include <QApplication>
#include <QMenuBar>
#include <QPalette>

#include <algorithm>
#include <climits>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "platform/linux/qt/qt_internal.h"
#include "platform/linux/seam_points.h"

// The drawing records stay opaque in win32.h; this layer gives them a body.
struct HDC__ {
    COLORREF textColor;
    int bkMode;
};
struct HBRUSH__ {
    int index;
};

namespace {
constexpr DWORD kErrorControlIdNotFound = 1421;
constexpr COLORREF kInvalidColor = 0xFFFFFFFF;
constexpr int kSysColorCount = 31;
const char* const kHandleProperty = "salvorinHwnd";

std::mutex g_registryMutex;
// Handles are numbers never reused, so a stale handle cannot reach a newer window.
std::unordered_map<uintptr_t, qtplat::WindowRef>* g_windows = nullptr;
std::unordered_map<uintptr_t, std::shared_ptr<qtplat::Menu>>* g_menus = nullptr;
uintptr_t g_nextHandle = 0x10000;

std::vector<HDC__*> g_liveDcs; // GUI thread only
struct StockBrushes {
    HBRUSH__ brushes[kSysColorCount];
    StockBrushes()
    {
        for (int i = 0; i < kSysColorCount; ++i) {
            brushes[i].index = i;
        }
    }
};
StockBrushes g_stock;

uintptr_t NewHandle()
{
    g_nextHandle += 4;
    return g_nextHandle;
}

int CopyOut(const std::string& text, LPSTR buffer, int size)
{
    if (buffer == nullptr || size <= 0) {
        return 0;
    }
    lstrcpynA(buffer, text.c_str(), size);
    return static_cast<int>(strlen(buffer));
}

COLORREF ToColorRef(const QColor& color)
{
    return RGB(color.red(), color.green(), color.blue());
}

LRESULT DialogDefault(const qtplat::WindowRef& dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    QWidget* widget = dialog->widget;
    switch (message) {
    case WM_SETTEXT: {
        dialog->text = lParam != 0 ? reinterpret_cast<const char*>(lParam) : "";
        if (widget != nullptr) {
            widget->setWindowTitle(QString::fromUtf8(dialog->text.c_str()));
        }
        return TRUE;
    }
    case WM_GETTEXT:
        return CopyOut(dialog->text, reinterpret_cast<LPSTR>(lParam), static_cast<int>(wParam));
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(dialog->text.size());
    case WM_SETICON: {
        const int which = wParam == ICON_SMALL ? ICON_SMALL : ICON_BIG;
        HICON icon = reinterpret_cast<HICON>(lParam);
        if (icon != nullptr && !qtplat::IsIcon(icon)) {
            return 0;
        }
        HICON previous = dialog->icons[which];
        dialog->icons[which] = icon;
        HICON shown = dialog->icons[ICON_BIG] != nullptr ? dialog->icons[ICON_BIG]
                                                         : dialog->icons[ICON_SMALL];
        if (widget != nullptr) {
            widget->setWindowIcon(shown != nullptr ? *qtplat::IconImage(shown) : QIcon());
        }
        return reinterpret_cast<LRESULT>(previous);
    }
    case WM_CLOSE: {
        HWND cancel = nullptr;
        for (const qtplat::WindowRef& control : dialog->controls) {
            if (control->id == IDCANCEL) {
                cancel = control->handle;
            }
        }
        qtplat::DispatchMessage(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                                reinterpret_cast<LPARAM>(cancel));
        return 0;
    }
    default:
        return 0;
    }
}

qtplat::WindowRef FindControl(HWND dialog, int id)
{
    qtplat::WindowRef owner = qtplat::FindWindow(dialog);
    if (!owner) {
        return nullptr;
    }
    for (const qtplat::WindowRef& control : owner->controls) {
        if (control->id == id && !control->destroyed) {
            return control;
        }
    }
    SetLastError(kErrorControlIdNotFound);
    return nullptr;
}
} // namespace

namespace qtplat {

WindowRef RegisterWindow(Kind kind, QWidget* widget)
{
    auto window = std::make_shared<Window>();
    window->kind = kind;
    window->widget = widget;
    std::lock_guard<std::mutex> lock(g_registryMutex);
    if (g_windows == nullptr) {
        g_windows = new std::unordered_map<uintptr_t, WindowRef>;
    }
    const uintptr_t handle = NewHandle();
    window->handle = reinterpret_cast<HWND>(handle);
    (*g_windows)[handle] = window;
    if (widget != nullptr) {
        widget->setProperty(kHandleProperty, QVariant::fromValue<qulonglong>(handle));
    }
    return window;
}

WindowRef LookupWindow(HWND handle)
{
    std::lock_guard<std::mutex> lock(g_registryMutex);
    if (g_windows == nullptr || handle == nullptr) {
        return nullptr;
    }
    auto found = g_windows->find(reinterpret_cast<uintptr_t>(handle));
    return found == g_windows->end() ? nullptr : found->second;
}

WindowRef FindWindow(HWND handle)
{
    WindowRef window = LookupWindow(handle);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    }
    return window;
}

std::vector<WindowRef> OwnedDialogs(HWND owner)
{
    std::vector<WindowRef> owned;
    std::lock_guard<std::mutex> lock(g_registryMutex);
    if (g_windows != nullptr) {
        for (const auto& entry : *g_windows) {
            if (entry.second->kind == Kind::Dialog && entry.second->owner == owner) {
                owned.push_back(entry.second);
            }
        }
    }
    return owned;
}

void UnregisterWindow(Window* window)
{
    std::lock_guard<std::mutex> lock(g_registryMutex);
    window->destroyed = true;
    if (g_windows != nullptr) {
        g_windows->erase(reinterpret_cast<uintptr_t>(window->handle));
    }
}

WindowRef WindowOfWidget(const QWidget* widget)
{
    for (const QWidget* current = widget; current != nullptr; current = current->parentWidget()) {
        const QVariant handle = current->property(kHandleProperty);
        if (handle.isValid()) {
            return LookupWindow(reinterpret_cast<HWND>(handle.toULongLong()));
        }
    }
    return nullptr;
}

HMENU RegisterMenu(const std::shared_ptr<Menu>& menu)
{
    std::lock_guard<std::mutex> lock(g_registryMutex);
    if (g_menus == nullptr) {
        g_menus = new std::unordered_map<uintptr_t, std::shared_ptr<Menu>>;
    }
    const uintptr_t handle = NewHandle();
    menu->handle = reinterpret_cast<HMENU>(handle);
    (*g_menus)[handle] = menu;
    return menu->handle;
}

std::shared_ptr<Menu> FindMenu(HMENU handle)
{
    std::lock_guard<std::mutex> lock(g_registryMutex);
    if (g_menus != nullptr) {
        auto found = g_menus->find(reinterpret_cast<uintptr_t>(handle));
        if (found != g_menus->end()) {
            return found->second;
        }
    }
    return nullptr;
}

void UnregisterMenu(HMENU handle)
{
    std::lock_guard<std::mutex> lock(g_registryMutex);
    if (g_menus != nullptr) {
        g_menus->erase(reinterpret_cast<uintptr_t>(handle));
    }
}

int MulDivRound(int value, int numerator, int denominator)
{
    if (denominator == 0) {
        return -1;
    }
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = (denominator < 0 ? -denominator : denominator) / 2;
    const long long rounded = product >= 0 ? product + half : product - half;
    return static_cast<int>(rounded / denominator);
}

INT_PTR CallDialogProc(const WindowRef& dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!dialog || dialog->destroyed || dialog->proc == nullptr) {
        return 0;
    }
    return dialog->proc(dialog->handle, message, wParam, lParam);
}

LRESULT DispatchMessage(const WindowRef& window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!window || window->destroyed) {
        return 0;
    }
    if (window->kind != Kind::Dialog) {
        return ControlMessage(window, message, wParam, lParam);
    }
    // The procedure's answer stands when it handled the message (Win32 would hand back
    // DWLP_MSGRESULT for most messages; the program never sets that).
    const INT_PTR handled = CallDialogProc(window, message, wParam, lParam);
    if (handled != 0 || window->destroyed) {
        return handled;
    }
    return DialogDefault(window, message, wParam, lParam);
}

void NotifyParent(HWND control, int code)
{
    WindowRef window = LookupWindow(control);
    if (!window || window->dialog == nullptr) {
        return;
    }
    WindowRef dialog = LookupWindow(window->dialog);
    DispatchMessage(dialog, WM_COMMAND, MAKEWPARAM(window->id, code),
                    reinterpret_cast<LPARAM>(control));
}

void NotifyScroll(HWND trackbar, int code, int position)
{
    WindowRef window = LookupWindow(trackbar);
    if (!window || window->dialog == nullptr) {
        return;
    }
    WindowRef dialog = LookupWindow(window->dialog);
    const bool thumb = code == TB_THUMBTRACK || code == TB_THUMBPOSITION;
    DispatchMessage(dialog, WM_HSCROLL, MAKEWPARAM(code, thumb ? position : 0),
                    reinterpret_cast<LPARAM>(trackbar));
}

QColor SysColor(int index)
{
    const QPalette palette = QApplication::palette();
    switch (index) {
    case COLOR_BTNFACE:
        return palette.color(QPalette::Button);
    default:
        return palette.color(QPalette::Window);
    }
}

bool StaticColorQuery(HWND control, COLORREF* color, HBRUSH* brush)
{
    WindowRef window = LookupWindow(control);
    if (!window || window->dialog == nullptr) {
        return false;
    }
    WindowRef dialog = LookupWindow(window->dialog);
    HDC__ dc{ToColorRef(QApplication::palette().color(QPalette::WindowText)), OPAQUE};
    g_liveDcs.push_back(&dc);
    const INT_PTR answer = CallDialogProc(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(&dc),
                                          reinterpret_cast<LPARAM>(control));
    g_liveDcs.erase(std::find(g_liveDcs.begin(), g_liveDcs.end(), &dc));
    if (answer == 0) {
        return false;
    }
    if (color != nullptr) {
        *color = dc.textColor;
    }
    if (brush != nullptr) {
        *brush = reinterpret_cast<HBRUSH>(answer);
    }
    return true;
}

bool StockBrushColor(HBRUSH brush, QColor* color)
{
    for (int i = 0; i < kSysColorCount; ++i) {
        if (brush == &g_stock.brushes[i]) {
            *color = SysColor(i);
            return true;
        }
    }
    return false;
}

} // namespace qtplat

using qtplat::WindowRef;

BOOL IsWindow(HWND window)
{
    return qtplat::LookupWindow(window) ? TRUE : FALSE;
}

HWND GetDlgItem(HWND dialog, int id)
{
    CARRY_TO_GUI(HWND, GetDlgItem(dialog, id));
    WindowRef control = FindControl(dialog, id);
    return control ? control->handle : nullptr;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CARRY_TO_GUI(LRESULT, SendMessageA(window, message, wParam, lParam));
    WindowRef record = qtplat::FindWindow(window);
    if (!record) {
        return 0;
    }
    return qtplat::DispatchMessage(record, message, wParam, lParam);
}

BOOL EnableWindow(HWND window, BOOL enable)
{
    CARRY_TO_GUI(BOOL, EnableWindow(window, enable));
    WindowRef record = qtplat::FindWindow(window);
    if (!record) {
        return FALSE;
    }
    const BOOL wasDisabled = (record->style & WS_DISABLED) != 0 ? TRUE : FALSE;
    if (enable) {
        record->style &= ~static_cast<DWORD>(WS_DISABLED);
    } else {
        record->style |= WS_DISABLED;
    }
    if (record->kind == qtplat::Kind::Dialog) {
        // Disabling a Qt window would disable the dialogs it owns too: only its contents go.
        if (record->client != nullptr) {
            record->client->setEnabled(enable != FALSE);
        }
        if (record->menu && record->menu->bar != nullptr) {
            record->menu->bar->setEnabled(enable != FALSE);
        }
    } else if (record->widget != nullptr) {
        record->widget->setEnabled(enable != FALSE);
    }
    return wasDisabled;
}

BOOL ShowWindow(HWND window, int command)
{
    CARRY_TO_GUI(BOOL, ShowWindow(window, command));
    WindowRef record = qtplat::FindWindow(window);
    if (!record || record->widget == nullptr) {
        return FALSE;
    }
    QWidget* widget = record->widget;
    const BOOL wasVisible = widget->isHidden() ? FALSE : TRUE;
    if (command == SW_HIDE) {
        widget->hide();
        record->style &= ~static_cast<DWORD>(WS_VISIBLE);
    } else {
        widget->show();
        record->style |= WS_VISIBLE;
        if (widget->isWindow()) {
            widget->activateWindow();
        }
    }
    return wasVisible;
}

BOOL SetWindowTextA(HWND window, LPCSTR text)
{
    CARRY_TO_GUI(BOOL, SetWindowTextA(window, text));
    WindowRef record = qtplat::FindWindow(window);
    if (!record) {
        return FALSE;
    }
    qtplat::DispatchMessage(record, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    return TRUE;
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned)
{
    if (translated != nullptr) {
        *translated = FALSE;
    }
    CARRY_TO_GUI(UINT, GetDlgItemInt(dialog, id, translated, isSigned));
    WindowRef control = FindControl(dialog, id);
    if (!control) {
        return 0;
    }
    const std::string text = qtplat::ControlText(*control);
    const char* p = text.c_str();
    while (*p == ' ' || *p == '\t') {
        ++p;
    }
    bool negative = false;
    if (*p == '-' && isSigned) {
        negative = true;
        ++p;
    }
    if (*p < '0' || *p > '9') {
        return 0;
    }
    unsigned long long value = 0;
    while (*p >= '0' && *p <= '9') {
        value = value * 10 + static_cast<unsigned>(*p - '0');
        if (value > 0xFFFFFFFFull) {
            return 0;
        }
        ++p;
    }
    while (*p == ' ' || *p == '\t') {
        ++p;
    }
    if (*p != '\0') {
        return 0;
    }
    if (isSigned) {
        const unsigned long long limit =
            negative ? static_cast<unsigned long long>(INT_MAX) + 1 : INT_MAX;
        if (value > limit) {
            return 0;
        }
    }
    if (translated != nullptr) {
        *translated = TRUE;
    }
    const long long signedValue =
        negative ? -static_cast<long long>(value) : static_cast<long long>(value);
    return static_cast<UINT>(signedValue);
}

HWND GetFocus()
{
    CARRY_TO_GUI(HWND, GetFocus());
    QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr && QApplication::activeWindow() != nullptr) {
        focus = QApplication::activeWindow()->focusWidget();
    }
    if (focus == nullptr) {
        return nullptr;
    }
    WindowRef record = qtplat::WindowOfWidget(focus);
    return record ? record->handle : nullptr;
}

HWND SetFocus(HWND window)
{
    CARRY_TO_GUI(HWND, SetFocus(window));
    WindowRef record = qtplat::FindWindow(window);
    if (!record || record->widget == nullptr) {
        return nullptr;
    }
    HWND previous = GetFocus();
    QWidget* widget = record->widget;
    if (!widget->isEnabled()) {
        return previous;
    }
    // Headless platforms activate nothing by themselves; keyboard focus needs an active window.
    QWidget* top = widget->window();
    if (top->isVisible() && QApplication::activeWindow() != top) {
        top->activateWindow();
        QApplication::setActiveWindow(top);
    }
    widget->setFocus(Qt::OtherFocusReason);
    return previous;
}

BOOL GetClientRect(HWND window, RECT* rect)
{
    CARRY_TO_GUI(BOOL, GetClientRect(window, rect));
    WindowRef record = qtplat::FindWindow(window);
    if (!record || record->widget == nullptr || rect == nullptr) {
        return FALSE;
    }
    QWidget* area = record->client != nullptr ? record->client.data() : record->widget.data();
    *rect = RECT{0, 0, area->width(), area->height()};
    return TRUE;
}

BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase)
{
    CARRY_TO_GUI(BOOL, InvalidateRect(window, rect, erase));
    static_cast<void>(erase); // Qt paints the background of every update
    WindowRef record = qtplat::FindWindow(window);
    if (!record || record->widget == nullptr) {
        return FALSE;
    }
    QWidget* area = record->client != nullptr ? record->client.data() : record->widget.data();
    if (rect == nullptr) {
        area->update();
    } else {
        area->update(
            QRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top));
    }
    return TRUE;
}

COLORREF SetTextColor(HDC dc, COLORREF color)
{
    if (std::find(g_liveDcs.begin(), g_liveDcs.end(), dc) == g_liveDcs.end()) {
        return kInvalidColor;
    }
    const COLORREF previous = dc->textColor;
    dc->textColor = color;
    return previous;
}

int SetBkMode(HDC dc, int mode)
{
    if (std::find(g_liveDcs.begin(), g_liveDcs.end(), dc) == g_liveDcs.end() ||
        (mode != TRANSPARENT && mode != OPAQUE)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const int previous = dc->bkMode;
    dc->bkMode = mode;
    return previous;
}

HBRUSH GetSysColorBrush(int index)
{
    if (index < 0 || index >= kSysColorCount) {
        return nullptr;
    }
    return &g_stock.brushes[index];
}

BOOL InitCommonControls()
{
    return TRUE;
}
