// Acting as the user: each seam drives the widget through the path a real event takes
// (click(), the combo's activation, the line edit's editing, key events, close(), the
// menu's aboutToShow and the action's trigger), so tests prove the real wiring.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSlider>
#include <QUrl>

#include "platform/linux/qt/qt_internal.h"
#include "platform/testing/seams.h"

namespace {
using qtplat::Kind;
using qtplat::WindowRef;

// What a real user could not reach: a disabled control, or a window behind a modal one.
bool Unreachable(const WindowRef& window)
{
    if (!window || window->widget == nullptr || !window->widget->isEnabled()) {
        return true;
    }
    WindowRef top = window->kind == Kind::Dialog ? window : qtplat::LookupWindow(window->dialog);
    if (!top || !top->enabled || (top->style & WS_DISABLED) != 0) {
        return true;
    }
    QWidget* modal = QApplication::activeModalWidget();
    QWidget* topWidget = top->widget;
    return modal != nullptr && modal != topWidget && !modal->isAncestorOf(topWidget);
}

void SendKey(QWidget* target, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    if (QPointer<QWidget> alive = target) {
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(alive, &release);
    }
}

std::shared_ptr<qtplat::Menu> MenuOf(HWND window)
{
    WindowRef record = qtplat::LookupWindow(window);
    if (!record || Unreachable(record)) {
        return nullptr;
    }
    return record->menu;
}

void OpenMenu(HWND window, int index)
{
    std::shared_ptr<qtplat::Menu> menu = MenuOf(window);
    if (!menu || index < 0 || index >= static_cast<int>(menu->popups.size())) {
        return;
    }
    QMenu* popup = menu->popups[static_cast<size_t>(index)];
    if (popup != nullptr && popup->menuAction()->isEnabled()) {
        emit popup->aboutToShow();
    }
}
} // namespace

void UserClick(HWND control)
{
    qtplat::RunOnGui([&] {
        WindowRef window = qtplat::LookupWindow(control);
        if (Unreachable(window)) {
            return;
        }
        if (auto* button = qobject_cast<QAbstractButton*>(window->widget.data())) {
            button->click();
        }
    });
}

void UserPickComboRow(HWND combo, int row)
{
    qtplat::RunOnGui([&] {
        WindowRef window = qtplat::LookupWindow(combo);
        if (Unreachable(window) || window->kind != Kind::Combo) {
            return;
        }
        auto* box = static_cast<QComboBox*>(window->widget.data());
        if (row < 0 || row >= box->count()) {
            return;
        }
        // What the list view's click does: select, then report the activation.
        box->setCurrentIndex(row);
        emit box->activated(row);
        emit box->textActivated(box->itemText(row));
    });
}

void UserTypeComboText(HWND combo, const char* text)
{
    qtplat::RunOnGui([&] {
        WindowRef window = qtplat::LookupWindow(combo);
        if (Unreachable(window) || window->kind != Kind::Combo) {
            return;
        }
        QLineEdit* edit = static_cast<QComboBox*>(window->widget.data())->lineEdit();
        if (edit == nullptr) {
            return;
        }
        edit->selectAll();
        edit->insert(QString::fromUtf8(text != nullptr ? text : ""));
    });
}

void UserPressKey(HWND window, int key)
{
    qtplat::RunOnGui([&] {
        WindowRef record = qtplat::LookupWindow(window);
        if (Unreachable(record)) {
            return;
        }
        QWidget* target = record->widget;
        if (record->kind == Kind::Dialog && target->focusWidget() != nullptr) {
            target = target->focusWidget();
        }
        SendKey(target, key == PlatformKeyEscape ? Qt::Key_Escape : Qt::Key_Return);
    });
}

void UserCloseWindow(HWND window)
{
    qtplat::RunOnGui([&] {
        WindowRef record = qtplat::LookupWindow(window);
        if (Unreachable(record)) {
            return;
        }
        record->widget->window()->close();
    });
}

void UserOpenMenu(HWND window, int index)
{
    qtplat::RunOnGui([&] { OpenMenu(window, index); });
}

void UserChooseMenuItem(HWND window, UINT id)
{
    qtplat::RunOnGui([&] {
        std::shared_ptr<qtplat::Menu> menu = MenuOf(window);
        if (!menu) {
            return;
        }
        for (const qtplat::MenuItem& item : menu->items) {
            if ((item.flags & (MF_POPUP | MF_SEPARATOR)) == 0 && item.id == id) {
                OpenMenu(window, item.popupIndex);
                // A disabled action ignores the trigger, as a greyed item ignores the click.
                if (QPointer<QAction> action = item.action) {
                    action->trigger();
                }
                return;
            }
        }
    });
}

void UserSlider(HWND slider, int scrollCode, int position)
{
    qtplat::RunOnGui([&] {
        WindowRef window = qtplat::LookupWindow(slider);
        if (Unreachable(window) || window->kind != Kind::Trackbar) {
            return;
        }
        auto* bar = static_cast<QSlider*>(window->widget.data());
        switch (scrollCode) {
        case TB_LINEUP:
            SendKey(bar, Qt::Key_Left);
            break;
        case TB_LINEDOWN:
            SendKey(bar, Qt::Key_Right);
            break;
        case TB_PAGEUP:
            SendKey(bar, Qt::Key_PageUp);
            break;
        case TB_PAGEDOWN:
            SendKey(bar, Qt::Key_PageDown);
            break;
        case TB_TOP:
            SendKey(bar, Qt::Key_Home);
            break;
        case TB_BOTTOM:
            SendKey(bar, Qt::Key_End);
            break;
        case TB_THUMBTRACK:
            // The thumb held and dragged, as the mouse moves it.
            bar->setSliderDown(true);
            bar->setSliderPosition(position);
            break;
        case TB_THUMBPOSITION:
            bar->setSliderDown(true);
            bar->setSliderPosition(position);
            bar->setSliderDown(false);
            break;
        default:
            break;
        }
    });
}

bool UserDropUrls(HWND window, const std::vector<std::string>& urls)
{
    bool taken = false;
    qtplat::RunOnGui([&] {
        WindowRef record = qtplat::LookupWindow(window);
        if (Unreachable(record)) {
            return;
        }
        QWidget* target = record->widget;
        // Qt sends drag events only to a widget that accepts drops.
        if (!target->acceptDrops()) {
            return;
        }
        QMimeData data;
        QList<QUrl> list;
        for (const std::string& url : urls) {
            list.append(QUrl(QString::fromUtf8(url.c_str())));
        }
        data.setUrls(list);
        const QPointF centre(target->width() / 2.0, target->height() / 2.0);
        QDragEnterEvent enter(centre.toPoint(), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted()) {
            return;
        }
        QDropEvent drop(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        taken = drop.isAccepted();
    });
    return taken;
}

void PumpMessages()
{
    if (QCoreApplication::instance() == nullptr || !qtplat::OnGuiThread()) {
        return;
    }
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    qtplat::DrainGuiQueue();
    // Windows destroyed while no loop ran are deleted here.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
