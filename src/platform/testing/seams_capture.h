// Picture of a window, for the project's screenshot script and its checks; the program's
// own code never calls it.
#pragma once

#include "platform/win32.h"

// Saves what `window` shows (menu bar and client area, at the screen's scale) as a PNG.
// FALSE with ERROR_INVALID_WINDOW_HANDLE for a window that does not exist, and with
// ERROR_WRITE_FAULT when the picture cannot be written.
BOOL SaveWindowImage(HWND window, const char* path);

#include <string>
#include <vector>

// A dialog's control as it is drawn: where it sits in the dialog's client area, and for a
// control with a caption (a static's text, a button's label, a group box's title) how much
// room the caption needs and has, in pixels, in the control's own font. The need is the
// text on one line, or for a word-wrapping static the text wrapped at the room's width;
// the room is the client area less what the control draws beside its text (a radio
// button's circle, a push button's edges).
struct ControlText {
    HWND control;
    std::string text; // empty for a control without a caption
    RECT place;
    int needWidth;
    int needHeight;
    int roomWidth;
    int roomHeight;
};
// Every control of `dialog`, in the order the dialog holds them.
std::vector<ControlText> MeasureDialogTexts(HWND dialog);
