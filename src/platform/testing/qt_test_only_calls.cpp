// The Win32 calls only tests make, on the Qt flavour's records: they build windows without
// a loop and look at windows, menus and bitmaps.
#include <cstring>

#include "platform/linux/qt/qt_internal.h"
#include "platform/testing/seams.h"

namespace {
using qtplat::Kind;
using qtplat::WindowRef;

constexpr UINT kNoItem = 0xFFFFFFFF; // what GetMenuState gives for a missing item

HWND CreateModeless(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC proc,
                    LPARAM initParam)
{
    const DLGTEMPLATE_DATA* tpl = qtplat::FindDialogTemplate(instance, templateName);
    if (tpl == nullptr) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    WindowRef dialog = qtplat::BuildDialog(instance, *tpl, parent, proc, false);
    if (!dialog) {
        return nullptr;
    }
    const INT_PTR setFocus = qtplat::CallDialogProc(dialog, WM_INITDIALOG, 0, initParam);
    if (dialog->destroyed) {
        return nullptr;
    }
    if ((tpl->style & WS_VISIBLE) != 0) {
        qtplat::ShowDialog(dialog);
    }
    if (setFocus != 0) {
        qtplat::FocusFirstTabStop(dialog);
    }
    return dialog->handle;
}

} // namespace

HWND CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC proc,
                        LPARAM initParam)
{
    DWORD code = 0;
    if (FaultShouldFail("CreateDialogParamA", &code)) {
        SetLastError(code);
        return nullptr;
    }
    HWND dialog = nullptr;
    qtplat::RunOnGui(
        [&] { dialog = CreateModeless(instance, templateName, parent, proc, initParam); });
    return dialog;
}

BOOL IsWindowEnabled(HWND window)
{
    CARRY_TO_GUI(BOOL, IsWindowEnabled(window));
    WindowRef record = qtplat::FindWindow(window);
    if (!record) {
        return FALSE;
    }
    return (record->style & WS_DISABLED) == 0 && record->enabled ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND window)
{
    CARRY_TO_GUI(BOOL, IsWindowVisible(window));
    WindowRef record = qtplat::FindWindow(window);
    if (!record || record->widget == nullptr) {
        return FALSE;
    }
    return record->widget->isHidden() ? FALSE : TRUE;
}

int GetWindowTextA(HWND window, LPSTR buffer, int size)
{
    CARRY_TO_GUI(int, GetWindowTextA(window, buffer, size));
    if (buffer != nullptr && size > 0) {
        buffer[0] = '\0';
    }
    WindowRef record = qtplat::FindWindow(window);
    if (!record) {
        return 0;
    }
    return static_cast<int>(
        qtplat::DispatchMessage(record, WM_GETTEXT, size, reinterpret_cast<LPARAM>(buffer)));
}

BOOL GetWindowRect(HWND window, RECT* rect)
{
    CARRY_TO_GUI(BOOL, GetWindowRect(window, rect));
    WindowRef record = qtplat::FindWindow(window);
    if (!record || record->widget == nullptr || rect == nullptr) {
        return FALSE;
    }
    QWidget* widget = record->widget;
    QRect area = widget->isWindow() ? widget->frameGeometry()
                                    : QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
    *rect = RECT{area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
    return TRUE;
}

BOOL MapDialogRect(HWND dialog, RECT* rect)
{
    CARRY_TO_GUI(BOOL, MapDialogRect(dialog, rect));
    WindowRef record = qtplat::FindWindow(dialog);
    if (!record || record->kind != qtplat::Kind::Dialog || rect == nullptr) {
        if (record) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        }
        return FALSE;
    }
    rect->left = qtplat::MulDivRound(rect->left, record->baseX, 4);
    rect->right = qtplat::MulDivRound(rect->right, record->baseX, 4);
    rect->top = qtplat::MulDivRound(rect->top, record->baseY, 8);
    rect->bottom = qtplat::MulDivRound(rect->bottom, record->baseY, 8);
    return TRUE;
}

HMENU GetMenu(HWND window)
{
    CARRY_TO_GUI(HMENU, GetMenu(window));
    WindowRef record = qtplat::FindWindow(window);
    if (!record || !record->menu) {
        return nullptr;
    }
    return record->menu->handle;
}

UINT GetMenuState(HMENU menu, UINT id, UINT flags)
{
    UINT state = kNoItem;
    qtplat::RunOnGui([&] {
        std::shared_ptr<qtplat::Menu> record = qtplat::FindMenu(menu);
        qtplat::MenuItem* item = record ? qtplat::FindMenuItem(*record, id, flags) : nullptr;
        if (item != nullptr) {
            state = item->flags & (MF_GRAYED | MF_DISABLED | MF_SEPARATOR | MF_POPUP);
        }
    });
    return state;
}

int GetObjectA(HGDIOBJ object, int size, LPVOID buffer)
{
    qtplat::Bitmap bitmap;
    if (!qtplat::BitmapPixels(static_cast<HBITMAP>(object), &bitmap)) {
        return 0;
    }
    if (buffer == nullptr || (size != sizeof(BITMAP) && size != sizeof(DIBSECTION))) {
        return 0;
    }
    DIBSECTION record = {};
    record.dsBm = BITMAP{0, bitmap.width, bitmap.height, bitmap.width * 4, 1, 32, bitmap.pixels};
    record.dsBmih.biSize = sizeof(BITMAPINFOHEADER);
    record.dsBmih.biWidth = bitmap.width;
    record.dsBmih.biHeight = bitmap.topDown ? -bitmap.height : bitmap.height;
    record.dsBmih.biPlanes = 1;
    record.dsBmih.biBitCount = 32;
    record.dsBmih.biCompression = BI_RGB;
    record.dsBmih.biSizeImage = static_cast<DWORD>(bitmap.width * 4 * bitmap.height);
    memcpy(buffer, &record, static_cast<size_t>(size));
    return size;
}

BOOL DestroyWindow(HWND window)
{
    BOOL done = FALSE;
    qtplat::RunOnGui([&] {
        WindowRef record = qtplat::FindWindow(window);
        if (!record) {
            return;
        }
        if (record->kind == Kind::Dialog) {
            qtplat::DestroyDialog(record);
        } else {
            qtplat::UnregisterWindow(record.get());
            if (record->widget != nullptr) {
                record->widget->hide();
                record->widget->deleteLater();
            }
        }
        done = TRUE;
    });
    return done;
}
