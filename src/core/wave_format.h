// The sample format the user has stated: one process-wide WAVEFORMATEX, with the table of
// offered rates. Only the format command changes it; everyone reads it.
#pragma once

#include <cstdint>

#include "platform/win32.h"

constexpr int SampleRateCount = 9;
constexpr int DefaultRateRow = 1;
constexpr uint32_t MinimumTypedRate = 8000;

extern WAVEFORMATEX CurrentFormat;
extern const uint32_t SampleRateTable[SampleRateCount];

// PCM, stereo, 44100 per second, 16 bits; the derived fields 0 until the first recompute.
void SetStartingFormatValues();
// Block align and byte rate from the stated width, channels and rate.
void RecomputeDerivedFields();
