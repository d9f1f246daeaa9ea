#include "ui/format_controls.h"

#include "core/app_state.h"
#include "core/error_info.h"
#include "core/resource_ids.h"
#include "core/source_file.h"
#include "core/wave_format.h"
#include "playback/playback_engine.h"
#include "ui/waveform_strip.h"

namespace {

// The edit field takes five characters, so a typed rate never exceeds this.
constexpr uint32_t MaximumTypedRate = 99999;

HWND Control(int id)
{
    return GetDlgItem(MainDialogWindow, id);
}

void SetCheck(int id, bool checked)
{
    SendMessageA(Control(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Recompute()
{
    RecomputeDerivedFields();
    SetCheck(IDC_8BIT, CurrentFormat.wBitsPerSample == 8);
    SetCheck(IDC_16BIT, CurrentFormat.wBitsPerSample == 16);
    SetCheck(IDC_MONO, CurrentFormat.nChannels == 1);
    SetCheck(IDC_STEREO, CurrentFormat.nChannels == 2);
    ShowDuration();
    OnFormatChanged();
    DrawWaveformStrip();
}

// Returns true when the rate changed and the format must be recomputed.
bool RateCommand(WORD code)
{
    if (code == CBN_SELCHANGE) {
        const LRESULT row = SendMessageA(Control(IDC_RATE), CB_GETCURSEL, 0, 0);
        if (row < 0 || row >= SampleRateCount) {
            return false;
        }
        const uint32_t rate = SampleRateTable[row];
        if (rate == CurrentFormat.nSamplesPerSec) {
            return false;
        }
        CurrentFormat.nSamplesPerSec = rate;
        ShowWindow(Control(IDC_INVALID_RATE), SW_HIDE);
        return true;
    }
    if (code == CBN_EDITCHANGE) {
        BOOL translated = FALSE;
        const UINT rate = GetDlgItemInt(MainDialogWindow, IDC_RATE, &translated, FALSE);
        if (!translated || rate < MinimumTypedRate || rate > MaximumTypedRate) {
            ShowWindow(Control(IDC_INVALID_RATE), SW_SHOWNORMAL);
            return false;
        }
        CurrentFormat.nSamplesPerSec = rate;
        ShowWindow(Control(IDC_INVALID_RATE), SW_HIDE);
        return true;
    }
    return false;
}

} // namespace

void InitFormatControls()
{
    HWND combo = Control(IDC_RATE);
    SendMessageA(combo, CB_LIMITTEXT, 5, 0);
    for (uint32_t rate : SampleRateTable) {
        char text[12];
        FormatBounded(text, sizeof text, "%u", rate);
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    SendMessageA(combo, CB_SETCURSEL, DefaultRateRow, 0);
}

void SetDefaultFormat()
{
    SetStartingFormatValues();
    FormatCommand(0, 0);
}

void FormatCommand(WORD id, WORD code)
{
    bool changed = false;
    switch (id) {
    case 0:
        changed = true;
        break;
    case IDC_RATE:
        changed = RateCommand(code);
        break;
    case IDC_8BIT:
        changed = CurrentFormat.wBitsPerSample != 8;
        CurrentFormat.wBitsPerSample = 8;
        break;
    case IDC_16BIT:
        changed = CurrentFormat.wBitsPerSample != 16;
        CurrentFormat.wBitsPerSample = 16;
        break;
    case IDC_MONO:
        changed = CurrentFormat.nChannels != 1;
        CurrentFormat.nChannels = 1;
        break;
    case IDC_STEREO:
        changed = CurrentFormat.nChannels != 2;
        CurrentFormat.nChannels = 2;
        break;
    default:
        break;
    }
    if (changed) {
        Recompute();
    }
}
