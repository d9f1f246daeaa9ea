// Where each flavour's file dialogs let the script and the log in: the dialog is logged when
// it appears, answered from the script while one is set (else shown for real), and logged
// again, whole, when it ends. The log and the script are one engine for both flavours.
#pragma once

#include <cstddef>

#include "platform/common/file_dialog_record.h"
#include "platform/win32.h"

size_t FileDialogLogOpen(const FileDialogRecord& record);
void FileDialogLogClose(size_t entry, FileDialogRecord record);
// True when a script is set: the dialog took its answers from it, through the rules a real
// dialog applies, and *result and *error are what the call returns.
bool FileDialogScriptAnswer(OPENFILENAMEA* ofn, FileDialogRecord* record, bool save, BOOL* result,
                            DWORD* error);
