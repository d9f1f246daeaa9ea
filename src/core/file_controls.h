// What opening and saving away a file do to the main window.
#pragma once

#include <cstdint>

// Enables or disables the controls that need an open file, shows the oversize warning
// exactly when `oversize` is non-zero, and puts the slider back at 0.
void EnableFileControls(int32_t enable, int32_t oversize);
// The window as it is with no file open: bare caption, size "0", duration "0:00:00", no
// suggestion, and the data windows of the file that was open forgotten.
void ShowNoFileWindow();
