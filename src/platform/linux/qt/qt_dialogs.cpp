// Dialogs built from templates: creation, the modal loop, EndDialog and destruction, and
// the dialog keys (Escape, Enter) and close box routed to the dialog procedure.
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <vector>

#include "platform/linux/qt/qt_internal.h"
#include "platform/linux/seam_points.h"

namespace {
using qtplat::Kind;
using qtplat::WindowRef;

constexpr DWORD kErrorCannotFindWindowClass = 1407;

HWND ControlHandle(const WindowRef& dialog, int id)
{
    for (const WindowRef& control : dialog->controls) {
        if (control->id == id && !control->destroyed) {
            return control->handle;
        }
    }
    return nullptr;
}

void SendCommand(const WindowRef& dialog, int id)
{
    qtplat::DispatchMessage(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                            reinterpret_cast<LPARAM>(ControlHandle(dialog, id)));
}

// Only EndDialog or DestroyWindow end a dialog: Qt's own ways out are turned into the
// messages Win32 sends, and the procedure decides.
class DialogWidget : public QDialog {
  public:
    DialogWidget(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags) {}

    void done(int) override {}
    void accept() override {}
    void reject() override {}

  protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        WindowRef dialog = qtplat::WindowOfWidget(this);
        const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if (!dialog || !plain) {
            QWidget::keyPressEvent(event);
            return;
        }
        if (event->key() == Qt::Key_Escape) {
            event->accept();
            SendCommand(dialog, IDCANCEL);
            return;
        }
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            event->accept();
            PressDefault(dialog);
            return;
        }
        QWidget::keyPressEvent(event);
    }

    // Only a drag that carries local files is taken; the dialog gets them as WM_DROPFILES,
    // posted, so that its questions do not hold up the drag's source.
    void dragEnterEvent(QDragEnterEvent* event) override
    {
        if (!qtplat::LocalFilesOf(event->mimeData()).empty()) {
            event->acceptProposedAction();
        }
    }
    void dragMoveEvent(QDragMoveEvent* event) override
    {
        if (!qtplat::LocalFilesOf(event->mimeData()).empty()) {
            event->acceptProposedAction();
        }
    }
    void dropEvent(QDropEvent* event) override
    {
        WindowRef dialog = qtplat::WindowOfWidget(this);
        if (qtplat::PostDroppedFiles(dialog, qtplat::LocalFilesOf(event->mimeData()))) {
            event->acceptProposedAction();
        }
    }

    void closeEvent(QCloseEvent* event) override
    {
        event->ignore();
        WindowRef dialog = qtplat::WindowOfWidget(this);
        if (dialog) {
            qtplat::DispatchMessage(dialog, WM_CLOSE, 0, 0);
        }
    }

  private:
    // A focused push button is the default while it has the focus, as on Win32.
    static void PressDefault(const WindowRef& dialog)
    {
        WindowRef focused = qtplat::WindowOfWidget(QApplication::focusWidget());
        if (focused && focused->kind == Kind::PushButton && focused->dialog == dialog->handle) {
            SendCommand(dialog, focused->id);
            return;
        }
        for (const WindowRef& control : dialog->controls) {
            if (control->kind == Kind::PushButton &&
                (control->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON && !control->destroyed) {
                if ((control->style & WS_DISABLED) == 0) {
                    SendCommand(dialog, control->id);
                }
                return;
            }
        }
        SendCommand(dialog, IDOK);
    }
};

void Activate(QWidget* window)
{
    // Headless platforms activate nothing by themselves; focus needs an active window.
    window->activateWindow();
    QApplication::setActiveWindow(window);
}

} // namespace

