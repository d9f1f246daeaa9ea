// MeasureDialogTexts for the Qt half: the widgets' own fonts and the style's metrics.
#include <QFontMetrics>
#include <QLabel>
#include <QStyle>

#include "platform/linux/qt/qt_internal.h"
#include "platform/testing/seams_capture.h"

namespace {

using qtplat::Kind;

void Measure(const qtplat::Window& control, ControlText* out)
{
    QWidget* widget = control.widget.data();
    const QFontMetrics metrics(widget->font());
    const QString text = QString::fromStdString(out->text).remove('&');
    out->roomWidth = widget->width();
    out->roomHeight = widget->height();
    switch (control.kind) {
    case Kind::RadioButton:
    case Kind::CheckBox: {
        const bool radio = control.kind == Kind::RadioButton;
        QStyle* style = widget->style();
        out->roomWidth -= style->pixelMetric(radio ? QStyle::PM_ExclusiveIndicatorWidth
                                                   : QStyle::PM_IndicatorWidth,
                                             nullptr, widget) +
                          style->pixelMetric(radio ? QStyle::PM_RadioButtonLabelSpacing
                                                   : QStyle::PM_CheckBoxLabelSpacing,
                                             nullptr, widget);
        break;
    }
    case Kind::PushButton:
        out->roomWidth -=
            2 * widget->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, widget);
        break;
    case Kind::GroupBox:
        out->roomHeight = metrics.height();
        break;
    default:
        break;
    }
    const auto* label = control.kind == Kind::Static ? static_cast<QLabel*>(widget) : nullptr;
    if (label != nullptr && label->wordWrap()) {
        const QRect need = metrics.boundingRect(QRect(0, 0, out->roomWidth, 100000),
                                                Qt::TextWordWrap | label->alignment(), text);
        out->needWidth = need.width();
        out->needHeight = need.height();
    } else {
        out->needWidth = metrics.horizontalAdvance(text);
        out->needHeight = metrics.height();
    }
}

} // namespace

std::vector<ControlText> MeasureDialogTexts(HWND dialog)
{
    std::vector<ControlText> controls;
    qtplat::RunOnGui([&] {
        qtplat::WindowRef record = qtplat::FindWindow(dialog);
        if (!record) {
            return;
        }
        for (const qtplat::WindowRef& control : record->controls) {
            QWidget* widget = control->widget.data();
            if (widget == nullptr) {
                continue;
            }
            const QRect at = widget->geometry();
            ControlText out{control->handle,
                            "",
                            {at.left(), at.top(), at.right() + 1, at.bottom() + 1},
                            0,
                            0,
                            0,
                            0};
            const bool captioned =
                control->kind == Kind::Static || control->kind == Kind::PushButton ||
                control->kind == Kind::RadioButton || control->kind == Kind::CheckBox ||
                control->kind == Kind::GroupBox;
            if (captioned && !control->text.empty()) {
                out.text = control->text;
                Measure(*control, &out);
            }
            controls.push_back(out);
        }
    });
    return controls;
}
