// Internal to the Qt half of the platform layer: the records behind HWND, HMENU, HICON and
// HDC, the window registry, and the hand-over of work to the GUI thread.
#pragma once

#include <QPointer>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32.h"

class QAction;
class QMimeData;
class QEventLoop;
class QIcon;
class QMenu;
class QMenuBar;
class QPainter;

namespace qtplat {

enum class Kind {
    Dialog,
    PushButton,
    RadioButton,
    CheckBox,
    GroupBox,
    Static,
    IconStatic,
    BitmapStatic,
    Combo,
    Trackbar,
    Progress,
};

struct Menu;
struct ControlClass; // qt_control_class.h

// What an HWND stands for. Records are shared: code that calls out to a dialog
// procedure keeps its own reference, because the procedure may destroy the window.
struct Window {
    HWND handle = nullptr;
    Kind kind = Kind::Dialog;
    QPointer<QWidget> widget;
    int id = -1;
    std::string className;
    DWORD style = 0;
    DWORD exStyle = 0;
    std::string text; // as the program set it (mnemonic '&' included)
    bool destroyed = false;

    // Controls: the dialog that owns them, and their class's widget and messages.
    HWND dialog = nullptr;
    const ControlClass* controlClass = nullptr;

    // Dialogs.
    HWND owner = nullptr;
    DLGPROC proc = nullptr;
    HINSTANCE instance = nullptr;
    QPointer<QWidget> client; // the Win32 client area (below the menu bar)
    std::shared_ptr<Menu> menu;
    int baseX = 1;
    int baseY = 1;
    bool modal = false;
    bool enabled = true; // WS_DISABLED of a top-level window (Qt would disable its children)
    std::atomic<bool> endRequested{false};
    std::atomic<INT_PTR> result{0};
    QEventLoop* loop = nullptr;
    HICON icons[2] = {nullptr, nullptr};
    std::vector<std::shared_ptr<Window>> controls; // template order

    // Bitmap statics: the bitmap STM_SETIMAGE gave (the program keeps and deletes it).
    HBITMAP image = nullptr;

    // Combo boxes: the user typed since a row was last picked or set (no selection then).
    bool comboEdited = false;

