// The "button" class: push buttons, radio buttons, check boxes and group boxes. A click
// notifies the dialog (BN_CLICKED); radio buttons and check boxes answer BM_SETCHECK and
// BM_GETCHECK.
#include <QAccessible>
#include <QAccessibleWidget>
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include "platform/linux/qt/qt_control_class.h"

namespace qtplat {
namespace {

// A Win32 radio button or check box without the auto style: a click notifies the dialog
// and leaves the check mark alone; only BM_SETCHECK moves it.
class ManualRadio : public QRadioButton {
  public:
    using QRadioButton::QRadioButton;

  protected:
    void nextCheckState() override {}
};

class ManualCheck : public QCheckBox {
  public:
    using QCheckBox::QCheckBox;

  protected:
    void nextCheckState() override {}
};

class AutoRadio : public QRadioButton {
  public:
    using QRadioButton::QRadioButton;

  protected:
    void nextCheckState() override { setChecked(true); }
};

// Win32 radio buttons do not uncheck each other (the program checks one per group itself),
// so Qt's are not auto-exclusive, and Qt would then announce them as check boxes. This
// interface keeps Qt's behaviour and says "radio button".
class RadioAccessible : public QAccessibleWidget {
  public:
    explicit RadioAccessible(QAbstractButton* button)
        : QAccessibleWidget(button, QAccessible::RadioButton)
    {
        addControllingSignal(QStringLiteral("toggled(bool)"));
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            return QString(Button()->text()).remove('&');
        }
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = Button()->isChecked();
        return state;
    }

    QStringList actionNames() const override
    {
        return QStringList{QAccessibleActionInterface::pressAction()} +
               QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override
    {
        if (action == QAccessibleActionInterface::pressAction()) {
            if (Button()->isEnabled()) {
                Button()->click();
            }
            return;
        }
        QAccessibleWidget::doAction(action);
    }

  private:
    QAbstractButton* Button() const { return static_cast<QAbstractButton*>(widget()); }
};

QAccessibleInterface* RadioAccessibleFor(const QString& className, QObject* object)
{
    if (className == QLatin1String("QRadioButton") &&
        (dynamic_cast<ManualRadio*>(object) != nullptr ||
         dynamic_cast<AutoRadio*>(object) != nullptr)) {
        return new RadioAccessible(static_cast<QAbstractButton*>(object));
    }
    return nullptr;
}

QWidget* CreateButton(const WindowRef& dialog, const DLGITEM_DATA& item, Kind* kind,
                      Qt::FocusPolicy* focus)
{
    QWidget* parent = dialog->client;
    const QString qtext = QString::fromUtf8(item.text != nullptr ? item.text : "");
    QWidget* widget = nullptr;
    const DWORD type = item.style & BS_TYPEMASK;
    if (type == BS_GROUPBOX) {
        *kind = Kind::GroupBox;
        widget = new QGroupBox(qtext, parent);
        *focus = Qt::NoFocus;
    } else if (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) {
        *kind = Kind::RadioButton;
        QRadioButton* radio = nullptr;
        if (type == BS_RADIOBUTTON) {
            radio = new ManualRadio(qtext, parent);
        } else {
            radio = new AutoRadio(qtext, parent);
        }
        radio->setAutoExclusive(false);
        InstallAccessibleFactory();
        // Setting the text in the constructor already made Qt's interface (it could not
        // know the class yet); dropping it lets the factory make the right one.
        QAccessibleInterface* early = QAccessible::queryAccessibleInterface(radio);
        if (early != nullptr && early->role() != QAccessible::RadioButton) {
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(early));
        }
        widget = radio;
        // Win32 reaches a group's other buttons with the arrows; Qt needs Tab for that.
        *focus = Qt::StrongFocus;
    } else if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX) {
        *kind = Kind::CheckBox;
        if (type == BS_CHECKBOX) {
            widget = new ManualCheck(qtext, parent);
        } else {
            widget = new QCheckBox(qtext, parent);
        }
    } else {
        *kind = Kind::PushButton;
        auto* button = new QPushButton(qtext, parent);
        // Enter is the dialog's business (the default button), not the focused button's.
        button->setAutoDefault(false);
        button->setDefault(type == BS_DEFPUSHBUTTON);
        widget = button;
    }
    if (*kind != Kind::GroupBox) {
        auto* button = static_cast<QAbstractButton*>(widget);
        QObject::connect(button, &QAbstractButton::clicked, button,
                         [button] { NotifyParent(HandleOf(button), BN_CLICKED); });
    }
    return widget;
}

void ButtonPlaced(Window& control, QWidget* widget)
{
    FitOneLineText(widget, control.kind);
}

void ShowButtonText(Window& control, QWidget* widget)
{
    const QString qtext = QString::fromUtf8(control.text.c_str());
    if (control.kind == Kind::GroupBox) {
        static_cast<QGroupBox*>(widget)->setTitle(qtext);
    } else {
        static_cast<QAbstractButton*>(widget)->setText(qtext);
    }
}

LRESULT ButtonMessage(Window& control, QWidget* widget, UINT message, WPARAM wParam, LPARAM)
{
    if (control.kind != Kind::RadioButton && control.kind != Kind::CheckBox) {
        return 0;
    }
    auto* button = static_cast<QAbstractButton*>(widget);
    if (message == BM_SETCHECK) {
        button->setChecked(wParam == BST_CHECKED);
    } else if (message == BM_GETCHECK) {
        return button->isChecked() ? BST_CHECKED : BST_UNCHECKED;
    }
    return 0;
}

} // namespace

const ControlClass kButtonClass = {"button", CreateButton,  ButtonPlaced,      ShowButtonText,
                                   nullptr,  ButtonMessage, RadioAccessibleFor};

} // namespace qtplat
