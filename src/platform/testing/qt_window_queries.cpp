// What tests look at on the Qt flavour's windows, menus and icons, beyond the Win32 calls.
#include <QIcon>
#include <QImage>

#include "platform/linux/qt/qt_internal.h"
#include "platform/testing/seams.h"

using qtplat::WindowRef;

bool QueryStaticTextColor(HWND control, COLORREF* color, HBRUSH* brush)
{
    bool answered = false;
    qtplat::RunOnGui([&] { answered = qtplat::StaticColorQuery(control, color, brush); });
    return answered;
}

HICON WindowIcon(HWND window, int which)
{
    CARRY_TO_GUI(HICON, WindowIcon(window, which));
    WindowRef record = qtplat::LookupWindow(window);
    if (!record || (which != ICON_SMALL && which != ICON_BIG)) {
        return nullptr;
    }
    return record->icons[which];
}

std::string MenuItemText(HMENU menu, UINT id)
{
    std::string text;
    qtplat::RunOnGui([&] {
        std::shared_ptr<qtplat::Menu> record = qtplat::FindMenu(menu);
        qtplat::MenuItem* item = record ? qtplat::FindMenuItem(*record, id, MF_BYCOMMAND) : nullptr;
        if (item != nullptr) {
            text = item->text;
        }
    });
    return text;
}

COLORREF IconPixel(HICON icon, int scale, int x, int y)
{
    COLORREF color = 0xFFFFFFFF;
    qtplat::RunOnGui([&] {
        if (!qtplat::IsIcon(icon) || scale <= 0) {
            return;
        }
        const QImage image =
            qtplat::IconImage(icon)->pixmap(qtplat::IconSize(icon) * scale).toImage();
        if (!image.valid(x, y)) {
            return;
        }
        const QRgb pixel = image.pixel(x, y);
        if (qAlpha(pixel) != 0) {
            color = RGB(qRed(pixel), qGreen(pixel), qBlue(pixel));
        }
    });
    return color;
}

HWND ActiveModalDialog()
{
    HWND dialog = nullptr;
    qtplat::RunOnGui(
        [&] { dialog = qtplat::ModalDialogs.empty() ? nullptr : qtplat::ModalDialogs.back(); });
    return dialog;
}
