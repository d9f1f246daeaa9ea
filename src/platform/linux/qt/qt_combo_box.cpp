// The "combobox" class: a drop-down list (CBS_DROPDOWNLIST) or an editable drop-down
// (CBS_DROPDOWN) in a QComboBox that inserts and completes nothing. Picking a row notifies
// CBN_SELCHANGE, typing CBN_EDITCHANGE; the CB_* messages work on its rows.
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>

#include <cstring>

#include "platform/linux/qt/qt_control_class.h"

namespace qtplat {
namespace {

LRESULT ComboMessage(Window& window, QWidget* widget, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* combo = static_cast<QComboBox*>(widget);
    const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
    switch (message) {
    case CB_ADDSTRING: {
        if (lParam == 0) {
            return CB_ERR;
        }
        const QString item = QString::fromUtf8(reinterpret_cast<const char*>(lParam));
        int at = combo->count();
        if ((window.style & CBS_SORT) != 0) {
            at = 0;
            while (at < combo->count() &&
                   QString::compare(combo->itemText(at), item, Qt::CaseInsensitive) <= 0) {
                ++at;
            }
        }
        combo->insertItem(at, item);
        return at;
    }
    case CB_GETCOUNT:
        return combo->count();
    case CB_SETCURSEL:
        window.comboEdited = false;
        if (index < 0 || index >= combo->count()) {
            combo->setCurrentIndex(-1);
            return CB_ERR;
        }
        combo->setCurrentIndex(index);
        return index;
    case CB_GETCURSEL:
        return window.comboEdited || combo->currentIndex() < 0 ? CB_ERR : combo->currentIndex();
    case CB_GETLBTEXTLEN:
    case CB_GETLBTEXT: {
        if (index < 0 || index >= combo->count()) {
            return CB_ERR;
        }
        const QByteArray text = combo->itemText(index).toUtf8();
        if (message == CB_GETLBTEXT) {
            if (lParam == 0) {
                return CB_ERR;
            }
            // Unbounded as on Win32: the caller sizes the buffer with CB_GETLBTEXTLEN.
            std::memcpy(reinterpret_cast<char*>(lParam), text.constData(),
                        static_cast<size_t>(text.size()) + 1);
        }
        return text.size();
    }
    case CB_LIMITTEXT:
        if (combo->lineEdit() == nullptr) {
            return CB_ERR;
        }
        combo->lineEdit()->setMaxLength(wParam == 0 ? 32767 : static_cast<int>(wParam));
        return TRUE;
    default:
        return 0;
    }
}

// The program's combo boxes; a file dialog's keep Qt's own accessible interface.
class ProgramCombo : public QComboBox {
  public:
    using QComboBox::QComboBox;
};

// On Linux Qt names a combo box by its value, so a screen reader that goes by names says
// only "44100". Win32 names a control that has no text of its own by the label before it;
// this interface does the same and keeps the value as the value.
class ComboAccessible : public QAccessibleWidget {
  public:
    explicit ComboAccessible(QComboBox* combo) : QAccessibleWidget(combo, QAccessible::ComboBox)
    {
        addControllingSignal(QLatin1String("currentIndexChanged(int)"));
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name && !widget()->accessibleName().isEmpty()) {
            return widget()->accessibleName();
        }
        if (kind == QAccessible::Name || kind == QAccessible::Value) {
            return Combo()->currentText();
        }
        return QAccessibleWidget::text(kind);
    }

    QStringList actionNames() const override
    {
        return QStringList{QAccessibleActionInterface::showMenuAction()} +
               QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override
    {
        if (action == QAccessibleActionInterface::showMenuAction()) {
            Combo()->showPopup();
            return;
        }
        QAccessibleWidget::doAction(action);
    }

  private:
    QComboBox* Combo() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* ComboAccessibleFor(const QString& className, QObject* object)
{
    if (className == QLatin1String("QComboBox") && dynamic_cast<ProgramCombo*>(object) != nullptr) {
        return new ComboAccessible(static_cast<QComboBox*>(object));
    }
    return nullptr;
}

QWidget* CreateComboBox(const WindowRef& dialog, const DLGITEM_DATA& item, Kind* kind,
                        Qt::FocusPolicy*)
{
    QWidget* parent = dialog->client;
    QWidget* widget = nullptr;
    *kind = Kind::Combo;
    InstallAccessibleFactory();
    auto* combo = new ProgramCombo(parent);
    combo->setEditable((item.style & 0x3) == CBS_DROPDOWN);
    combo->setInsertPolicy(QComboBox::NoInsert);
    QObject::connect(combo, &QComboBox::activated, combo, [combo](int) {
        WindowRef window = WindowOfWidget(combo);
        if (window) {
            window->comboEdited = false;
            NotifyParent(window->handle, CBN_SELCHANGE);
        }
    });
    if (combo->lineEdit() != nullptr) {
        // Win32 completes nothing while the user types.
        combo->setCompleter(nullptr);
        QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, combo, [combo] {
            WindowRef window = WindowOfWidget(combo);
            if (window) {
                window->comboEdited = true;
                NotifyParent(window->handle, CBN_EDITCHANGE);
            }
        });
    }
    widget = combo;
    return widget;
}

// The template's height is that of the opened list; closed, it is one line.
void ComboBoxPlaced(Window&, QWidget* widget)
{
    widget->resize(widget->width(), widget->sizeHint().height());
}

void ShowComboBoxText(Window& control, QWidget* widget)
{
    auto* combo = static_cast<QComboBox*>(widget);
    if (combo->isEditable()) {
        combo->setEditText(QString::fromUtf8(control.text.c_str()));
    }
}

std::string ComboBoxText(const Window&, QWidget* widget)
{
    return static_cast<QComboBox*>(widget)->currentText().toStdString();
}

} // namespace

const ControlClass kComboBoxClass = {"combobox",        CreateComboBox, ComboBoxPlaced,
                                     ShowComboBoxText,  ComboBoxText,   ComboMessage,
                                     ComboAccessibleFor};

} // namespace qtplat
