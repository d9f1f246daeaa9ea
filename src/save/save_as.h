// What Save as keeps while it runs, and the pieces the command is made of.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/win32.h"

extern char CopyTargetPath[MAX_PATH]; // kept across a deferral, so the re-run uses it
extern HANDLE CopyTargetHandle;       // open from just before the Saving dialog until it ends
// 1 when the copy is the whole recording behind an RF64 header (an oversize source and the
// RF64 file type chosen), 0 for the plain WAV of the effective length. Kept across a
// deferral; set before the worker starts and only read by it.
extern uint32_t CopyKeepsWhole;
// The file type of the save dialog's list for an oversize source that keeps it whole.
constexpr DWORD WholeRecordingFilterIndex = 2;
// Single words shared with the worker: cancel is written by the dialog thread and polled
// before every chunk; done is stored by the worker before it ends the dialog.
extern std::atomic<uint32_t> CopyCancelFlag;
extern std::atomic<uint32_t> CopyDoneFlag;
// The copy's progress: the worker stores its position in the bar's steps, and posts
// WM_COPY_PROGRESS to the Saving dialog only while CopyProgressPosted is 0, setting it. The
// dialog shows the position and clears the word again only when its queue has run empty
// (a timer), reading the position once more then, so the bar ends at the last position
// stored, the dialog's queue never holds more than one progress message, and input and
// paint always get their turn: on Windows posted messages go before both.
extern std::atomic<uint32_t> CopyProgressPosition;
extern std::atomic<uint32_t> CopyProgressPosted;
constexpr UINT WM_COPY_PROGRESS = WM_APP + 2;

// A chunk is at most this many bytes; the copy owns one buffer of that size.
constexpr uint32_t CopyChunkSize = 65536;

// The progress bar's upper end for a source of `length` bytes in use (header region
// included): whole 64 KiB blocks of data, plus one.
uint32_t ProgressRangeHigh(uint64_t length);
// Chunks of a copy of `targetLength` bytes. Chunk boundaries lie on 64 KiB target offsets:
// the first chunk is the header and the data up to offset 65536, every later one the next
// 64 KiB, so no write straddles a page boundary. The plain WAV's target offsets are the
// source's; behind RF64's longer header the data sits 36 bytes further on.
uint32_t CopyChunkCount(uint64_t targetLength);

// The success box of a complete copy into CopyTargetPath; a whole copy names the bytes of
// sound it kept, from the source's lengths (which stay when the source is closed).
void ReportCopyCreated();

INT_PTR SavingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Sets the Saving dialog's bar to the latest position.
void ShowCopyProgress(HWND dialog);
// The bar's upper end for the copy about to run (a whole recording or the effective length).
uint32_t CopyProgressRangeHigh();
// The thread routine; its argument is the Saving dialog, which it ends itself: 0 when the
// copy is complete and on the disk, 1 when it failed or was cancelled.
DWORD CopyWorker(LPVOID dialog);
