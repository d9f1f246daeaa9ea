// The waveform overview across the main dialog, above the slider: the least and greatest
// sample of each column as the selected format reads the windows read on open, and a
// marker where the slider stands. Grey when there is nothing to draw (no file, or its
// windows could not be read).
#pragma once

#include <cstdint>

// WM_INITDIALOG: makes the picture the strip control shows (sized to the control) and
// draws it grey. Without a picture (the system refused one) the strip stays blank.
void InitWaveformStrip();
// The file, its windows or the format changed: draws again from the windows already read;
// nothing is read from the file and nothing is allocated.
void DrawWaveformStrip();
// After a message the dialog handled: moves the marker to where the slider now stands, and
// greys the strip once the windows are gone (the file was closed).
void FollowSliderOnStrip();
// WM_DESTROY: takes the picture back from the control and deletes it.
void ReleaseWaveformStrip();

// The colours of the picture, as the bitmap's 0x00RRGGBB pixels.
constexpr uint32_t StripEmptyColour = 0xC8C8C8;
constexpr uint32_t StripFrameColour = 0x808080;
constexpr uint32_t StripBackgroundColour = 0xFFFFFF;
constexpr uint32_t StripAxisColour = 0xD8D8D8;
constexpr uint32_t StripWaveColour = 0x2A5AAA;
constexpr uint32_t StripMarkerColour = 0xD00000;
