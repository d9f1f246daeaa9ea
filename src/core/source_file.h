// The one temporary file that is open, its size rules, and the size and duration texts
// derived from it.
#pragma once

#include <cstdint>

#include "platform/win32.h"

constexpr uint32_t HeaderRegionSize = 44;
constexpr uint32_t MinimumFileSize = 48;
// The largest effective length: a multiple of 4 whose RIFF sizes still fit in 32 bits.
constexpr uint32_t MaximumEffectiveLength = 0xFFFFFFFCu;
constexpr int DurationTextSize = 36;

struct SourceFileRecord {
    char path[MAX_PATH];
    HANDLE handle;            // read-only and unshared; null when no file is open
    uint32_t effectiveLength; // bytes in use, header region included
    uint32_t oversize;        // 1 when the file was cut to MaximumEffectiveLength
    // Bytes in use when nothing is cut, header region included: the file's size rounded
    // down to a multiple of 4. The effective length unless oversize; playback and an RF64
    // copy go this far.
    uint64_t wholeLength;
};

extern SourceFileRecord SourceFile;

enum SizeVerdict { SizeAccepted, SizeTooSmall };

// Applies the size rules to a file of high:low bytes. On SizeAccepted, *effectiveLength and
// *oversize say how much of the file is used.
SizeVerdict ApplySizeRules(DWORD low, DWORD high, uint32_t* effectiveLength, uint32_t* oversize);

// The whole length of a file of high:low bytes (see SourceFileRecord::wholeLength).
uint64_t WholeLengthOf(DWORD low, DWORD high);

bool IsSourceFileOpen();
// Closes a handle variable unless it holds null or the invalid-handle value, then nulls it.
void CloseHandleVariable(HANDLE* handle);

// Copies `text` with a blank before every group of three characters counted from the right.
// `destination` needs strlen(text) + (strlen(text) - 1) / 3 + 1 bytes.
void GroupDigits(const char* text, char* destination);
// "H:MM:SS" of the data of a file of `length` bytes in use at the given byte rate.
void FormatDuration(uint64_t length, uint32_t bytesPerSecond, char* text, size_t size);
// Redraws the duration text from the whole length and the current byte rate.
void ShowDuration();
// Shows the file's real size, grouped in threes.
void ShowFileSize(uint64_t size);