namespace qtplat {

std::vector<HWND> ModalDialogs;

void FocusFirstTabStop(const WindowRef& dialog)
{
    for (const WindowRef& control : dialog->controls) {
        QWidget* widget = control->widget;
        if ((control->style & WS_TABSTOP) != 0 && widget != nullptr && widget->isEnabled() &&
            !widget->isHidden()) {
            SetFocus(control->handle);
            return;
        }
    }
}

void Place(const WindowRef& dialog, const DLGTEMPLATE_DATA& tpl, QWidget* ownerWidget)
{
    QWidget* widget = dialog->widget;
    if ((tpl.style & DS_CENTER) != 0) {
        QScreen* screen =
            ownerWidget != nullptr ? ownerWidget->screen() : QGuiApplication::primaryScreen();
        if (screen != nullptr) {
            const QRect area = screen->availableGeometry();
            widget->move(area.center() - QPoint(widget->width() / 2, widget->height() / 2));
        }
        return;
    }
    QPoint origin(0, 0);
    WindowRef owner = qtplat::LookupWindow(dialog->owner);
    if (owner && owner->client != nullptr) {
        origin = owner->client->mapToGlobal(QPoint(0, 0));
    }
    widget->move(origin + QPoint(qtplat::MulDivRound(tpl.x, dialog->baseX, 4),
                                 qtplat::MulDivRound(tpl.y, dialog->baseY, 8)));
}

void ShowDialog(const WindowRef& dialog)
{
    QWidget* widget = dialog->widget;
    if (widget == nullptr) {
        return;
    }
    widget->show();
    dialog->style |= WS_VISIBLE;
    Activate(widget);
}

WindowRef BuildDialog(HINSTANCE instance, const DLGTEMPLATE_DATA& tpl, HWND parent, DLGPROC proc,
                      bool modal)
{
    QWidget* ownerWidget = nullptr;
    HWND ownerHandle = nullptr;
    if (parent != nullptr) {
        WindowRef owner = qtplat::FindWindow(parent);
        if (!owner) {
            return nullptr;
        }
        // A control as parent means its dialog: dialogs are owned by top-level windows.
        if (owner->kind != Kind::Dialog) {
            owner = qtplat::LookupWindow(owner->dialog);
        }
        if (owner) {
            ownerWidget = owner->widget;
            ownerHandle = owner->handle;
        }
    }

    Qt::WindowFlags flags = (tpl.exStyle & WS_EX_APPWINDOW) != 0 ? Qt::Window : Qt::Dialog;
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if ((tpl.style & WS_SYSMENU) != 0) {
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    }
    if ((tpl.style & WS_MINIMIZEBOX) != 0) {
        flags |= Qt::WindowMinimizeButtonHint;
    }
    if ((tpl.style & WS_THICKFRAME) != 0 && (tpl.style & WS_MAXIMIZEBOX) != 0) {
        flags |= Qt::WindowMaximizeButtonHint;
    }
    auto* widget = new DialogWidget(ownerWidget, flags);
    WindowRef dialog = qtplat::RegisterWindow(Kind::Dialog, widget);
    dialog->className = "#32770";
    dialog->style = tpl.style;
    dialog->exStyle = tpl.exStyle;
    dialog->text = tpl.title != nullptr ? tpl.title : "";
    dialog->owner = ownerHandle;
    dialog->proc = proc;
    dialog->instance = instance;
    dialog->modal = modal;
    widget->setWindowTitle(QString::fromUtf8(dialog->text.c_str()));
    widget->setAcceptDrops((tpl.exStyle & WS_EX_ACCEPTFILES) != 0);

    // The template's font is a Windows one; the desktop's general font stands in for it,
    // and its real metrics make the dialog units.
    const QFontMetrics metrics(QApplication::font());
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    dialog->baseX = std::max(1, (letters + 26) / 52);
    dialog->baseY = std::max(1, metrics.height());
    widget->setFont(QApplication::font());

    const int width = qtplat::MulDivRound(tpl.cx, dialog->baseX, 4);
    const int height = qtplat::MulDivRound(tpl.cy, dialog->baseY, 8);
    int menuHeight = 0;
    if (tpl.menuId != 0) {
        dialog->menu = qtplat::BuildMenuBar(instance, tpl.menuId, widget, dialog->handle);
        if (!dialog->menu) {
            qtplat::UnregisterWindow(dialog.get());
            delete widget;
            SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
            return nullptr;
        }
        menuHeight = dialog->menu->bar->sizeHint().height();
        dialog->menu->bar->setGeometry(0, 0, width, menuHeight);
    }
    auto* client = new QWidget(widget);
    client->setGeometry(0, menuHeight, width, height);
    dialog->client = client;
    if ((tpl.style & WS_THICKFRAME) != 0) {
        widget->resize(width, height + menuHeight);
    } else {
        widget->setFixedSize(width, height + menuHeight);
    }

    QWidget* previousStop = nullptr;
    for (int i = 0; i < tpl.itemCount; ++i) {
        WindowRef control = qtplat::CreateControl(dialog, tpl.items[i]);
        if (!control) {
            dialog->proc = nullptr; // it never saw WM_INITDIALOG
            qtplat::DestroyDialog(dialog);
            SetLastError(kErrorCannotFindWindowClass);
            return nullptr;
        }
        dialog->controls.push_back(control);
        // The template order is the tab order.
        QWidget* current = control->widget;
        if ((current->focusPolicy() & Qt::TabFocus) != 0) {
            if (previousStop != nullptr) {
                QWidget::setTabOrder(previousStop, current);
            }
            previousStop = current;
        }
    }
    Place(dialog, tpl, ownerWidget);
    return dialog;
}

} // namespace qtplat

