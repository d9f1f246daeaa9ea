// The position slider runs from 0 to 100 over the data region.
#include <algorithm>

#include "core/app_state.h"
#include "core/resource_ids.h"
#include "core/source_file.h"
#include "core/wave_format.h"
#include "playback/playback_internal.h"
#include "playback/playback_state.h"

namespace {

constexpr int64_t SliderMaximum = 100;

HWND Slider()
{
    return GetDlgItem(MainDialogWindow, IDC_SLIDER);
}

} // namespace

uint64_t SliderScale()
{
    return SourceFile.wholeLength - HeaderRegionSize;
}

uint64_t AlignDown(uint64_t position)
{
    return position - position % CurrentFormat.nBlockAlign;
}

uint64_t DataEnd()
{
    return AlignDown(SliderScale());
}

uint32_t SliderValueOf(uint64_t position, uint64_t scale)
{
    const uint64_t value = scale <= UINT64_MAX / SliderMaximum
                               ? position * SliderMaximum / scale
                               : position / (scale / SliderMaximum); // beyond any real disk
    return static_cast<uint32_t>(std::min<uint64_t>(value, SliderMaximum));
}

// Whole hundredths and the rest apart, so that no product passes 64 bits.
uint64_t PositionOfSliderValue(int64_t value, uint64_t scale)
{
    value = std::clamp<int64_t>(value, 0, SliderMaximum);
    const auto hundredths = static_cast<uint64_t>(value);
    return scale / SliderMaximum * hundredths + scale % SliderMaximum * hundredths / SliderMaximum;
}

void ShowPlayedOnSlider()
{
    SendMessageA(Slider(), TBM_SETPOS, TRUE,
                 static_cast<LPARAM>(SliderValueOf(PlaybackState.playedPos, SliderScale())));
}

void PositionsFromSlider()
{
    const LRESULT value = SendMessageA(Slider(), TBM_GETPOS, 0, 0);
    const uint64_t position = AlignDown(PositionOfSliderValue(value, SliderScale()));
    PlaybackState.readPos = position;
    PlaybackState.playedPos = position;
}
