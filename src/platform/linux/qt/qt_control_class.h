// One control class of dialog templates: how a template item of that class becomes a Qt
// widget, and how the widget answers the messages sent to it. One file a class
// (qt_button.cpp, qt_static.cpp, qt_combo_box.cpp, qt_trackbar.cpp, qt_progress_bar.cpp);
// qt_controls.cpp makes the records, places the widgets and does what every control shares.
#pragma once

#include <QString>

#include <string>

#include "platform/linux/qt/qt_internal.h"

class QAccessibleInterface;
class QLabel;
class QObject;

namespace qtplat {

struct ControlClass {
    const char* name; // the template's class name, matched without case
    // Makes the widget for `item` in the dialog's client area; sets its kind, and its focus
    // policy where the template's WS_TABSTOP does not decide it.
    QWidget* (*create)(const WindowRef& dialog, const DLGITEM_DATA& item, Kind* kind,
                       Qt::FocusPolicy* focus);
    // Once the record is made and the widget placed at the template's rectangle: the
    // class's own size and look.
    void (*placed)(Window& control, QWidget* widget);
    // Shows the record's new text (WM_SETTEXT, SetWindowTextA); null if it shows none.
    void (*showText)(Window& control, QWidget* widget);
    // The text the control holds now; null if it is the record's.
    std::string (*text)(const Window& control, QWidget* widget);
    // The class's own messages; null if it has none. 0 for a message it does not know.
    LRESULT(*message)
    (Window& control, QWidget* widget, UINT message, WPARAM wParam, LPARAM lParam);
    // The accessible interface of one of its widgets, where Qt's own would misname it; null
    // for any other object, and in place of the function for a class that needs none.
    QAccessibleInterface* (*accessible)(const QString& qtClassName, QObject* object);
};

extern const ControlClass kButtonClass;
extern const ControlClass kStaticClass;
extern const ControlClass kComboBoxClass;
extern const ControlClass kTrackbarClass;
extern const ControlClass kProgressBarClass;

// What the classes share (qt_controls.cpp).
HWND HandleOf(const QWidget* widget);
QString WithoutMnemonics(const std::string& text);
void FitOneLineText(QWidget* widget, Kind kind);
void NameValueStatic(QLabel* value);
// Before the first widget with an interface of its own is made, so that Qt never makes its
// own for it.
void InstallAccessibleFactory();

} // namespace qtplat