namespace {

using qtplat::BuildDialog;
using qtplat::FocusFirstTabStop;
using qtplat::ShowDialog;

INT_PTR RunModal(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC proc,
                 LPARAM initParam)
{
    const DLGTEMPLATE_DATA* tpl = qtplat::FindDialogTemplate(instance, templateName);
    if (tpl == nullptr) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return -1;
    }
    if (parent != nullptr && !qtplat::FindWindow(parent)) {
        // Win32 returns 0, not -1, for an owner that is not a window.
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    WindowRef dialog = BuildDialog(instance, *tpl, parent, proc, true);
    if (!dialog) {
        return -1;
    }
    WindowRef owner = qtplat::LookupWindow(dialog->owner);
    const bool ownerWasEnabled = owner && owner->enabled;
    if (owner) {
        owner->enabled = false; // Qt's window modality keeps the input away
    }
    qtplat::ModalDialogs.push_back(dialog->handle);
    QPointer<QWidget> widget = dialog->widget;
    widget->setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);

    const INT_PTR setFocus = qtplat::CallDialogProc(dialog, WM_INITDIALOG, 0, initParam);
    if (!dialog->destroyed && !dialog->endRequested) {
        ShowDialog(dialog);
        if (setFocus != 0) {
            FocusFirstTabStop(dialog);
        }
    }
    if (!dialog->destroyed && !dialog->endRequested) {
        ModalLoopStarting(widget.data(), dialog->handle);
        QEventLoop loop;
        dialog->loop = &loop;
        // EndDialog may have come from another thread since the test above; its wake-up is
        // queued and reaches this loop.
        if (!dialog->endRequested) {
            loop.exec(QEventLoop::DialogExec);
        }
        dialog->loop = nullptr;
    }
    const INT_PTR result = dialog->result;

    qtplat::ModalDialogs.erase(
        std::find(qtplat::ModalDialogs.begin(), qtplat::ModalDialogs.end(), dialog->handle));
    if (owner && !owner->destroyed && ownerWasEnabled) {
        owner->enabled = true;
    }
    if (!dialog->destroyed) {
        qtplat::DestroyDialog(dialog);
    }
    // The loop has returned, so nothing of the dialog is on the stack: delete it now.
    delete widget.data();
    if (owner && !owner->destroyed && owner->widget != nullptr && owner->widget->isVisible()) {
        Activate(owner->widget);
    }
    return result;
}

void WakeDialog(HWND handle)
{
    WindowRef dialog = qtplat::LookupWindow(handle);
    if (!dialog) {
        return;
    }
    if (dialog->loop != nullptr) {
        dialog->loop->quit();
    } else if (!dialog->modal && dialog->widget != nullptr) {
        dialog->widget->hide();
    }
}
} // namespace

namespace qtplat {

void DestroyDialog(const WindowRef& dialog)
{
    if (dialog->destroyed) {
        return;
    }
    // Owned windows go first, as on Win32.
    for (const WindowRef& owned : OwnedDialogs(dialog->handle)) {
        DestroyDialog(owned);
    }
    CallDialogProc(dialog, WM_DESTROY, 0, 0);
    for (const WindowRef& control : dialog->controls) {
        UnregisterWindow(control.get());
    }
    if (dialog->menu) {
        UnregisterMenu(dialog->menu->handle);
    }
    UnregisterWindow(dialog.get());
    dialog->endRequested = true;
    if (dialog->loop != nullptr) {
        dialog->loop->quit();
    }
    if (dialog->widget != nullptr) {
        dialog->widget->hide();
        // Later: this may run inside a signal of one of the dialog's own widgets.
        dialog->widget->deleteLater();
    }
}

} // namespace qtplat

INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC proc,
                        LPARAM initParam)
{
    DWORD code = 0;
    if (FaultShouldFail("DialogBoxParamA", &code)) {
        SetLastError(code);
        return -1;
    }
    INT_PTR result = -1;
    qtplat::RunOnGui([&] { result = RunModal(instance, templateName, parent, proc, initParam); });
    return result;
}

BOOL EndDialog(HWND dialog, INT_PTR result)
{
    WindowRef record = qtplat::LookupWindow(dialog);
    if (!record || record->kind != Kind::Dialog) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    record->result = result;
    record->endRequested = true;
    if (qtplat::OnGuiThread()) {
        WakeDialog(dialog);
    } else {
        // Not waited for: the GUI thread may itself be waiting for this thread.
        qtplat::QueueForGui([dialog] { WakeDialog(dialog); });
    }
    return TRUE;
}
