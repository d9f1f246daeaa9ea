#include "ui/waveform_strip.h"

#include "core/app_state.h"
#include "core/data_windows.h"
#include "core/envelope.h"
#include "core/resource_ids.h"
#include "core/source_file.h"
#include "core/wave_format.h"

namespace {

// Wider and taller than any strip a screen shows; a larger control gets this picture
// stretched to it.
constexpr int MaximumWidth = 4096;
constexpr int MaximumHeight = 1024;

struct StripRecord {
    HBITMAP bitmap;
    uint32_t* pixels; // top row first
    int width;
    int height;
    bool drawn; // the envelope is shown, not the grey strip
    int marker; // the column under the marker, -1 for none
};

StripRecord Strip = {nullptr, nullptr, 0, 0, false, -1};

// One column per pixel inside the one-pixel frame; static, so drawing allocates nothing.
EnvelopeColumn Columns[MaximumWidth];

HWND StripControl()
{
    return GetDlgItem(MainDialogWindow, IDC_WAVEFORM);
}

int ColumnCount()
{
    return Strip.width - 2;
}

void Put(int x, int y, uint32_t colour)
{
    Strip.pixels[static_cast<size_t>(y) * static_cast<size_t>(Strip.width) +
                 static_cast<size_t>(x)] = colour;
}

void DrawFrame()
{
    for (int x = 0; x < Strip.width; ++x) {
        Put(x, 0, StripFrameColour);
        Put(x, Strip.height - 1, StripFrameColour);
    }
    for (int y = 0; y < Strip.height; ++y) {
        Put(0, y, StripFrameColour);
        Put(Strip.width - 1, y, StripFrameColour);
    }
}

// Stereo draws each channel in a lane of its own, left above right, one frame-coloured
// row between them.
int LaneHeight(int channels)
{
    return (Strip.height - 2 - (channels - 1)) / channels;
}

int LaneTop(int lane, int channels)
{
    return 1 + lane * (LaneHeight(channels) + 1);
}

// The top row of a lane is the greatest sample, its bottom row the least.
int RowOf(int16_t sample, int top, int laneHeight)
{
    const int64_t fromTop = (32767 - static_cast<int64_t>(sample)) * (laneHeight - 1);
    return top + static_cast<int>((fromTop + 32767) / 65535);
}

void DrawColumn(int column)
{
    const int x = column + 1;
    const int channels = CurrentFormat.nChannels == 2 ? 2 : 1;
    const int laneHeight = LaneHeight(channels);
    for (int y = 1; y < Strip.height - 1; ++y) {
        Put(x, y, StripFrameColour);
    }
    for (int lane = 0; lane < channels; ++lane) {
        const int top = LaneTop(lane, channels);
        for (int y = top; y < top + laneHeight; ++y) {
            Put(x, y, StripBackgroundColour);
        }
        Put(x, RowOf(0, top, laneHeight), StripAxisColour);
        const EnvelopeColumn& envelope = Columns[column];
        if (envelope.empty) {
            continue;
        }
        const int from = RowOf(envelope.high[lane], top, laneHeight);
        const int to = RowOf(envelope.low[lane], top, laneHeight);
        for (int y = from; y <= to; ++y) {
            Put(x, y, StripWaveColour);
        }
    }
}

void DrawMarker(int column)
{
    for (int y = 1; y < Strip.height - 1; ++y) {
        Put(column + 1, y, StripMarkerColour);
    }
}

// The column under the slider's thumb: its range maps onto the columns end to end.
int MarkerColumn()
{
    HWND slider = GetDlgItem(MainDialogWindow, IDC_SLIDER);
    const LRESULT low = SendMessageA(slider, TBM_GETRANGEMIN, 0, 0);
    const LRESULT high = SendMessageA(slider, TBM_GETRANGEMAX, 0, 0);
    LRESULT value = SendMessageA(slider, TBM_GETPOS, 0, 0);
    if (high <= low) {
        return 0;
    }
    value = value < low ? low : (value > high ? high : value);
    return static_cast<int>((value - low) * (ColumnCount() - 1) / (high - low));
}

void Show()
{
    InvalidateRect(StripControl(), nullptr, FALSE);
}

void DrawGrey()
{
    GdiFlush();
    for (int y = 0; y < Strip.height; ++y) {
        for (int x = 0; x < Strip.width; ++x) {
            Put(x, y, StripEmptyColour);
        }
    }
    DrawFrame();
    Strip.drawn = false;
    Strip.marker = -1;
    Show();
}

// Windows are kept only while their file is open; without either there is nothing to draw.
bool HaveWindows()
{
    return IsSourceFileOpen() && DataWindows.count > 0;
}

} // namespace

void InitWaveformStrip()
{
    RECT client;
    if (!GetClientRect(StripControl(), &client)) {
        return; // no strip in this template
    }
    const int width = client.right < MaximumWidth ? static_cast<int>(client.right) : MaximumWidth;
    const int height =
        client.bottom < MaximumHeight ? static_cast<int>(client.bottom) : MaximumHeight;
    if (width < 4 || height < 5) {
        return;
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr) {
        return; // the overview is a help, not a need: the strip stays blank
    }
    Strip = {bitmap, static_cast<uint32_t*>(bits), width, height, false, -1};
    DrawGrey();
    // The pixels' top bytes stay 0: a picture with alpha would make the control keep a
    // copy of its own, and later writes would not show.
    HBITMAP previous = reinterpret_cast<HBITMAP>(
        SendMessageA(StripControl(), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    if (previous != nullptr && previous != bitmap) {
        DeleteObject(previous);
    }
}

void DrawWaveformStrip()
{
    if (Strip.bitmap == nullptr) {
        return;
    }
    if (!HaveWindows()) {
        DrawGrey();
        return;
    }
    // The rate is not drawn: the strip runs over the data's bytes, which a rate does not
    // change; width and channels decide how they read.
    const int channels = CurrentFormat.nChannels == 2 ? 2 : 1;
    BuildEnvelope(DataWindows.windows, DataWindows.count, DataWindows.dataLength,
                  CurrentFormat.wBitsPerSample, channels, Columns, ColumnCount());
    GdiFlush();
    DrawFrame();
    for (int column = 0; column < ColumnCount(); ++column) {
        DrawColumn(column);
    }
    Strip.drawn = true;
    Strip.marker = MarkerColumn();
    DrawMarker(Strip.marker);
    Show();
}

void FollowSliderOnStrip()
{
    if (Strip.bitmap == nullptr || !Strip.drawn) {
        return;
    }
    if (!HaveWindows()) {
        DrawGrey();
        return;
    }
    const int column = MarkerColumn();
    if (column == Strip.marker) {
        return;
    }
    GdiFlush();
    DrawColumn(Strip.marker);
    Strip.marker = column;
    DrawMarker(column);
    Show();
}

void ReleaseWaveformStrip()
{
    if (Strip.bitmap == nullptr) {
        return;
    }
    HBITMAP shown =
        reinterpret_cast<HBITMAP>(SendMessageA(StripControl(), STM_SETIMAGE, IMAGE_BITMAP, 0));
    if (shown != nullptr && shown != Strip.bitmap) {
        DeleteObject(shown);
    }
    DeleteObject(Strip.bitmap);
    Strip = {nullptr, nullptr, 0, 0, false, -1};
}
