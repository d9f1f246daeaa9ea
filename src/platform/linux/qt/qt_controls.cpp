// What every control class of dialog templates shares (qt_control_class.h): the class
// table, the record, the placing in dialog units, the text messages, and the fitting and
// naming of controls by the labels beside them. Each class's own widget and messages are in
// its file.
#include <QAccessible>
#include <QLabel>

#include <algorithm>
#include <cstring>

#include "platform/linux/qt/qt_control_class.h"

namespace qtplat {

HWND HandleOf(const QWidget* widget)
{
    WindowRef window = qtplat::WindowOfWidget(widget);
    return window ? window->handle : nullptr;
}

// Win32 draws '&x' as an underlined x and '&&' as '&'; a static has no buddy to jump to.
QString WithoutMnemonics(const std::string& text)
{
    std::string shown;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) {
            ++i;
        }
        shown += text[i];
    }
    return QString::fromUtf8(shown.c_str());
}

// The templates were laid out for a narrower font than a Linux desktop's. A one-line
// label or radio button whose text no longer fits its rectangle would be cut (or wrapped
// out of sight), so it keeps one line and grows to the right, within the client area.
void FitOneLineText(QWidget* widget, Kind kind)
{
    if (kind != Kind::Static && kind != Kind::RadioButton && kind != Kind::CheckBox) {
        return;
    }
    const int lineHeight = widget->fontMetrics().height();
    if (widget->height() >= 2 * lineHeight) {
        return;
    }
    if (kind == Kind::Static) {
        auto* label = static_cast<QLabel*>(widget);
        if ((label->alignment() & Qt::AlignLeft) == 0) {
            return;
        }
        label->setWordWrap(false);
    }
    const int needed = widget->sizeHint().width();
    const QWidget* client = widget->parentWidget();
    const int room = client != nullptr ? client->width() - widget->x() : needed;
    if (needed > widget->width()) {
        widget->resize(std::min(needed, std::max(room, widget->width())), widget->height());
    }
}

// A static that shows a value is read with its label ("File size, bytes: 1 024").
void NameValueStatic(QLabel* value)
{
    const QString caption = value->property("salvorinLabel").toString();
    if (!caption.isEmpty()) {
        value->setAccessibleName(value->text().isEmpty() ? caption : caption + ' ' + value->text());
    }
}

namespace {

const ControlClass* const kControlClasses[] = {&kButtonClass, &kStaticClass, &kComboBoxClass,
                                               &kTrackbarClass, &kProgressBarClass};

const ControlClass* ClassNamed(const std::string& name)
{
    for (const ControlClass* type : kControlClasses) {
        if (lstrcmpiA(name.c_str(), type->name) == 0) {
            return type;
        }
    }
    return nullptr;
}

QAccessibleInterface* AccessibleFactory(const QString& className, QObject* object)
{
    for (const ControlClass* type : kControlClasses) {
        if (type->accessible == nullptr) {
            continue;
        }
        if (QAccessibleInterface* made = type->accessible(className, object)) {
            return made;
        }
    }
    return nullptr;
}

// Screen readers name a control that shows no caption of its own by the static label
// that goes with it, as they do on Win32. The label is a fixed text static (no identifier)
// created before the control: the one on its line that starts nearest to its left, else
// (for a control without a caption) the nearest one just above it. The templates' tab
// order alone would not do: it puts both "File duration:" and "File size, bytes:" before
// either value. Labels are compared by where they start: they may have grown to the right.
QLabel* LabelFor(const WindowRef& dialog, const QRect& place, bool lookAbove)
{
    QLabel* left = nullptr;
    QLabel* above = nullptr;
    for (const WindowRef& other : dialog->controls) {
        if (other->kind != Kind::Static || other->id != -1 || other->widget == nullptr ||
            other->text.empty()) {
            continue;
        }
        auto* label = static_cast<QLabel*>(other->widget.data());
        const QRect at = label->geometry();
        const bool sameLine = at.top() <= place.bottom() && place.top() <= at.bottom();
        const bool overColumn = at.left() <= place.right() && place.left() <= at.right();
        if (sameLine && at.left() < place.left()) {
            if (left == nullptr || at.left() > left->geometry().left()) {
                left = label;
            }
        } else if (lookAbove && overColumn && at.bottom() < place.top()) {
            if (above == nullptr || at.bottom() > above->geometry().bottom()) {
                above = label;
            }
        }
    }
    return left != nullptr ? left : above;
}

// A label that grew to fit the desktop's font may now reach into the control after it on
// its line ("File size, bytes:" and the size): that control moves right to keep the
// template's small gap, and gives back the width it would lose past the client area.
void ClearOfGrownLabel(const WindowRef& dialog, QWidget* widget)
{
    const QLabel* label = LabelFor(dialog, widget->geometry(), false);
    if (label == nullptr) {
        return;
    }
    const int gap = qtplat::MulDivRound(2, dialog->baseX, 4);
    const int left = label->geometry().right() + 1 + gap;
    if (left <= widget->x()) {
        return;
    }
    const QWidget* client = widget->parentWidget();
    int width = widget->width();
    if (client != nullptr && left + width > client->width()) {
        width = std::max(1, client->width() - left);
    }
    widget->setGeometry(left, widget->y(), width, widget->height());
}

void NameFromLabel(const WindowRef& dialog, const Window& control, QWidget* widget)
{
    const bool noCaption = control.kind == Kind::Combo || control.kind == Kind::Trackbar ||
                           control.kind == Kind::Progress;
    const bool valueStatic = control.kind == Kind::Static && control.id != -1;
    if (!noCaption && !valueStatic) {
        return;
    }
    QLabel* label = LabelFor(dialog, widget->geometry(), noCaption);
    if (label == nullptr) {
        return;
    }
    if (valueStatic) {
        widget->setProperty("salvorinLabel", label->text());
        NameValueStatic(static_cast<QLabel*>(widget));
        return;
    }
    // On Linux Qt names a combo box by its value and reads its label from the label's
    // buddy (the "labelled by" relation); other controls take the name itself.
    label->setBuddy(widget);
    QString caption = label->text();
    if (caption.endsWith(':')) {
        caption.chop(1);
    }
    widget->setAccessibleName(caption.trimmed());
}

void Place(QWidget* widget, const Window& dialog, const DLGITEM_DATA& item)
{
    const int x = qtplat::MulDivRound(item.x, dialog.baseX, 4);
    const int y = qtplat::MulDivRound(item.y, dialog.baseY, 8);
    const int cx = qtplat::MulDivRound(item.cx, dialog.baseX, 4);
    const int cy = qtplat::MulDivRound(item.cy, dialog.baseY, 8);
    widget->setGeometry(x, y, cx, cy);
}
} // namespace

void InstallAccessibleFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(AccessibleFactory);
        return true;
    }();
    (void)installed;
}

std::string ControlText(const Window& control)
{
    QWidget* widget = control.widget;
    if (control.controlClass != nullptr && control.controlClass->text != nullptr &&
        widget != nullptr) {
        return control.controlClass->text(control, widget);
    }
    return control.text;
}

void SetControlText(Window& control, const char* text)
{
    control.text = text != nullptr ? text : "";
    QWidget* widget = control.widget;
    if (widget == nullptr) {
        return;
    }
    if (control.controlClass != nullptr && control.controlClass->showText != nullptr) {
        control.controlClass->showText(control, widget);
    }
    FitOneLineText(widget, control.kind);
}

LRESULT ControlMessage(const WindowRef& control, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window& window = *control;
    switch (message) {
    case WM_SETTEXT:
        SetControlText(window, reinterpret_cast<const char*>(lParam));
        return TRUE;
    case WM_GETTEXT: {
        auto* buffer = reinterpret_cast<LPSTR>(lParam);
        const int size = static_cast<int>(wParam);
        if (buffer == nullptr || size <= 0) {
            return 0;
        }
        lstrcpynA(buffer, ControlText(window).c_str(), size);
        return static_cast<int>(strlen(buffer));
    }
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(ControlText(window).size());
    default:
        break;
    }
    QWidget* widget = window.widget;
    if (widget == nullptr) {
        return 0;
    }
    const ControlClass* type = window.controlClass;
    if (type == nullptr || type->message == nullptr) {
        return 0;
    }
    return type->message(window, widget, message, wParam, lParam);
}

WindowRef CreateControl(const WindowRef& dialog, const DLGITEM_DATA& item)
{
    const std::string className = item.className != nullptr ? item.className : "";
    const ControlClass* type = ClassNamed(className);
    if (type == nullptr) {
        return nullptr;
    }
    Kind kind = Kind::Static;
    Qt::FocusPolicy focus = (item.style & WS_TABSTOP) != 0 ? Qt::StrongFocus : Qt::ClickFocus;
    QWidget* widget = type->create(dialog, item, &kind, &focus);

    WindowRef control = RegisterWindow(kind, widget);
    control->controlClass = type;
    control->id = item.id;
    control->className = className;
    control->style = item.style;
    control->exStyle = item.exStyle;
    control->text = item.text != nullptr ? item.text : "";
    control->dialog = dialog->handle;

    widget->setFocusPolicy(focus);
    Place(widget, *dialog, item);
    if (type->placed != nullptr) {
        type->placed(*control, widget);
    }
    if (kind != Kind::GroupBox && !(kind == Kind::Static && item.id == -1)) {
        ClearOfGrownLabel(dialog, widget);
    }
    NameFromLabel(dialog, *control, widget);
    if ((item.style & WS_DISABLED) != 0) {
        widget->setEnabled(false);
    }
    if ((item.style & WS_VISIBLE) == 0) {
        widget->hide();
    }
    return control;
}

} // namespace qtplat
