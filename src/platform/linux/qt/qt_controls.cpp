// The control classes of dialog templates and their messages: Qt widgets behaving as the
// Win32 controls do, their signals turned into the Win32 notifications.
#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyle>

#include <algorithm>
#include <cstring>

#include "platform/linux/qt/qt_internal.h"

namespace {
using qtplat::Kind;
using qtplat::Window;
using qtplat::WindowRef;

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

// A text static asks its dialog for colours (WM_CTLCOLORSTATIC) each time it is painted.
class StaticText : public QLabel {
  public:
    using QLabel::QLabel;

  protected:
    void paintEvent(QPaintEvent* event) override
    {
        COLORREF color = 0;
        HBRUSH brush = nullptr;
        HWND handle = HandleOf(this);
        if (handle == nullptr || !qtplat::StaticColorQuery(handle, &color, &brush)) {
            QLabel::paintEvent(event);
            return;
        }
        QPainter painter(this);
        QColor fill;
        if (qtplat::StockBrushColor(brush, &fill)) {
            painter.fillRect(rect(), fill);
        }
        // A copy of the palette: setting the widget's own would repaint it again.
        QPalette colours = palette();
        colours.setColor(QPalette::WindowText,
                         QColor(GetRValue(color), GetGValue(color), GetBValue(color)));
        int flags = static_cast<int>(QStyle::visualAlignment(layoutDirection(), alignment()));
        if (wordWrap()) {
            flags |= Qt::TextWordWrap;
        }
        style()->drawItemText(&painter, contentsRect(), flags, colours, isEnabled(), text(),
                              QPalette::WindowText);
    }
};

// A static with SS_BITMAP: paints the bitmap STM_SETIMAGE gave, from its pixels as they are
// at paint time, so a program that writes them and invalidates sees them at once. With
// SS_REALSIZECONTROL it is fitted to the control; otherwise the control takes its size.
class BitmapStatic : public QWidget {
  public:
    using QWidget::QWidget;

  protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        WindowRef window = qtplat::WindowOfWidget(this);
        if (!window || window->image == nullptr) {
            return;
        }
        QPainter painter(this);
        qtplat::DrawBitmap(window->image, &painter, rect());
    }
};

LRESULT BitmapStaticMessage(Window& window, QWidget* widget, UINT message, WPARAM wParam,
                            LPARAM lParam)
{
    if (wParam != IMAGE_BITMAP) {
        return 0;
    }
    if (message == STM_GETIMAGE) {
        return reinterpret_cast<LRESULT>(window.image);
    }
    if (message != STM_SETIMAGE) {
        return 0;
    }
    HBITMAP previous = window.image;
    window.image = reinterpret_cast<HBITMAP>(lParam);
    qtplat::Bitmap bitmap;
    if ((window.style & SS_REALSIZECONTROL) == 0 && qtplat::BitmapPixels(window.image, &bitmap)) {
        widget->resize(bitmap.width, bitmap.height);
    }
    widget->update();
    return reinterpret_cast<LRESULT>(previous);
}

// A horizontal trackbar: user actions become WM_HSCROLL with the Win32 codes, each
// sent after the position has moved and followed by TB_ENDTRACK.
class Trackbar : public QSlider {
  public:
    explicit Trackbar(QWidget* parent) : QSlider(Qt::Horizontal, parent)
    {
        setSingleStep(1);
        UpdatePageSize();
        connect(this, &QAbstractSlider::actionTriggered, this,
                [this](int action) { OnAction(action); });
        connect(this, &QAbstractSlider::sliderMoved, this, [this](int position) {
            if (!quiet_) {
                Scroll(TB_THUMBTRACK, position);
            }
        });
        connect(this, &QAbstractSlider::sliderReleased, this, [this] {
            if (!quiet_) {
                Scroll(TB_THUMBPOSITION, sliderPosition());
                Scroll(TB_ENDTRACK);
            }
        });
    }

    // Moves without notifying: the program's own TBM_SETPOS / range changes.
    void SetQuietly(int minimum, int maximum, int position)
    {
        quiet_ = true;
        setRange(minimum, maximum);
        setValue(std::clamp(position, minimum, std::max(minimum, maximum)));
        quiet_ = false;
        UpdatePageSize();
    }

  protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        int code = 0;
        int target = sliderPosition();
        switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            code = TB_LINEUP;
            target -= singleStep();
            break;
        case Qt::Key_Right:
        case Qt::Key_Down:
            code = TB_LINEDOWN;
            target += singleStep();
            break;
        case Qt::Key_PageUp:
            code = TB_PAGEUP;
            target -= pageStep();
            break;
        case Qt::Key_PageDown:
            code = TB_PAGEDOWN;
            target += pageStep();
            break;
        case Qt::Key_Home:
            code = TB_TOP;
            target = minimum();
            break;
        case Qt::Key_End:
            code = TB_BOTTOM;
            target = maximum();
            break;
        default:
            QSlider::keyPressEvent(event);
            return;
        }
        // Win32's keys, not Qt's: PgUp and Up move a horizontal trackbar towards its minimum.
        quiet_ = true;
        setValue(std::clamp(target, minimum(), maximum()));
        quiet_ = false;
        event->accept();
        Scroll(code);
        Scroll(TB_ENDTRACK);
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        QSlider::mouseReleaseEvent(event);
        if (paging_) {
            paging_ = false;
            Scroll(TB_ENDTRACK);
        }
    }

  private:
    void UpdatePageSize() { setPageStep(std::max(1, (maximum() - minimum()) / 5)); }

    void Scroll(int code, int position = 0)
    {
        qtplat::NotifyScroll(HandleOf(this), code, position);
    }

    void OnAction(int action)
    {
        if (quiet_) {
            return;
        }
        switch (action) {
        case SliderPageStepAdd:
            paging_ = true;
            Scroll(TB_PAGEDOWN);
            break;
        case SliderPageStepSub:
            paging_ = true;
            Scroll(TB_PAGEUP);
            break;
        case SliderSingleStepAdd:
            Scroll(TB_LINEDOWN);
            Scroll(TB_ENDTRACK);
            break;
        case SliderSingleStepSub:
            Scroll(TB_LINEUP);
            Scroll(TB_ENDTRACK);
            break;
        case SliderToMinimum:
            Scroll(TB_TOP);
            Scroll(TB_ENDTRACK);
            break;
        case SliderToMaximum:
            Scroll(TB_BOTTOM);
            Scroll(TB_ENDTRACK);
            break;
        case SliderMove:
            // Dragging is reported by sliderMoved; a move without the thumb is the wheel.
            if (!isSliderDown()) {
                Scroll(sliderPosition() < value() ? TB_LINEUP : TB_LINEDOWN);
                Scroll(TB_ENDTRACK);
            }
            break;
        default:
            break;
        }
    }

    bool quiet_ = false;
    bool paging_ = false;
};

void ShowProgress(Window& window)
{
    auto* bar = qobject_cast<QProgressBar*>(window.widget.data());
    if (bar == nullptr) {
        return;
    }
    // Qt shows a busy indicator for an empty range; Win32 shows an empty bar.
    bar->setRange(window.pbMin, std::max(window.pbMax, window.pbMin + 1));
    bar->setValue(window.pbPos);
}

int Clamp(const Window& window, long long position)
{
    const long long high = std::max(window.pbMin, window.pbMax);
    return static_cast<int>(std::clamp<long long>(position, window.pbMin, high));
}

LRESULT ProgressMessage(Window& window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const int previous = window.pbPos;
    switch (message) {
    case PBM_SETRANGE:
    case PBM_SETRANGE32: {
        const LRESULT old = MAKELONG(window.pbMin, window.pbMax);
        if (message == PBM_SETRANGE) {
            window.pbMin = LOWORD(lParam);
            window.pbMax = HIWORD(lParam);
        } else {
            window.pbMin = static_cast<int>(static_cast<INT_PTR>(wParam));
            window.pbMax = static_cast<int>(lParam);
        }
        window.pbPos = Clamp(window, window.pbPos);
        ShowProgress(window);
        return old;
    }
    case PBM_SETPOS:
        window.pbPos = Clamp(window, static_cast<int>(static_cast<INT_PTR>(wParam)));
        break;
    case PBM_DELTAPOS:
        window.pbPos = Clamp(window, static_cast<long long>(window.pbPos) +
                                         static_cast<int>(static_cast<INT_PTR>(wParam)));
        break;
    case PBM_SETSTEP: {
        const int oldStep = window.pbStep;
        window.pbStep = static_cast<int>(static_cast<INT_PTR>(wParam));
        return oldStep;
    }
    case PBM_STEPIT: {
        // Past the end the bar starts over from the beginning.
        long long next = static_cast<long long>(window.pbPos) + window.pbStep;
        const long long span = static_cast<long long>(window.pbMax) - window.pbMin;
        if (span > 0 && next > window.pbMax) {
            next = window.pbMin + (next - window.pbMin) % span;
        } else if (span > 0 && next < window.pbMin) {
            next = window.pbMax - (window.pbMin - next) % span;
        }
        window.pbPos = Clamp(window, next);
        break;
    }
    case PBM_GETPOS:
        return window.pbPos;
    default:
        return 0;
    }
    ShowProgress(window);
    return previous;
}

