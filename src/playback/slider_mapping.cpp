// The position slider runs from 0 to 100 over the data region.
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

uint32_t SliderScale()
{
    return SourceFile.effectiveLength - HeaderRegionSize;
}

uint32_t AlignDown(uint32_t position)
{
    return position - position % CurrentFormat.nBlockAlign;
}

uint32_t DataEnd()
{
    return AlignDown(SliderScale());
}

uint32_t SliderValueOf(uint32_t position, uint32_t scale)
{
    return static_cast<uint32_t>(static_cast<uint64_t>(position) * SliderMaximum / scale);
}

uint32_t PositionOfSliderValue(int64_t value, uint32_t scale)
{
    return static_cast<uint32_t>(static_cast<int64_t>(scale) * value / SliderMaximum);
}

void ShowPlayedOnSlider()
{
    SendMessageA(Slider(), TBM_SETPOS, TRUE,
                 static_cast<LPARAM>(SliderValueOf(PlaybackState.playedPos, SliderScale())));
}

void PositionsFromSlider()
{
    const LRESULT value = SendMessageA(Slider(), TBM_GETPOS, 0, 0);
    const uint32_t position = AlignDown(PositionOfSliderValue(value, SliderScale()));
    PlaybackState.readPos = position;
    PlaybackState.playedPos = position;
}
