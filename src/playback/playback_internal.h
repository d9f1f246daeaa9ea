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

// The slider mapping (slider_mapping.cpp), below the engine: it reads and sets the slider
// and never calls the engine.
void ShowPlayedOnSlider();
void PositionsFromSlider();

// The slider scale S (the data length) and the data end E at the current block align.
uint32_t SliderScale();
uint32_t DataEnd();
uint32_t AlignDown(uint32_t position);
// The arithmetic of the mapping, in 64 bits so that no product overflows.
uint32_t SliderValueOf(uint32_t position, uint32_t scale);
uint32_t PositionOfSliderValue(int64_t value, uint32_t scale);

// Fills an error record for a failed call and shows it.
void ReportFailure(int32_t kind, uint32_t code, const char* operation);
