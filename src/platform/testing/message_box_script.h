// Where each flavour's MessageBoxA lets the message-box script in: the box is logged when it
// appears, answered from the script while one is set (else shown for real), and its answer
// logged when it is closed. The log and the script are one engine for both flavours.
#pragma once

#include <cstddef>

#include "platform/win32.h"

size_t MessageBoxLogOpen(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
// True when a script is set: `*answer` is its next answer (IDCANCEL when it has none left),
// after the answer's action ran on the calling thread.
bool MessageBoxScriptAnswer(int* answer);
void MessageBoxLogAnswer(size_t entry, int answer);
