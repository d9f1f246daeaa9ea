#include "ui/format_suggestion.h"

#include "core/app_state.h"
#include "core/data_windows.h"
#include "core/error_info.h"
#include "core/format_suggestion.h"
#include "core/resource_ids.h"
#include "core/source_file.h"
#include "core/wave_format.h"
#include "ui/format_controls.h"

namespace {

void LoadPart(int id, char* buffer, int size)
{
    if (LoadStringA(ModuleInstance, id, buffer, size) <= 0) {
        buffer[0] = '\0';
    }
}

void ShowSuggestion(const FormatSuggestion& suggestion)
{
    char width[StringBufferSize];
    LoadPart(suggestion.bits == 8 ? IDS_SUGGESTED_8BIT : IDS_SUGGESTED_16BIT, width, sizeof width);
    char parts[3 * StringBufferSize];
    if (suggestion.pairsIdentical) {
        char identical[StringBufferSize];
        LoadPart(IDS_SUGGESTED_IDENTICAL, identical, sizeof identical);
        FormatBounded(parts, sizeof parts, "%s; %s", width, identical);
    } else if (suggestion.channels != 0) {
        char channels[StringBufferSize];
        LoadPart(suggestion.channels == 1 ? IDS_SUGGESTED_MONO : IDS_SUGGESTED_STEREO, channels,
                 sizeof channels);
        if (suggestion.rate != 0) {
            char rateFormat[StringBufferSize];
            char rate[StringBufferSize];
            LoadPart(IDS_SUGGESTED_RATE, rateFormat, sizeof rateFormat);
            FormatBounded(rate, sizeof rate, rateFormat, static_cast<unsigned>(suggestion.rate));
            FormatBounded(parts, sizeof parts, "%s, %s, %s", width, channels, rate);
        } else {
            FormatBounded(parts, sizeof parts, "%s, %s", width, channels);
        }
    } else {
        FormatBounded(parts, sizeof parts, "%s", width);
    }
    char format[StringBufferSize];
    char line[PromptBufferSize];
    LoadPart(IDS_SUGGESTED, format, sizeof format);
    FormatBounded(line, sizeof line, format, parts);
    SetWindowTextA(GetDlgItem(MainDialogWindow, IDC_SUGGESTION), line);
}

// Picks the rate's row in the list as a user would, and hands the pick to the format command.
void SelectRate(uint32_t rate)
{
    for (int row = 0; row < SampleRateCount; ++row) {
        if (SampleRateTable[row] != rate) {
            continue;
        }
        if (SendMessageA(GetDlgItem(MainDialogWindow, IDC_RATE), CB_SETCURSEL, row, 0) == row) {
            FormatCommand(IDC_RATE, CBN_SELCHANGE);
        }
        return;
    }
}

} // namespace

void SuggestFormatFromData()
{
    SetWindowTextA(GetDlgItem(MainDialogWindow, IDC_SUGGESTION), "");
    if (!ReadDataWindows(SourceFile.handle, SourceFile.wholeLength)) {
        return; // an optional hint: a failed read only means there is none
    }
    const FormatSuggestion suggestion = SuggestFormat(DataWindows.windows, DataWindows.count);
    if (suggestion.bits == 0) {
        return;
    }
    // Through the format command, as a click would: it recomputes the block align, the byte
    // rate and the duration. Identical pairs leave the channels (and so the rate) as they are.
    FormatCommand(suggestion.bits == 8 ? IDC_8BIT : IDC_16BIT, BN_CLICKED);
    if (suggestion.channels != 0) {
        FormatCommand(suggestion.channels == 1 ? IDC_MONO : IDC_STEREO, BN_CLICKED);
    }
    if (suggestion.rate != 0) {
        SelectRate(suggestion.rate);
    }
    ShowSuggestion(suggestion);
}
