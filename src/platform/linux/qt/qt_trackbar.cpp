// The "msctls_trackbar32" class: a horizontal QSlider whose user actions become WM_HSCROLL
// with the Win32 codes; the TBM_* messages move it without notifying.
#include <QKeyEvent>
#include <QSlider>

#include <algorithm>

#include "platform/linux/qt/qt_control_class.h"

namespace qtplat {
namespace {

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

QWidget* CreateTrackbar(const WindowRef& dialog, const DLGITEM_DATA&, Kind* kind, Qt::FocusPolicy*)
{
    *kind = Kind::Trackbar;
    return new Trackbar(dialog->client);
}

LRESULT TrackbarMessage(Window&, QWidget* widget, UINT message, WPARAM, LPARAM lParam)
{
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

} // namespace

const ControlClass kTrackbarClass = {"msctls_trackbar32", CreateTrackbar, nullptr, nullptr, nullptr,
                                     TrackbarMessage,     nullptr};

} // namespace qtplat
