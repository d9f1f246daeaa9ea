// What Save as keeps while it runs, and the pieces the command is made of.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/win32.h"

extern char CopyTargetPath[MAX_PATH]; // kept across a deferral, so the re-run uses it
extern HANDLE CopyTargetHandle;       // open from just before the Saving dialog until it ends
// Single words shared with the worker: cancel is written by the dialog thread and polled
// before every chunk; done is stored by the worker before it ends the dialog.
extern std::atomic<uint32_t> CopyCancelFlag;
extern std::atomic<uint32_t> CopyDoneFlag;

// A chunk is at most this many bytes; the copy owns one buffer of that size.
constexpr uint32_t CopyChunkSize = 65536;

// The progress bar's upper end: whole 64 KiB blocks of data, plus one.
uint32_t ProgressRangeHigh(uint32_t effectiveLength);
// Chunks of the copy. Chunk boundaries lie on 64 KiB file offsets: the first chunk is the
// header and the data up to offset 65536, every later one the 64 KiB at the same offset in
// both files, so no write straddles a page boundary.
uint32_t CopyChunkCount(uint32_t effectiveLength);

INT_PTR SavingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The thread routine; its argument is the Saving dialog, which it ends itself: 0 when the
// copy is complete and on the disk, 1 when it failed or was cancelled.
DWORD CopyWorker(LPVOID dialog);
