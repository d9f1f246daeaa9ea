// What the engine's files share with each other; the main dialog uses playback_engine.h.
#pragma once

#include <cstdint>

#include "platform/win32.h"

// Reads the next piece of the data region into `header` and queues it: 1 if queued.
int FillBuffer(WAVEHDR* header);
// Fills and queues both headers in order: 0 only when not even the first was queued.
int QueueBuffers();
// Unprepares and frees both buffers and closes the device; leaves the buttons alone.
void CloseDevice();
// Closes the device, returns the buttons to idle and posts the deferred command, if any.
void FinishPlayback();

// The natural end (end_wait.cpp): the device closes once it has played what was written,
// or when the bound runs out; meanwhile the dialog's loop runs on.
void FinishWhenPlayed();
// Ends the wait without closing anything (its timers stopped); nothing if none runs.
void EndFinishWait();

// The slider mapping (slider_mapping.cpp), below the engine: it reads and sets the slider
// and never calls the engine.
void ShowPlayedOnSlider();
void PositionsFromSlider();

// The slider scale S (the data length) and the data end E at the current block align.
// Both cover the whole file, past 4 GiB too.
uint64_t SliderScale();
uint64_t DataEnd();
uint64_t AlignDown(uint64_t position);
// The arithmetic of the mapping, with no product that can overflow.
uint32_t SliderValueOf(uint64_t position, uint64_t scale);
uint64_t PositionOfSliderValue(int64_t value, uint64_t scale);

// Fills an error record for a failed call and shows it.
void ReportFailure(int32_t kind, uint32_t code, const char* operation);
