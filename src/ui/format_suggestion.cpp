#include "ui/format_suggestion.h"

#include "core/app_state.h"
#include "core/data_windows.h"
#include "core/error_info.h"
#include "core/format_suggestion.h"
#include "core/resource_ids.h"
#include "core/source_file.h"
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
    char parts[2 * StringBufferSize];
    if (suggestion.channels != 0) {
        char channels[StringBufferSize];
        LoadPart(suggestion.channels == 1 ? IDS_SUGGESTED_MONO : IDS_SUGGESTED_STEREO, channels,
                 sizeof channels);
        FormatBounded(parts, sizeof parts, "%s, %s", width, channels);
    } else {
        FormatBounded(parts, sizeof parts, "%s", width);
    }
    char format[StringBufferSize];
    char line[PromptBufferSize];
    LoadPart(IDS_SUGGESTED, format, sizeof format);
    FormatBounded(line, sizeof line, format, parts);
    SetWindowTextA(GetDlgItem(MainDialogWindow, IDC_SUGGESTION), line);
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
    // rate and the duration.
    FormatCommand(suggestion.bits == 8 ? IDC_8BIT : IDC_16BIT, BN_CLICKED);
    if (suggestion.channels != 0) {
        FormatCommand(suggestion.channels == 1 ? IDC_MONO : IDC_STEREO, BN_CLICKED);
    }
    ShowSuggestion(suggestion);
}
