// What Save in place keeps between its question and its work.
#pragma once

#include "platform/win32.h"

extern char RenameTargetPath[MAX_PATH]; // kept across a deferral, so the re-run uses it
