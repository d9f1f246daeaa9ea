#include "core/source_file.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "core/app_state.h"
#include "core/error_info.h"
#include "core/resource_ids.h"
#include "core/wave_format.h"

SourceFileRecord SourceFile = {};

SizeVerdict ApplySizeRules(DWORD low, DWORD high, uint32_t* effectiveLength, uint32_t* oversize)
{
    const int64_t size = static_cast<int64_t>((static_cast<uint64_t>(high) << 32) | low);
    if (size > static_cast<int64_t>(MaximumEffectiveLength)) {
        *oversize = 1;
        *effectiveLength = MaximumEffectiveLength;
        return SizeAccepted;
    }
    if (low < MinimumFileSize) {
        return SizeTooSmall;
    }
    *oversize = 0;
    *effectiveLength = low - (low % 4);
    return SizeAccepted;
}

uint64_t WholeLengthOf(DWORD low, DWORD high)
{
    const uint64_t size = (static_cast<uint64_t>(high) << 32) | low;
    return size - size % 4;
}

bool IsSourceFileOpen()
{
    return SourceFile.handle != nullptr;
}

void CloseHandleVariable(HANDLE* handle)
{
    if (*handle != nullptr && *handle != INVALID_HANDLE_VALUE) {
        CloseHandle(*handle);
    }
    *handle = nullptr;
}

void GroupDigits(const char* text, char* destination)
{
    const size_t n = std::strlen(text);
    if (n == 0) {
        destination[0] = '\0';
        return;
    }
    size_t out = n + (n - 1) / 3;
    destination[out] = '\0';
    for (size_t i = 0; i < n; ++i) {
        if (i > 0 && i % 3 == 0) {
            destination[--out] = ' ';
        }
        destination[--out] = text[n - 1 - i];
    }
}

void FormatDuration(uint64_t length, uint32_t bytesPerSecond, char* text, size_t size)
{
    uint64_t seconds = 0;
    if (length >= HeaderRegionSize && bytesPerSecond != 0) {
        seconds = (length - HeaderRegionSize) / bytesPerSecond;
    }
    // The hours fit an int for any file below 60 PB, even at 8000 bytes a second.
    FormatBounded(text, size, "%i:%02i:%02i", static_cast<int>(seconds / 3600),
                  static_cast<int>((seconds % 3600) / 60), static_cast<int>(seconds % 60));
}

void ShowDuration()
{
    char text[DurationTextSize];
    FormatDuration(SourceFile.wholeLength, CurrentFormat.nAvgBytesPerSec, text, sizeof text);
    SendMessageA(GetDlgItem(MainDialogWindow, IDC_DURATION), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(text));
}

void ShowFileSize(uint64_t size)
{
    char digits[24];
    std::snprintf(digits, sizeof digits, "%" PRIu64, size);
    char grouped[44];
    GroupDigits(digits, grouped);
    SetWindowTextA(GetDlgItem(MainDialogWindow, IDC_FILE_SIZE), grouped);
}