    // Progress bars keep the Win32 numbers; the widget only shows them.
    int pbMin = 0;
    int pbMax = 100;
    int pbPos = 0;
    int pbStep = 10;
};
using WindowRef = std::shared_ptr<Window>;

struct MenuItem {
    UINT id = 0;
    UINT flags = 0;
    std::string text;
    QAction* action = nullptr;
    int popupIndex = -1; // which pop-up of the bar holds it
};

struct Menu {
    HMENU handle = nullptr;
    QPointer<QMenuBar> bar;
    std::vector<QPointer<QMenu>> popups;
    std::vector<MenuItem> items;
    HWND window = nullptr;
};

struct Icon;

// What an HBITMAP from CreateDIBSection stands for (qt_bitmaps.cpp).
struct Bitmap {
    LONG width = 0;
    LONG height = 0;
    bool topDown = false;
    uint32_t* pixels = nullptr;
};

// ---- registry (qt_windows.cpp) ----
// New record with a fresh handle, registered.
WindowRef RegisterWindow(Kind kind, QWidget* widget);
// The local files a drag carries, as program paths (qt_drop_files.cpp).
std::vector<std::string> LocalFilesOf(const QMimeData* data);
// Posts WM_DROPFILES with the paths to the window; false when there are none.
bool PostDroppedFiles(const WindowRef& window, std::vector<std::string> paths);
// The live record of `handle`, or null (last error ERROR_INVALID_WINDOW_HANDLE).
WindowRef FindWindow(HWND handle);
// The same without touching the last error (for the platform's own bookkeeping).
WindowRef LookupWindow(HWND handle);
// Marks the record destroyed and drops it from the registry.
void UnregisterWindow(Window* window);
// The record of a widget (or of the nearest ancestor that has one).
WindowRef WindowOfWidget(const QWidget* widget);
HMENU RegisterMenu(const std::shared_ptr<Menu>& menu);
std::shared_ptr<Menu> FindMenu(HMENU handle);
// A command item by id, or (MF_BYPOSITION) a pop-up by its place in the bar; null if none.
MenuItem* FindMenuItem(Menu& menu, UINT id, UINT flags);
void UnregisterMenu(HMENU handle);

// Sends to a window on the GUI thread: a dialog's procedure and default handling, or a
// control's own messages.
LRESULT DispatchMessage(const WindowRef& window, UINT message, WPARAM wParam, LPARAM lParam);
// Calls the dialog procedure only (notifications that have no default handling).
INT_PTR CallDialogProc(const WindowRef& dialog, UINT message, WPARAM wParam, LPARAM lParam);
// WM_COMMAND from a control to its dialog.
void NotifyParent(HWND control, int code);
// WM_HSCROLL from a trackbar to its dialog.
void NotifyScroll(HWND trackbar, int code, int position);
// The dialog's WM_CTLCOLORSTATIC answer for a static control.
bool StaticColorQuery(HWND control, COLORREF* color, HBRUSH* brush);
int MulDivRound(int value, int numerator, int denominator);

// ---- controls (qt_controls.cpp; each class in its own file, qt_control_class.h) ----
// Builds, registers and places one template item in the dialog's client area.
WindowRef CreateControl(const WindowRef& dialog, const DLGITEM_DATA& item);
LRESULT ControlMessage(const WindowRef& control, UINT message, WPARAM wParam, LPARAM lParam);
void SetControlText(Window& control, const char* text);
std::string ControlText(const Window& control);
QColor SysColor(int index);
// The colour of one of GetSysColorBrush's brushes; false for any other handle.
bool StockBrushColor(HBRUSH brush, QColor* color);

// ---- bitmaps (qt_bitmaps.cpp) ----
// A copy of the live bitmap's record (its pixels are not copied); false for any other handle.
bool BitmapPixels(HBITMAP bitmap, Bitmap* view);
// Paints the live bitmap scaled into `target`; false (nothing painted) for any other handle.
bool DrawBitmap(HBITMAP bitmap, QPainter* painter, const QRect& target);

// ---- dialogs (qt_dialogs.cpp) ----
// The dialogs running modally, innermost last (GUI thread only).
extern std::vector<HWND> ModalDialogs;
// Builds the dialog of a template, its controls and menu, hidden; null on failure.
WindowRef BuildDialog(HINSTANCE instance, const DLGTEMPLATE_DATA& tpl, HWND parent, DLGPROC proc,
                      bool modal);
void ShowDialog(const WindowRef& dialog);
void FocusFirstTabStop(const WindowRef& dialog);
void DestroyDialog(const WindowRef& dialog);
// Live dialogs whose owner is `owner`.
std::vector<WindowRef> OwnedDialogs(HWND owner);

// ---- resources (qt_resources.cpp) ----
const DLGTEMPLATE_DATA* FindDialogTemplate(HINSTANCE instance, LPCSTR name);
std::shared_ptr<Menu> BuildMenuBar(HINSTANCE instance, WORD menuId, QWidget* window, HWND owner);
bool IsIcon(HICON icon);
const QIcon* IconImage(HICON icon);
QSize IconSize(HICON icon);
HICON LoadIconFromModule(HINSTANCE instance, int id);

// ---- the GUI thread (qt_application.cpp) ----
bool OnGuiThread();
// Runs the work queued for the GUI thread now (GUI thread only).
void DrainGuiQueue();
// True once a termination signal has ended the session: no box or file dialog opens.
bool SessionEnding();
// Turns SIGTERM, SIGINT and SIGHUP into WM_ENDSESSION for every dialog (qt_session_end.cpp).
void WatchEndingSignals(QObject* parent);
// Runs `work` on the GUI thread and waits for it; the last error set there is carried back.
void RunOnGui(const std::function<void()>& work);
// Queues `work` for the GUI thread; delivered in order with posted messages by whatever
// loop runs (nested ones included) or by PumpMessages.
void QueueForGui(std::function<void()> work);

} // namespace qtplat

// Carries a call made on another thread over to the GUI thread: the enclosing function
// returns what the same call returned there.
#define CARRY_TO_GUI(type, call)                                                                   \
    do {                                                                                           \
        if (!qtplat::OnGuiThread()) {                                                              \
            type carried{};                                                                        \
            qtplat::RunOnGui([&] { carried = call; });                                             \
            return carried;                                                                        \
        }                                                                                          \
    } while (0)
