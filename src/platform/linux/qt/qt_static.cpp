// The "static" class: text (asking its dialog for colours as it paints), icon and bitmap
// statics. A bitmap static answers STM_SETIMAGE and STM_GETIMAGE.
#include <QLabel>
#include <QPainter>
#include <QStyle>

#include <cstdlib>

#include "platform/linux/qt/qt_control_class.h"

namespace qtplat {
namespace {

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

// Only a bitmap static has messages of its own.
LRESULT StaticMessage(Window& window, QWidget* widget, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (window.kind != Kind::BitmapStatic) {
        return 0;
    }
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

QWidget* CreateStatic(const WindowRef& dialog, const DLGITEM_DATA& item, Kind* kind,
                      Qt::FocusPolicy* focus)
{
    QWidget* parent = dialog->client;
    const std::string text = item.text != nullptr ? item.text : "";
    QWidget* widget = nullptr;
    *kind = Kind::Static;
    const DWORD type = item.style & SS_TYPEMASK;
    *focus = Qt::NoFocus;
    if (type == SS_ICON) {
        *kind = Kind::IconStatic;
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
        *kind = Kind::BitmapStatic;
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
    return widget;
}

void StaticPlaced(Window& control, QWidget* widget)
{
    if (control.kind != Kind::IconStatic) {
        FitOneLineText(widget, control.kind);
        return;
    }
    auto* label = static_cast<QLabel*>(widget);
    if (!label->pixmap().isNull()) {
        widget->resize(label->pixmap().deviceIndependentSize().toSize());
    }
}

void ShowStaticText(Window& control, QWidget* widget)
{
    if (control.kind == Kind::Static) {
        static_cast<QLabel*>(widget)->setText(WithoutMnemonics(control.text));
        NameValueStatic(static_cast<QLabel*>(widget));
    }
}

} // namespace

const ControlClass kStaticClass = {"static", CreateStatic,  StaticPlaced, ShowStaticText,
                                   nullptr,  StaticMessage, nullptr};

} // namespace qtplat
