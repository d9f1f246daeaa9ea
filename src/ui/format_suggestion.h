// On open: the width, channels and rate the data suggests, selected where it is clear and
// said in the line under the format controls.
#pragma once

// Reads the open file's windows, selects what they suggest through the format command and
// shows the line; where they suggest nothing (or cannot be read) the format stays as it is
// and the line stays empty.
void SuggestFormatFromData();
