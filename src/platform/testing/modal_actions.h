// Where the Qt flavour's modal loops let a test act: OnNextModalLoop's and OnNextFileDialog's
// actions run from inside the next loop of their kind, once it delivers events.
#pragma once

#include "platform/win32.h"

class QObject;
// A dialog's loop is about to run; `loopOwner` lives as long as the loop.
void ModalLoopStarting(QObject* loopOwner, HWND dialog);
void FileDialogLoopStarting(QObject* dialog);
