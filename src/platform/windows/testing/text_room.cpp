// MeasureDialogTexts on the system's own windows: each control's font as WM_GETFONT gives
// it, measured with GetTextExtentPoint32A (one line) or DrawTextA (wrapped), against its
// client rectangle.
#include <cstring>

#include "platform/testing/seams_capture.h"
#include "platform/windows/testing/wrap.h"

namespace {

void Measure(HWND control, const char* className, ControlText* out)
{
    RECT client{};
    GetClientRect(control, &client);
    out->roomWidth = client.right;
    out->roomHeight = client.bottom;
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    const HDC dc = GetDC(control);
    if (dc == nullptr) {
        return;
    }
    const auto font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    const HGDIOBJ old = font != nullptr ? SelectObject(dc, font) : nullptr;
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    bool wraps = false;
    if (_stricmp(className, "Button") == 0) {
        const LONG type = style & BS_TYPEMASK;
        if (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON || type == BS_CHECKBOX ||
            type == BS_AUTOCHECKBOX) {
            // The box is drawn a font height square, with a gap after it.
            out->roomWidth -= metrics.tmHeight + metrics.tmAveCharWidth / 2;
        } else if (type == BS_GROUPBOX) {
            out->roomHeight = metrics.tmHeight;
        } else {
            out->roomWidth -= 2 * (GetSystemMetrics(SM_CXEDGE) + 1);
        }
    } else {
        const LONG type = style & SS_TYPEMASK;
        wraps = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT;
    }
    const char* text = out->text.c_str();
    if (wraps) {
        RECT need{0, 0, out->roomWidth, 0};
        DrawTextA(dc, text, -1, &need, DT_CALCRECT | DT_WORDBREAK);
        out->needWidth = need.right;
        out->needHeight = need.bottom;
    } else {
        std::string shown(text);
        std::erase(shown, '&');
        SIZE need{};
        GetTextExtentPoint32A(dc, shown.c_str(), static_cast<int>(shown.size()), &need);
        out->needWidth = need.cx;
        out->needHeight = need.cy;
    }
    if (old != nullptr) {
        SelectObject(dc, old);
    }
    ReleaseDC(control, dc);
}

} // namespace

std::vector<ControlText> MeasureDialogTexts(HWND dialog)
{
    std::vector<ControlText> controls;
    for (HWND control = GetWindow(dialog, GW_CHILD); control != nullptr;
         control = GetWindow(control, GW_HWNDNEXT)) {
        RECT at{};
        GetWindowRect(control, &at);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&at), 2);
        ControlText out{control, "", at, 0, 0, 0, 0};
        char className[64] = "";
        GetClassNameA(control, className, sizeof className);
        char text[512] = "";
        GetWindowTextA(control, text, sizeof text);
        const LONG type = GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK;
        const bool captioned =
            _stricmp(className, "Button") == 0 ||
            (_stricmp(className, "Static") == 0 && type != SS_ICON && type != SS_BITMAP);
        if (captioned && text[0] != '\0') {
            out.text = text;
            Measure(control, className, &out);
        }
        controls.push_back(out);
    }
    return controls;
}
