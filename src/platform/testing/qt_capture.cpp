// SaveWindowImage: renders the dialog's widgets into a picture, so a screenshot needs no
// window manager and comes out the same under any X server.
#include <QPixmap>
#include <QWidget>

#include "platform/linux/qt/qt_internal.h"
#include "platform/testing/seams_capture.h"

BOOL SaveWindowImage(HWND window, const char* path)
{
    BOOL saved = FALSE;
    qtplat::RunOnGui([&] {
        qtplat::WindowRef record = qtplat::FindWindow(window);
        if (!record || record->widget == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return;
        }
        const QPixmap picture = record->widget->grab();
        if (path == nullptr || picture.isNull() || !picture.save(QString::fromUtf8(path), "PNG")) {
            SetLastError(ERROR_WRITE_FAULT);
            return;
        }
        saved = TRUE;
    });
    return saved;
}