LRESULT ComboMessage(Window& window, QComboBox* combo, UINT message, WPARAM wParam, LPARAM lParam)
{
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

// A static that shows a value is read with its label ("File size, bytes: 1 024").
void NameValueStatic(QLabel* value)
{
    const QString caption = value->property("salvorinLabel").toString();
    if (!caption.isEmpty()) {
        value->setAccessibleName(value->text().isEmpty() ? caption : caption + ' ' + value->text());
    }
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

QAccessibleInterface* AccessibleFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("QComboBox") && dynamic_cast<ProgramCombo*>(object) != nullptr) {
        return new ComboAccessible(static_cast<QComboBox*>(object));
    }
    if (className == QLatin1String("QRadioButton") &&
        (dynamic_cast<ManualRadio*>(object) != nullptr ||
         dynamic_cast<AutoRadio*>(object) != nullptr)) {
        return new RadioAccessible(static_cast<QAbstractButton*>(object));
    }
    return nullptr;
}

// Before the first control it serves is made, so that Qt never makes its own interface.
void InstallAccessibleFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(AccessibleFactory);
        return true;
    }();
    (void)installed;
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

namespace qtplat {

std::string ControlText(const Window& control)
{
    if (control.kind == Kind::Combo && control.widget != nullptr) {
        auto* combo = static_cast<QComboBox*>(control.widget.data());
        return combo->currentText().toStdString();
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
    const QString qtext = QString::fromUtf8(control.text.c_str());
    switch (control.kind) {
    case Kind::PushButton:
    case Kind::RadioButton:
    case Kind::CheckBox:
        static_cast<QAbstractButton*>(widget)->setText(qtext);
        break;
    case Kind::GroupBox:
        static_cast<QGroupBox*>(widget)->setTitle(qtext);
        break;
    case Kind::Static:
        static_cast<QLabel*>(widget)->setText(WithoutMnemonics(control.text));
        NameValueStatic(static_cast<QLabel*>(widget));
        break;
    case Kind::Combo: {
        auto* combo = static_cast<QComboBox*>(widget);
        if (combo->isEditable()) {
            combo->setEditText(qtext);
        }
        break;
    }
    default:
        break;
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
    switch (window.kind) {
    case Kind::RadioButton:
    case Kind::CheckBox: {
        auto* button = static_cast<QAbstractButton*>(widget);
        if (message == BM_SETCHECK) {
            button->setChecked(wParam == BST_CHECKED);
        } else if (message == BM_GETCHECK) {
            return button->isChecked() ? BST_CHECKED : BST_UNCHECKED;
        }
        return 0;
    }
    case Kind::Combo:
        return ComboMessage(window, static_cast<QComboBox*>(widget), message, wParam, lParam);
    case Kind::Trackbar: {
        auto* slider = static_cast<Trackbar*>(widget);
        const int value = static_cast<int>(lParam);
        switch (message) {
        case TBM_GETPOS:
            return slider->sliderPosition();
        case TBM_GETRANGEMIN:
            return slider->minimum();
        case TBM_GETRANGEMAX:
            return slider->maximum();
        case TBM_SETPOS:
            slider->SetQuietly(slider->minimum(), slider->maximum(), value);
            return 0;
        case TBM_SETRANGEMIN:
            slider->SetQuietly(value, std::max(value, slider->maximum()), slider->sliderPosition());
            return 0;
        case TBM_SETRANGEMAX:
            slider->SetQuietly(std::min(value, slider->minimum()), value, slider->sliderPosition());
            return 0;
        default:
            return 0;
        }
    }
    case Kind::Progress:
        return ProgressMessage(window, message, wParam, lParam);
    case Kind::BitmapStatic:
        return BitmapStaticMessage(window, widget, message, wParam, lParam);
    default:
        return 0;
    }
}

WindowRef CreateControl(const WindowRef& dialog, const DLGITEM_DATA& item)
{
    QWidget* parent = dialog->client;
    const std::string className = item.className != nullptr ? item.className : "";
    const std::string text = item.text != nullptr ? item.text : "";
    const QString qtext = QString::fromUtf8(text.c_str());
    QWidget* widget = nullptr;
    Kind kind = Kind::Static;
    Qt::FocusPolicy focus = (item.style & WS_TABSTOP) != 0 ? Qt::StrongFocus : Qt::ClickFocus;

    if (lstrcmpiA(className.c_str(), "button") == 0) {
        const DWORD type = item.style & BS_TYPEMASK;
        if (type == BS_GROUPBOX) {
            kind = Kind::GroupBox;
            widget = new QGroupBox(qtext, parent);
            focus = Qt::NoFocus;
        } else if (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) {
            kind = Kind::RadioButton;
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
            focus = Qt::StrongFocus;
        } else if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX) {
            kind = Kind::CheckBox;
            if (type == BS_CHECKBOX) {
                widget = new ManualCheck(qtext, parent);
            } else {
                widget = new QCheckBox(qtext, parent);
            }
        } else {
            kind = Kind::PushButton;
            auto* button = new QPushButton(qtext, parent);
            // Enter is the dialog's business (the default button), not the focused button's.
            button->setAutoDefault(false);
            button->setDefault(type == BS_DEFPUSHBUTTON);
            widget = button;
        }
        if (kind != Kind::GroupBox) {
            auto* button = static_cast<QAbstractButton*>(widget);
            QObject::connect(button, &QAbstractButton::clicked, button,
                             [button] { NotifyParent(HandleOf(button), BN_CLICKED); });
        }
    } else if (lstrcmpiA(className.c_str(), "static") == 0) {
        const DWORD type = item.style & SS_TYPEMASK;
        focus = Qt::NoFocus;
        if (type == SS_ICON) {
            kind = Kind::IconStatic;
            auto* label = new QLabel(parent);
            HICON icon = nullptr;
            if (text.size() > 1 && text[0] == '#') {
                icon = LoadIconFromModule(dialog->instance, std::atoi(text.c_str() + 1));
            }
            if (icon != nullptr) {
                const QSize size = IconSize(icon);
                label->setPixmap(IconImage(icon)->pixmap(size, label->devicePixelRatioF()));
            }
            widget = label;
        } else if (type == SS_BITMAP) {
            // The text would name a bitmap resource; the program sets its bitmaps itself.
            kind = Kind::BitmapStatic;
            widget = new BitmapStatic(parent);
        } else {
            auto* label = new StaticText(parent);
            label->setTextFormat(Qt::PlainText);
            label->setText(WithoutMnemonics(text));
            label->setWordWrap(type != SS_LEFTNOWORDWRAP);
            Qt::Alignment align = Qt::AlignLeft;
            if (type == SS_CENTER) {
                align = Qt::AlignHCenter;
            } else if (type == SS_RIGHT) {
                align = Qt::AlignRight;
            }
            label->setAlignment(align | Qt::AlignTop);
            widget = label;
        }
    } else if (lstrcmpiA(className.c_str(), "combobox") == 0) {
        kind = Kind::Combo;
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
    } else if (lstrcmpiA(className.c_str(), "msctls_trackbar32") == 0) {
        kind = Kind::Trackbar;
        widget = new Trackbar(parent);
    } else if (lstrcmpiA(className.c_str(), "msctls_progress32") == 0) {
        kind = Kind::Progress;
        auto* bar = new QProgressBar(parent);
        bar->setTextVisible(false);
        widget = bar;
        focus = Qt::NoFocus;
    } else {
        return nullptr;
    }

    WindowRef control = RegisterWindow(kind, widget);
    control->id = item.id;
    control->className = className;
    control->style = item.style;
    control->exStyle = item.exStyle;
    control->text = text;
    control->dialog = dialog->handle;
    if (kind == Kind::Progress) {
        ShowProgress(*control);
    }

    widget->setFocusPolicy(focus);
    Place(widget, *dialog, item);
    if (kind == Kind::Combo) {
        // The template's height is that of the opened list; closed, it is one line.
        widget->resize(widget->width(), widget->sizeHint().height());
    } else if (kind == Kind::IconStatic) {
        auto* label = static_cast<QLabel*>(widget);
        if (!label->pixmap().isNull()) {
            widget->resize(label->pixmap().deviceIndependentSize().toSize());
        }
    } else {
        FitOneLineText(widget, kind);
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
